// The virtual clock's scheduler, shared by the clock calls and the wait
// primitives. Internal to the platform library.
#pragma once
#include <cstdint>
#include <mutex>

namespace platform::vclock {

// True while the virtual clock is in use (one relaxed atomic load).
bool Active();

// Blocks the calling participant until another thread notifies `channel`
// or virtual time reaches `deadline_us` (kNoDeadline: no time-out). `user`
// (may be null) is released while blocked and taken again before returning.
// Returns true when notified, false on time-out.
bool Block(const void* channel, uint64_t deadline_us, std::unique_lock<std::mutex>* user);

// Returns once another participant started a wait or time moved on.
void YieldToOthers();

// Wakes one or every thread blocked on `channel`.
void Notify(const void* channel, bool all);

// Participant bookkeeping for platform::Thread and ClockParticipant.
// RegisterStarting is called by the creating thread and queues the new
// thread's first turn; it returns the ticket (null on the real clock) that
// the new thread passes to MarkCurrentRegistered, which waits for that turn.
void* RegisterStarting();
void MarkCurrentRegistered(void* ticket);
void Unregister();

}  // namespace platform::vclock
