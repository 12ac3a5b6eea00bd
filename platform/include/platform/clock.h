// Time for every component: tick count, sleep and yield on either the real
// clock or the deterministic virtual clock.
//
// Every wait in the system goes through these calls, so that tests and batch
// conversions can run on the virtual clock: virtual time advances only when
// every participating thread is waiting, to the earliest wake-up among them.
//
// Thread rules: all functions may be called from any thread. GetTickCount
// never blocks or allocates. Sleep blocks the caller (on the virtual clock it
// returns as soon as virtual time reaches the deadline). UseVirtualClock and
// UseRealClock must be called while no other participating thread runs.
#pragma once
#include <cstdint>

namespace platform {

enum class ClockKind { kReal, kVirtual };

// Milliseconds since the clock started; wraps like the 32-bit Windows count.
uint32_t GetTickCount();

// Microseconds since the clock started (device threads use it for exact
// event times).
uint64_t GetMicroseconds();

// Blocks the caller for `ms` milliseconds of the current clock.
void Sleep(uint32_t ms);

// Blocks the caller until the clock reaches `deadline_us` (GetMicroseconds).
void SleepUntilMicroseconds(uint64_t deadline_us);

// Gives up the rest of the time slice (Sleep(0) on Windows).
void Yield();

ClockKind CurrentClock();

// Switches to the virtual clock; time starts at 0. The calling thread becomes
// a participant.
void UseVirtualClock();
void UseRealClock();

// A thread that takes part in virtual time (every thread that runs while a
// virtual-clock test or conversion runs). Threads created through
// platform::Thread register themselves; others use this guard.
class ClockParticipant {
 public:
  ClockParticipant();
  ~ClockParticipant();
  ClockParticipant(const ClockParticipant&) = delete;
  ClockParticipant& operator=(const ClockParticipant&) = delete;
};

}  // namespace platform
