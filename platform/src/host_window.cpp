#include "platform/host_window.h"

#include <deque>
#include <map>
#include <mutex>
#include <string>

#include "platform/clock.h"

namespace platform {
namespace {

struct Registry {
  std::mutex mu;
  ConditionVariable posted;  // a clock wait, so GetMessage works on either clock
  HWND next = 1;
  std::map<HWND, std::deque<Msg>> queues;
  std::map<std::string, uint32_t> names;
};

Registry& Reg() {
  static Registry r;
  return r;
}

}  // namespace

HWND CreateHostWindow() {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  HWND h = r.next++;
  r.queues[h];
  return h;
}

void DestroyHostWindow(HWND hwnd) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  r.queues.erase(hwnd);
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
  auto it = r.queues.find(hwnd);
  if (it == r.queues.end()) return false;
  it->second.push_back(Msg{hwnd, message, wParam, lParam});
  r.posted.NotifyAll();
  return true;
}

bool PeekMessage(HWND hwnd, Msg* out) {
  Registry& r = Reg();
  std::lock_guard lock(r.mu);
  auto it = r.queues.find(hwnd);
  if (it == r.queues.end() || it->second.empty()) return false;
  if (out != nullptr) *out = it->second.front();
  it->second.pop_front();
  return true;
}

bool GetMessage(HWND hwnd, Msg* out, uint32_t timeout_ms) {
  Registry& r = Reg();
  const uint64_t deadline = GetMicroseconds() + uint64_t{timeout_ms} * 1000;
  std::unique_lock lock(r.mu);
  for (bool timed_out = false;;) {
    auto it = r.queues.find(hwnd);
    if (it == r.queues.end()) return false;
    if (!it->second.empty()) {
      if (out != nullptr) *out = it->second.front();
      it->second.pop_front();
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

}  // namespace platform
