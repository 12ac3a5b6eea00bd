// The real clock and the virtual clock's scheduler (see clock.h for the
// rules). On the real clock every call is a plain OS call; the scheduler's
// lock is only touched while the virtual clock is in use.
#include "platform/clock.h"

#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <vector>

#include "platform/trace.h"
#include "virtual_clock.h"

namespace platform {
namespace {

std::atomic<bool> g_virtual{false};

uint64_t RealMicroseconds() {
  static const uint64_t start = [] {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u;
  }();
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return uint64_t(ts.tv_sec) * 1000000u + uint64_t(ts.tv_nsec) / 1000u - start;
}

void RealSleepUntil(uint64_t deadline_us) {
  // Absolute sleeps on the monotonic clock: no drift from repeated relative
  // sleeps, and the best wake-up precision the kernel offers.
  RealMicroseconds();  // fixes the start
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  const uint64_t now_us = RealMicroseconds();
  if (deadline_us <= now_us) return;
  const uint64_t wait_us = deadline_us - now_us;
  timespec target = now;
  target.tv_sec += time_t(wait_us / 1000000u);
  target.tv_nsec += long(wait_us % 1000000u) * 1000;
  if (target.tv_nsec >= 1000000000) {
    target.tv_sec += 1;
    target.tv_nsec -= 1000000000;
  }
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &target, nullptr) == EINTR) {
  }
}

// ---- virtual scheduler --------------------------------------------------------

struct Waiter {
  Waiter(const void* c, uint64_t d, bool y) : channel(c), deadline(d), yield(y) {}
  const void* channel;  // null for sleeps and yields
  uint64_t deadline;    // kNoDeadline: none
  bool yield;
  bool woken = false;
  bool notified = false;
  std::condition_variable cv;
};

struct Scheduler {
  std::mutex mu;
  std::atomic<uint64_t> now{0};
  uint64_t epoch = 1;
  int participants = 0;
  int running = 0;
  uint64_t events = 0;           // every wait, wake-up and membership change
  std::vector<Waiter*> waiters;  // blocked, in the order they started waiting
  // Due or notified, in the order they became so. One participant runs at a
  // time, taken from the front, so the order of everything the participants
  // do at one instant is the same on every run.
  std::deque<Waiter*> ready;
};

Scheduler& Sched() {
  static Scheduler s;
  return s;
}

thread_local uint64_t t_epoch = 0;

// Unregisters a thread that joined by waiting, when it ends.
struct AutoMembership {
  bool active = false;
  ~AutoMembership() {
    if (active) vclock::Unregister();
  }
};
thread_local AutoMembership t_auto;

void WakeLocked(Scheduler& s, size_t index, bool notified) {
  ++s.events;
  Waiter* w = s.waiters[index];
  s.waiters.erase(s.waiters.begin() + static_cast<std::ptrdiff_t>(index));
  w->notified = notified;
  s.ready.push_back(w);
}

void AdvanceLocked(Scheduler& s);

// Lets the next ready participant run once nobody runs.
void DispatchLocked(Scheduler& s) {
  if (s.running != 0 || s.ready.empty()) return;
  Waiter* w = s.ready.front();
  s.ready.pop_front();
  w->woken = true;
  ++s.running;  // counted as running from now on, before it is scheduled
  w->cv.notify_one();
}

// The running participant stopped running: the next ready one runs, or,
// with none ready, time moves on.
void HandOnLocked(Scheduler& s) {
  if (s.running != 0) return;
  if (s.ready.empty()) AdvanceLocked(s);
  DispatchLocked(s);
}

// Every thread blocked or ready is let go (the clock stops being virtual).
void ReleaseAllLocked(Scheduler& s) {
  while (!s.waiters.empty()) WakeLocked(s, 0, false);
  for (Waiter* w : s.ready) {
    w->woken = true;
    w->cv.notify_one();
  }
  s.ready.clear();
}

