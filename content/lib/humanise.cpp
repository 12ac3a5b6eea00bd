#include "humanise.h"

namespace content {

uint64_t SeedOf(std::string_view name) {
  uint64_t h = 1469598103934665603ull;
  for (const char c : name) {
    h ^= static_cast<uint8_t>(c);
    h *= 1099511628211ull;
  }
  return h;
}

uint64_t Mix(uint64_t seed, uint64_t value) {
  uint64_t z = seed + 0x9e3779b97f4a7c15ull * (value + 1);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
  return z ^ (z >> 31);
}

int Jitter(uint64_t seed, int range) {
  if (range <= 0) return 0;
  const auto span = static_cast<uint64_t>(range + 1);
  const int a = static_cast<int>(seed % span);
  const int b = static_cast<int>((seed >> 32) % span);
  return a - b;  // triangular over -range..range
}

}  // namespace content
