// Real clock and a first virtual clock. The virtual clock here advances time
// on each Sleep of the calling thread; it is exact for one participant.
#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace platform {
namespace {

std::atomic<ClockKind> g_kind{ClockKind::kReal};
std::atomic<uint64_t> g_virtual_us{0};
const auto g_real_start = std::chrono::steady_clock::now();

uint64_t RealMicroseconds() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                   std::chrono::steady_clock::now() - g_real_start)
                                   .count());
}

}  // namespace

uint64_t GetMicroseconds() {
  return g_kind.load() == ClockKind::kVirtual ? g_virtual_us.load() : RealMicroseconds();
}

uint32_t GetTickCount() {
  return static_cast<uint32_t>(GetMicroseconds() / 1000);
}

void SleepUntilMicroseconds(uint64_t deadline_us) {
  if (g_kind.load() == ClockKind::kVirtual) {
    uint64_t now = g_virtual_us.load();
    while (now < deadline_us && !g_virtual_us.compare_exchange_weak(now, deadline_us)) {
    }
    return;
  }
  const uint64_t now = RealMicroseconds();
  if (deadline_us > now) std::this_thread::sleep_for(std::chrono::microseconds(deadline_us - now));
}

void Sleep(uint32_t ms) {
  SleepUntilMicroseconds(GetMicroseconds() + uint64_t{ms} * 1000);
}

void Yield() {
  std::this_thread::yield();
}

ClockKind CurrentClock() {
  return g_kind.load();
}

void UseVirtualClock() {
  g_virtual_us.store(0);
  g_kind.store(ClockKind::kVirtual);
}

void UseRealClock() {
  g_kind.store(ClockKind::kReal);
}

ClockParticipant::ClockParticipant() = default;
ClockParticipant::~ClockParticipant() = default;

}  // namespace platform
