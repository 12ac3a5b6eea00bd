#include "platform/host_window.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace platform {
namespace {

// One window: its queue and the eventfd that is readable while the queue is
// not empty (the counter is set on the first post and cleared when drained).
struct Window {
  std::deque<Msg> queue;
  int fd = -1;
  uint64_t dropped = 0;
};

struct Registry {
  std::mutex mu;
  ConditionVariable posted;  // a clock wait, so GetMessage works on either clock
  HWND next = 1;
  std::map<HWND, Window> windows;
  std::map<std::string, uint32_t> names;
};

Registry& Reg() {
  static Registry r;
  return r;
}

void SignalReadable(const Window& w) {
  const uint64_t one = 1;
  [[maybe_unused]] ssize_t n = write(w.fd, &one, sizeof one);
}

void ClearReadable(const Window& w) {
  uint64_t count = 0;
  [[maybe_unused]] ssize_t n = read(w.fd, &count, sizeof count);
}

bool SameMessage(const Msg& a, const Msg& b) {
  return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

// Takes the oldest message; the caller holds the lock and checked for one.
Msg TakeFront(Window& w) {
  Msg m = w.queue.front();
  w.queue.pop_front();
  if (w.queue.empty()) ClearReadable(w);
  return m;
}

}  // namespace

HWND CreateHostWindow() {
  const int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (fd < 0) return 0;
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  HWND h = r.next++;
  r.windows[h].fd = fd;
  return h;
}

void DestroyHostWindow(HWND hwnd) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto it = r.windows.find(hwnd);
  if (it == r.windows.end()) return;
  close(it->second.fd);
  r.windows.erase(it);
}

uint32_t RegisterWindowMessage(const char* name) {
  if (name == nullptr) return 0;
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto [it, inserted] = r.names.try_emplace(name, 0xC000u + static_cast<uint32_t>(r.names.size()));
  return it->second;
}

bool PostMessage(HWND hwnd, uint32_t message, long wParam, long lParam) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto it = r.windows.find(hwnd);
  if (it == r.windows.end()) return false;
  Window& w = it->second;
  const Msg m{hwnd, message, wParam, lParam};
  if (w.queue.size() >= kHostWindowQueueLimit) {
    ++w.dropped;
    const bool repeated = std::any_of(w.queue.begin(), w.queue.end(),
                                      [&](const Msg& q) { return SameMessage(q, m); });
    if (repeated) return true;
    w.queue.pop_front();
  }
  if (w.queue.empty()) SignalReadable(w);
  w.queue.push_back(m);
  r.posted.NotifyAll();
  return true;
}

bool PeekMessage(HWND hwnd, Msg* out) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto it = r.windows.find(hwnd);
  if (it == r.windows.end() || it->second.queue.empty()) return false;
  const Msg m = TakeFront(it->second);
  if (out != nullptr) *out = m;
  return true;
}

bool GetMessage(HWND hwnd, Msg* out, uint32_t timeout_ms) {
  Registry& r = Reg();
  const uint64_t deadline = GetMicroseconds() + uint64_t{timeout_ms} * 1000;
  std::unique_lock lock(r.mu);
  for (bool timed_out = false;;) {
    auto it = r.windows.find(hwnd);
    if (it == r.windows.end()) return false;
    if (!it->second.queue.empty()) {
      const Msg m = TakeFront(it->second);
      if (out != nullptr) *out = m;
      return true;
    }
    if (timed_out) return false;
    if (timeout_ms == kInfinite) {
      r.posted.Wait(lock);
    } else {
      timed_out = !r.posted.WaitUntilMicroseconds(lock, deadline);
    }
  }
}

int HostWindowDescriptor(HWND hwnd) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto it = r.windows.find(hwnd);
  return it == r.windows.end() ? -1 : it->second.fd;
}

uint64_t DroppedMessageCount(HWND hwnd) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto it = r.windows.find(hwnd);
  return it == r.windows.end() ? 0 : it->second.dropped;
}

}  // namespace platform