void WakeYieldersLocked(Scheduler& s) {
  for (size_t i = 0; i < s.waiters.size();) {
    if (s.waiters[i]->yield) {
      WakeLocked(s, i, false);
    } else {
      ++i;
    }
  }
}

// Every participant waits and none is ready: move time to the earliest
// deadline; the waiters due then become ready in the order they started
// waiting.
void AdvanceLocked(Scheduler& s) {
  uint64_t earliest = kNoDeadline;
  for (const Waiter* w : s.waiters) {
    if (!w->yield) earliest = std::min(earliest, w->deadline);
  }
  if (earliest != kNoDeadline) {
    if (earliest > s.now.load(std::memory_order_relaxed)) {
      s.now.store(earliest, std::memory_order_release);
    }
    const uint64_t now = s.now.load(std::memory_order_relaxed);
    for (size_t i = 0; i < s.waiters.size();) {
      if (!s.waiters[i]->yield && s.waiters[i]->deadline <= now) {
        WakeLocked(s, i, false);
      } else {
        ++i;
      }
    }
  }
  WakeYieldersLocked(s);
}

void EnsureRegisteredLocked(Scheduler& s) {
  if (t_epoch == s.epoch) return;
  t_epoch = s.epoch;
  ++s.participants;
  ++s.running;
  t_auto.active = true;
}

#ifndef NDEBUG
std::chrono::milliseconds StallLimit() {
  const char* text = std::getenv("SONAVEX_CLOCK_STALL_MS");
  const long ms = text != nullptr ? std::atol(text) : 0;
  return std::chrono::milliseconds(ms > 0 ? ms : 120000);
}

// A participant runs outside the clock's waits and nothing moves: it is
// blocked on something the clock cannot see, and time would never advance.
[[noreturn]] void ReportStall(const Scheduler& s, std::chrono::milliseconds limit) {
  std::fprintf(stderr,
               "virtual clock stalled: %d of %d participants have not reached a clock wait "
               "for %lld ms while the others wait (blocked on a lock held across a clock wait, "
               "a blocking call, or another process?)\n",
               s.running, s.participants, static_cast<long long>(limit.count()));
  std::abort();
}
#endif

// Caller holds `lock` on Sched().mu and has not added `w` yet.
void BlockLocked(Scheduler& s, std::unique_lock<std::mutex>& lock, Waiter& w) {
  EnsureRegisteredLocked(s);
  ++s.events;
  s.waiters.push_back(&w);
  // A thread that starts waiting may have changed what pollers look at.
  if (!w.yield) WakeYieldersLocked(s);
  --s.running;
  HandOnLocked(s);
#ifndef NDEBUG
  const std::chrono::milliseconds limit = StallLimit();
  while (!w.woken) {
    const uint64_t seen = s.events;
    if (w.cv.wait_for(lock, limit, [&] { return w.woken; })) break;
    if (s.events == seen && s.running > 0 && g_virtual.load()) ReportStall(s, limit);
  }
#else
  w.cv.wait(lock, [&] { return w.woken; });
#endif
}

}  // namespace

