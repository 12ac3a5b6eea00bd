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
  const uint32_t start = GetTickCount();
  for (;;) {
    if (PeekMessage(hwnd, out)) return true;
    if (GetTickCount() - start >= timeout_ms) return false;
    Sleep(1);
  }
}

}  // namespace platform
