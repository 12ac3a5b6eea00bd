// Deterministic "played" variation: small offsets of timing and velocity
// drawn from a hash of where a note sits, so the same song always renders
// the same bytes. Pure functions; no locking, no threads.
#pragma once

#include <cstdint>
#include <string_view>

namespace content {

// A seed from a name (FNV-1a), to be mixed with positions.
uint64_t SeedOf(std::string_view name);
// Mixes further values into a seed (splitmix64 finaliser).
uint64_t Mix(uint64_t seed, uint64_t value);
// An offset in -range..range, leaning towards small values (the sum of two
// draws), from the seed.
int Jitter(uint64_t seed, int range);

}  // namespace content