namespace vclock {

bool Active() {
  return g_virtual.load(std::memory_order_relaxed);
}

bool Block(const void* channel, uint64_t deadline_us, std::unique_lock<std::mutex>* user) {
  Scheduler& s = Sched();
  std::unique_lock lock(s.mu);
  if (deadline_us != kNoDeadline && deadline_us <= s.now.load(std::memory_order_relaxed)) {
    return false;
  }
  Waiter w(channel, deadline_us, false);
  if (user != nullptr) user->unlock();
  BlockLocked(s, lock, w);
  lock.unlock();
  if (user != nullptr) user->lock();
  return w.notified;
}

void YieldToOthers() {
  Scheduler& s = Sched();
  std::unique_lock lock(s.mu);
  Waiter w(nullptr, kNoDeadline, true);
  BlockLocked(s, lock, w);
}

void Notify(const void* channel, bool all) {
  Scheduler& s = Sched();
  std::lock_guard lock(s.mu);
  for (size_t i = 0; i < s.waiters.size();) {
    if (s.waiters[i]->channel == channel && channel != nullptr) {
      WakeLocked(s, i, true);
      if (!all) break;
    } else {
      ++i;
    }
  }
  DispatchLocked(s);  // a notification from outside while every participant waits
}

// The new thread's first turn: queued at creation, so that when it runs
// does not depend on when the system starts it.
struct StartTicket {
  Waiter turn{nullptr, kNoDeadline, false};
  uint64_t epoch = 0;
};

void* RegisterStarting() {
  if (!Active()) return nullptr;
  Scheduler& s = Sched();
  std::lock_guard lock(s.mu);
  auto* ticket = new StartTicket;
  ticket->epoch = s.epoch;
  ++s.participants;
  ++s.events;
  s.ready.push_back(&ticket->turn);
  DispatchLocked(s);
  return ticket;
}

void MarkCurrentRegistered(void* ticket_pointer) {
  auto* ticket = static_cast<StartTicket*>(ticket_pointer);
  Scheduler& s = Sched();
  {
    std::unique_lock lock(s.mu);
    t_epoch = ticket->epoch;
    ticket->turn.cv.wait(lock, [&] { return ticket->turn.woken; });
  }
  delete ticket;
}

void Unregister() {
  Scheduler& s = Sched();
  std::lock_guard lock(s.mu);
  t_auto.active = false;
  if (t_epoch != s.epoch) return;
  t_epoch = 0;
  ++s.events;
  --s.participants;
  WakeYieldersLocked(s);
  --s.running;
  if (s.participants > 0) HandOnLocked(s);
}

}  // namespace vclock

uint64_t GetMicroseconds() {
  return vclock::Active() ? Sched().now.load(std::memory_order_acquire) : RealMicroseconds();
}

uint32_t GetTickCount() {
  return static_cast<uint32_t>(GetMicroseconds() / 1000);
}

void SleepUntilMicroseconds(uint64_t deadline_us) {
  if (vclock::Active()) {
    vclock::Block(nullptr, deadline_us, nullptr);
    return;
  }
  RealSleepUntil(deadline_us);
}

void Sleep(uint32_t ms) {
  if (ms == 0) {
    Yield();
    return;
  }
  SleepUntilMicroseconds(GetMicroseconds() + uint64_t{ms} * 1000);
}

void Yield() {
  if (vclock::Active()) {
    vclock::YieldToOthers();
    return;
  }
  std::this_thread::yield();
}

ClockKind CurrentClock() {
  return vclock::Active() ? ClockKind::kVirtual : ClockKind::kReal;
}

void UseVirtualClock() {
  Scheduler& s = Sched();
  std::lock_guard lock(s.mu);
  if (!s.waiters.empty()) TraceLog("UseVirtualClock: %zu threads still waiting", s.waiters.size());
  ReleaseAllLocked(s);
  ++s.epoch;
  s.now.store(0);
  s.participants = 1;
  s.running = 1;
  t_epoch = s.epoch;
  g_virtual.store(true);
}

void UseRealClock() {
  Scheduler& s = Sched();
  std::lock_guard lock(s.mu);
  g_virtual.store(false);
  ++s.epoch;
  s.participants = 0;
  s.running = 0;
  // Anyone still blocked would wait forever on a clock that no longer runs.
  ReleaseAllLocked(s);
  s.running = 0;
}

ClockParticipant::ClockParticipant() {
  if (!vclock::Active()) return;
  Scheduler& s = Sched();
  std::unique_lock lock(s.mu);
  if (t_epoch == s.epoch) return;  // already one
  t_epoch = s.epoch;
  ++s.participants;
  ++s.events;
  registered_ = true;
  // Ran freely until now: waits for its turn like every participant.
  Waiter turn(nullptr, kNoDeadline, false);
  s.ready.push_back(&turn);
  DispatchLocked(s);
  turn.cv.wait(lock, [&] { return turn.woken; });
}

ClockParticipant::~ClockParticipant() {
  if (registered_) vclock::Unregister();
}

}  // namespace platform
