// Host message windows: the channel through which the middleware notifies its
// host (the desktop application or the command-line front end).
//
// A host creates a window, registers a message name ("QM3MIDDLE") and drains
// posted messages. Posting never blocks and keeps the order of the messages
// posted by one thread.
//
// Thread rules: PostMessage may be called from any thread, including device
// callback threads; it takes a short internal lock and may allocate.
// PeekMessage/GetMessage are called by the window's owner thread.
#pragma once
#include <cstdint>

namespace platform {

using HWND = long;  // 0 is "no window"

struct Msg {
  HWND hwnd = 0;
  uint32_t message = 0;
  long wParam = 0;
  long lParam = 0;
};

HWND CreateHostWindow();
void DestroyHostWindow(HWND hwnd);

// Same name, same number, within the process; numbers start at 0xC000.
uint32_t RegisterWindowMessage(const char* name);

// false when the window does not exist.
bool PostMessage(HWND hwnd, uint32_t message, long wParam, long lParam);

// Removes the oldest message of the window into `out`; false when empty.
bool PeekMessage(HWND hwnd, Msg* out);

// Waits (on the current clock) up to `timeout_ms` (kInfinite: forever) for a
// message; false on time-out or when the window does not exist.
bool GetMessage(HWND hwnd, Msg* out, uint32_t timeout_ms);

}  // namespace platform
