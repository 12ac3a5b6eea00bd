// Host windows: the readiness descriptor follows the queue, posts from other
// threads wake a poll, and a window nobody drains stays bounded.
#include "platform/host_window.h"

#include <poll.h>

#include <thread>

#include "gtest/gtest.h"

namespace platform {
namespace {

bool Readable(int fd, int timeout_ms = 0) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, timeout_ms) == 1 && (p.revents & POLLIN) != 0;
}

TEST(HostWindowTest, DescriptorIsReadableExactlyWhileMessagesAreQueued) {
  const HWND wnd = CreateHostWindow();
  ASSERT_NE(wnd, 0);
  const int fd = HostWindowDescriptor(wnd);
  ASSERT_GE(fd, 0);
  EXPECT_FALSE(Readable(fd));
  ASSERT_TRUE(PostMessage(wnd, 0xC000, 1, 0));
  ASSERT_TRUE(PostMessage(wnd, 0xC000, 2, 0));
  EXPECT_TRUE(Readable(fd));
  Msg m;
  ASSERT_TRUE(PeekMessage(wnd, &m));
  EXPECT_EQ(m.wParam, 1);
  EXPECT_TRUE(Readable(fd)) << "one message is still queued";
  ASSERT_TRUE(PeekMessage(wnd, &m));
  EXPECT_EQ(m.wParam, 2);
  EXPECT_FALSE(Readable(fd));
  // Readable again after being drained once.
  ASSERT_TRUE(PostMessage(wnd, 0xC000, 3, 0));
  EXPECT_TRUE(Readable(fd));
  DestroyHostWindow(wnd);
  EXPECT_EQ(HostWindowDescriptor(wnd), -1);
}

TEST(HostWindowTest, PollWakesOnAPostFromAnotherThreadInOrder) {
  const HWND wnd = CreateHostWindow();
  const int fd = HostWindowDescriptor(wnd);
  std::thread poster([wnd] {
    for (long i = 0; i < 100; ++i) PostMessage(wnd, 0xC000, i, 3);
  });
  long expected = 0;
  while (expected < 100) {
    ASSERT_TRUE(Readable(fd, 5000));
    Msg m;
    while (PeekMessage(wnd, &m)) EXPECT_EQ(m.wParam, expected++);
  }
  poster.join();
  EXPECT_FALSE(Readable(fd));
  DestroyHostWindow(wnd);
}

TEST(HostWindowTest, AFullQueueDropsRepeatsFirstThenTheOldest) {
  const HWND wnd = CreateHostWindow();
  for (unsigned i = 0; i < kHostWindowQueueLimit; ++i) ASSERT_TRUE(PostMessage(wnd, 0xC000, i, 0));
  // A repeat of a queued message is dropped; nothing else moves.
  EXPECT_TRUE(PostMessage(wnd, 0xC000, 7, 0));
  EXPECT_EQ(DroppedMessageCount(wnd), 1u);
  // A new message pushes out the oldest.
  EXPECT_TRUE(PostMessage(wnd, 0xC000, 99999, 0));
  EXPECT_EQ(DroppedMessageCount(wnd), 2u);
  Msg m;
  unsigned count = 0;
  long first = -1, last = -1;
  while (PeekMessage(wnd, &m)) {
    if (count++ == 0) first = m.wParam;
    last = m.wParam;
  }
  EXPECT_EQ(count, kHostWindowQueueLimit);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 99999);
  DestroyHostWindow(wnd);
}

TEST(HostWindowTest, PostsToAMissingWindowFail) {
  EXPECT_FALSE(PostMessage(0, 0xC000, 1, 0));
  EXPECT_EQ(HostWindowDescriptor(0), -1);
  Msg m;
  EXPECT_FALSE(PeekMessage(0, &m));
}

}  // namespace
}  // namespace platform
