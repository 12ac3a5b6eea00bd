// Test fixture for the middleware core: a fresh value table on the virtual
// clock and a host window that collects the notifications.
#pragma once
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "platform/clock.h"
#include "platform/host_window.h"
#include "qm3middle.h"
#include "song/phrase_list.h"

namespace qm3 {

using Posted = std::pair<long, long>;  // (identifier, kind)

class CoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::UseVirtualClock();
    StartMiddleware();
    ClearSongPhrases();
    hwnd_ = platform::CreateHostWindow();
    message_ = platform::RegisterWindowMessage("QM3MIDDLE");
    BindHost(hwnd_, message_);
  }

  void TearDown() override {
    DestroyMiddleware();
    ClearSongPhrases();
    platform::DestroyHostWindow(hwnd_);
    platform::UseRealClock();
  }

  // Every notification posted since the last call, in order.
  std::vector<Posted> Drain() {
    std::vector<Posted> out;
    platform::Msg m;
    while (platform::PeekMessage(hwnd_, &m)) {
      EXPECT_EQ(m.message, message_);
      out.emplace_back(m.wParam, m.lParam);
    }
    return out;
  }

  long Get(long id, signed char cmd = 0) {
    long a = -12345;
    long b = -12345;
    EXPECT_EQ(QM3GetValue(id, cmd, &a, &b), 0);
    return a;
  }

  long hwnd_ = 0;
  uint32_t message_ = 0;
};

}  // namespace qm3
