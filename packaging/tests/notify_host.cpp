// A host that takes its notifications through a host window, built against
// the installed middleware with nothing but pkg-config's flags: the window's
// descriptor becomes readable when the middleware notifies a written value.
#include <poll.h>

#include <cstdio>

#include "platform/host_window.h"
#include "qm3middle.h"
#include "qm3middle_ids.h"

int main() {
  const platform::HWND hwnd = platform::CreateHostWindow();
  const uint32_t message = platform::RegisterWindowMessage("QM3MIDDLE");
  if (hwnd == 0) {
    std::fprintf(stderr, "notify_host: no host window\n");
    return 1;
  }
  QM3MiddleInit(hwnd, message);
  platform::Msg m;
  while (platform::PeekMessage(hwnd, &m)) {
  }
  // The synchronisation method's reaction notifies its redraw.
  QM3SetValue(QM3_ID_SYNC_METHOD, QM3_CMD_VALUE, 1, 0);
  pollfd fd{platform::HostWindowDescriptor(hwnd), POLLIN, 0};
  const bool readable = poll(&fd, 1, 5000) == 1 && (fd.revents & POLLIN) != 0;
  const bool drained = platform::PeekMessage(hwnd, &m) && m.message == message;
  long a = 0, b = 0;
  QM3GetValueFunc(QM3_PROC_END, &a, &b);
  platform::DestroyHostWindow(hwnd);
  if (!readable || !drained) {
    std::fprintf(stderr, "notify_host: no notification on the descriptor\n");
    return 1;
  }
  return 0;
}
