// Host message windows: the channel through which the middleware notifies its
// host (the desktop application or the command-line front end).
//
// A host creates a window, registers a message name ("QM3MIDDLE") and drains
// posted messages. Posting never blocks and keeps the order of the messages
// posted by one thread.
//
// A host's event loop waits on the window's descriptor (poll, select, a
// QSocketNotifier) instead of polling: it is readable exactly while the window
// holds messages. The queue is bounded (kHostWindowQueueLimit): when it is
// full, a post that repeats a message still queued (same message, wParam and
// lParam) is dropped, since the host reads the current state when it handles
// the queued one; any other post drops the oldest queued message. Dropped
// posts are counted (DroppedMessageCount).
//
// Thread rules: PostMessage may be called from any thread, including device
// callback threads; it takes a short internal lock, never blocks on the host
// and may allocate. PeekMessage/GetMessage and the descriptor belong to the
// window's owner thread. The descriptor is owned by the window: never read or
// close it yourself; drain with PeekMessage until it returns false. It stays
// valid until DestroyHostWindow.
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

// Messages a window holds at most before posts are dropped.
constexpr unsigned kHostWindowQueueLimit = 4096;

// 0 when the system cannot make the window's descriptor.
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

// The window's readiness descriptor (an eventfd): readable while messages are
// queued. -1 when the window does not exist.
int HostWindowDescriptor(HWND hwnd);

// Posts dropped because the window's queue was full, since its creation.
uint64_t DroppedMessageCount(HWND hwnd);

}  // namespace platform
