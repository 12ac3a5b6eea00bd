#include "platform/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <vector>

#include "platform/host_window.h"

namespace platform {
namespace {

class VirtualClockTest : public ::testing::Test {
 protected:
  void SetUp() override { UseVirtualClock(); }
  void TearDown() override { UseRealClock(); }
};

TEST_F(VirtualClockTest, ThreadsWakeAtExactlyTheirDeadlines) {
  std::vector<uint64_t> a_times, b_times;
  {
    Thread a([&] {
      for (int i = 0; i < 3; ++i) {
        Sleep(7);
        a_times.push_back(GetMicroseconds());
      }
    });
    Thread b([&] {
      for (int i = 0; i < 2; ++i) {
        SleepUntilMicroseconds(GetMicroseconds() + 10500);
        b_times.push_back(GetMicroseconds());
      }
    });
    Sleep(100);
    EXPECT_EQ(GetMicroseconds(), 100000u);
  }
  EXPECT_EQ(a_times, (std::vector<uint64_t>{7000, 14000, 21000}));
  EXPECT_EQ(b_times, (std::vector<uint64_t>{10500, 21000}));
  EXPECT_EQ(GetTickCount(), 100u);
}

TEST_F(VirtualClockTest, TimeStandsStillWhileAParticipantRuns) {
  uint64_t seen = 0;
  Thread busy([&] {
    // Spins without waiting: nobody else may see time move meanwhile.
    for (int i = 0; i < 200000; ++i) seen = GetMicroseconds();
  });
  Thread sleeper([&] { Sleep(50); });
  busy.Join();
  EXPECT_EQ(seen, 0u);
  sleeper.Join();
  EXPECT_EQ(GetMicroseconds(), 50000u);
}

TEST_F(VirtualClockTest, EventWaitTimesOutOrWakesAtTheSetTime) {
  Event ev;
  EXPECT_FALSE(ev.Wait(30));
  EXPECT_EQ(GetMicroseconds(), 30000u);

  uint64_t woke_at = 0;
  Thread waiter([&] {
    EXPECT_TRUE(ev.Wait(1000));
    woke_at = GetMicroseconds();
  });
  Sleep(12);
  ev.Set();
  waiter.Join();
  EXPECT_EQ(woke_at, 42000u);
  EXPECT_FALSE(ev.IsSet());  // automatic reset consumed it

  Event manual(EventReset::kManual);
  manual.Set();
  EXPECT_TRUE(manual.Wait(0));
  EXPECT_TRUE(manual.Wait(0));
  manual.Reset();
  EXPECT_FALSE(manual.Wait(5));
}

TEST_F(VirtualClockTest, ConditionVariableWithPredicateAndTimeout) {
  std::mutex mu;
  ConditionVariable cv;
  int value = 0;
  Thread producer([&] {
    for (int i = 1; i <= 3; ++i) {
      Sleep(10);
      std::lock_guard lock(mu);
      value = i;
      cv.NotifyAll();
    }
  });
  std::unique_lock lock(mu);
  cv.Wait(lock, [&] { return value == 2; });
  EXPECT_EQ(GetMicroseconds(), 20000u);
  EXPECT_FALSE(cv.WaitUntilMicroseconds(lock, 25000, [&] { return value == 3; }));
  EXPECT_EQ(GetMicroseconds(), 25000u);
  EXPECT_TRUE(cv.WaitUntilMicroseconds(lock, 100000, [&] { return value == 3; }));
  EXPECT_EQ(GetMicroseconds(), 30000u);
  lock.unlock();
}

TEST_F(VirtualClockTest, PollingWithSleepZeroSeesOtherThreadsWithoutStallingTime) {
  std::atomic<bool> flag{false};
  Thread setter([&] {
    Sleep(5);
    flag = true;
    Sleep(1000);
  });
  while (!flag.load()) Sleep(0);
  // The poller sees the flag as soon as the setter is waiting again, before
  // time moves on to the setter's next deadline.
  EXPECT_EQ(GetMicroseconds(), 5000u);
}

TEST_F(VirtualClockTest, GetMessageWaitsForAPostOrItsTimeout) {
  const HWND wnd = CreateHostWindow();
  Msg m;
  EXPECT_FALSE(GetMessage(wnd, &m, 250));
  EXPECT_EQ(GetMicroseconds(), 250000u);
  Thread poster([&] {
    Sleep(40);
    PostMessage(wnd, 0xC000, 1, 2);
  });
  ASSERT_TRUE(GetMessage(wnd, &m, kInfinite));
  EXPECT_EQ(GetMicroseconds(), 290000u);
  EXPECT_EQ(m.lParam, 2);
  DestroyHostWindow(wnd);
  EXPECT_FALSE(GetMessage(wnd, &m, 10));
}

TEST(RealClockTest, SleepWaitsAtLeastTheDeadlineAndEventsTimeOut) {
  ASSERT_EQ(CurrentClock(), ClockKind::kReal);
  const uint64_t start = GetMicroseconds();
  Sleep(2);
  EXPECT_GE(GetMicroseconds() - start, 2000u);
  Event ev;
  EXPECT_FALSE(ev.Wait(1));
  Thread t([&] { ev.Set(); });
  EXPECT_TRUE(ev.Wait(kInfinite));
}

}  // namespace
}  // namespace platform
