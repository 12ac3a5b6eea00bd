// Time for every component: tick count, sleep and yield on either the real
// clock or the deterministic virtual clock, plus the thread, event and
// condition primitives that wait on it.
//
// Rules of the virtual clock:
// - Participants are the thread that called UseVirtualClock, every thread
//   started through platform::Thread, and any thread that waits in one of the
//   calls below while the virtual clock is in use (it joins for the rest of
//   its life).
// - Virtual time advances only when every participant is blocked in a wait of
//   this header (Sleep, SleepUntilMicroseconds, Yield, Event::Wait,
//   ConditionVariable::Wait*, Thread::Join). It then jumps to the earliest
//   deadline among them. Time never moves while any participant runs, so
//   every wake-up happens at exactly the time asked for and the times of a
//   run do not depend on the host's speed.
// - Participants run one at a time: those due at one instant, notified, or
//   just started run in the order they became ready, each until it waits
//   again. What they do at one instant therefore happens in the same order
//   on every run, and a run's output does not depend on the host's
//   scheduling either.
// - Yield (and Sleep(0)) lets the others run: it returns once another
//   participant has started a wait or time has moved on, so a loop that polls
//   a flag with Sleep(0) sees time pass like it would on the real clock.
// - A participant that blocks outside these calls (a raw std::mutex held by a
//   waiting thread, a blocking read) stops virtual time. Never hold a lock
//   across a wait that another participant needs.
// - With every participant waiting and no deadline among them, time stands
//   still until a non-participant sets an event (a deadlock otherwise).
// - So a participant may block only in the calls of this header. A lock
//   another participant may need is held only for short work, never across
//   a wait. Waiting for another process (its file locks, its sockets) is
//   never a clock wait: virtual time cannot move another process, so such
//   waits poll on the real clock, with no lock held that a participant may
//   block on.
// - Debug builds watch for a stall: when participants wait while another has
//   not reached a wait of this header for SONAVEX_CLOCK_STALL_MS (default
//   120000) ms of real time and nothing else happened on the clock, the
//   process stops with a message instead of hanging.
//
// Thread rules: all functions may be called from any thread. GetTickCount and
// GetMicroseconds never block or allocate. The real clock costs nothing
// extra: when UseVirtualClock was never called, waits are plain OS waits.
// UseVirtualClock and UseRealClock must be called while no other
// participating thread runs.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace platform {

enum class ClockKind { kReal, kVirtual };

constexpr uint32_t kInfinite = 0xFFFFFFFFu;
constexpr uint64_t kNoDeadline = ~uint64_t{0};

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

// A thread that takes part in virtual time without being started through
// platform::Thread (for example a test's helper std::thread). Registers the
// thread for the guard's lifetime.
class ClockParticipant {
 public:
  ClockParticipant();
  ~ClockParticipant();
  ClockParticipant(const ClockParticipant&) = delete;
  ClockParticipant& operator=(const ClockParticipant&) = delete;

 private:
  bool registered_ = false;
};

// A condition variable whose waits are clock waits. Use it with a
// std::mutex exactly like std::condition_variable.
class ConditionVariable {
 public:
  ConditionVariable() = default;
  ConditionVariable(const ConditionVariable&) = delete;
  ConditionVariable& operator=(const ConditionVariable&) = delete;

  void NotifyOne();
  void NotifyAll();
  void Wait(std::unique_lock<std::mutex>& lock);
  // false when the clock reached `deadline_us` before a notification.
  bool WaitUntilMicroseconds(std::unique_lock<std::mutex>& lock, uint64_t deadline_us);

  template <typename Pred>
  void Wait(std::unique_lock<std::mutex>& lock, Pred pred) {
    while (!pred()) Wait(lock);
  }
  // Returns pred() at the end: false on time-out.
  template <typename Pred>
  bool WaitUntilMicroseconds(std::unique_lock<std::mutex>& lock, uint64_t deadline_us, Pred pred) {
    while (!pred()) {
      if (!WaitUntilMicroseconds(lock, deadline_us)) return pred();
    }
    return true;
  }

 private:
  std::condition_variable real_;
};

// Windows-style event: automatic reset wakes one waiter and clears itself,
// manual reset stays set until Reset.
enum class EventReset { kAutomatic, kManual };

class Event {
 public:
  explicit Event(EventReset reset = EventReset::kAutomatic, bool initially_set = false);
  Event(const Event&) = delete;
  Event& operator=(const Event&) = delete;

  void Set();
  void Reset();
  bool IsSet() const;
  // Waits up to `timeout_ms` (kInfinite: forever) of the current clock; true
  // when the event was set.
  bool Wait(uint32_t timeout_ms = kInfinite);
  bool WaitUntilMicroseconds(uint64_t deadline_us);

 private:
  const EventReset reset_;
  mutable std::mutex mu_;
  ConditionVariable cv_;
  bool set_;
};

// A thread that participates in virtual time from its first instruction to
// its last. The destructor joins.
class Thread {
 public:
  Thread() = default;
  explicit Thread(std::function<void()> body);
  ~Thread();
  Thread(Thread&& other) noexcept;
  Thread& operator=(Thread&& other) noexcept;

  bool Joinable() const { return thread_.joinable(); }
  // A clock wait for the thread's end.
  void Join();

 private:
  struct Done;
  std::thread thread_;
  std::shared_ptr<Done> done_;
};

}  // namespace platform
