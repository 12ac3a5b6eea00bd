// Event, ConditionVariable and Thread: OS primitives on the real clock, the
// virtual scheduler's channels on the virtual clock.
#include <chrono>

#include "platform/clock.h"
#include "virtual_clock.h"

namespace platform {
namespace {

std::chrono::steady_clock::time_point RealTimePoint(uint64_t deadline_us) {
  const uint64_t now = GetMicroseconds();
  const auto steady_now = std::chrono::steady_clock::now();
  if (deadline_us <= now) return steady_now;
  return steady_now + std::chrono::microseconds(deadline_us - now);
}

}  // namespace

// ---- ConditionVariable --------------------------------------------------------

void ConditionVariable::NotifyOne() {
  if (vclock::Active()) vclock::Notify(this, false);
  real_.notify_one();
}

void ConditionVariable::NotifyAll() {
  if (vclock::Active()) vclock::Notify(this, true);
  real_.notify_all();
}

void ConditionVariable::Wait(std::unique_lock<std::mutex>& lock) {
  if (vclock::Active()) {
    vclock::Block(this, kNoDeadline, &lock);
    return;
  }
  real_.wait(lock);
}

bool ConditionVariable::WaitUntilMicroseconds(std::unique_lock<std::mutex>& lock,
                                              uint64_t deadline_us) {
  if (vclock::Active()) return vclock::Block(this, deadline_us, &lock);
  if (deadline_us == kNoDeadline) {
    real_.wait(lock);
    return true;
  }
  return real_.wait_until(lock, RealTimePoint(deadline_us)) == std::cv_status::no_timeout;
}

// ---- Event -----------------------------------------------------------------------

Event::Event(EventReset reset, bool initially_set) : reset_(reset), set_(initially_set) {}

void Event::Set() {
  std::lock_guard lock(mu_);
  set_ = true;
  if (reset_ == EventReset::kManual) {
    cv_.NotifyAll();
  } else {
    cv_.NotifyOne();
  }
}

void Event::Reset() {
  std::lock_guard lock(mu_);
  set_ = false;
}

bool Event::IsSet() const {
  std::lock_guard lock(mu_);
  return set_;
}

bool Event::Wait(uint32_t timeout_ms) {
  if (timeout_ms == kInfinite) return WaitUntilMicroseconds(kNoDeadline);
  return WaitUntilMicroseconds(GetMicroseconds() + uint64_t{timeout_ms} * 1000);
}

bool Event::WaitUntilMicroseconds(uint64_t deadline_us) {
  std::unique_lock lock(mu_);
  const bool got = cv_.WaitUntilMicroseconds(lock, deadline_us, [&] { return set_; });
  if (got && reset_ == EventReset::kAutomatic) set_ = false;
  return got;
}

// ---- Thread ------------------------------------------------------------------------

struct Thread::Done {
  Event event{EventReset::kManual};
};

Thread::Thread(std::function<void()> body) : done_(std::make_shared<Done>()) {
  void* ticket = vclock::RegisterStarting();
  const bool registered = ticket != nullptr;
  thread_ = std::thread([body = std::move(body), done = done_, ticket, registered] {
    if (registered) vclock::MarkCurrentRegistered(ticket);
    body();
    done->event.Set();
    if (registered) vclock::Unregister();
  });
}

Thread::~Thread() {
  Join();
}

Thread::Thread(Thread&& other) noexcept = default;

Thread& Thread::operator=(Thread&& other) noexcept {
  if (this != &other) {
    Join();
    thread_ = std::move(other.thread_);
    done_ = std::move(other.done_);
  }
  return *this;
}

void Thread::Join() {
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();  // a thread cannot wait for itself
    return;
  }
  if (vclock::Active()) done_->event.Wait();
  thread_.join();
}

}  // namespace platform
