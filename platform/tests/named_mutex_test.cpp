#include "platform/named_mutex.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <mutex>

#include "platform/clock.h"

namespace platform {
namespace {

class NamedMutexTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A fresh template each time: a repeated run starts the suite again.
    char dir[] = "/tmp/sonavex-named-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    setenv("XDG_RUNTIME_DIR", dir, 1);
  }
  void TearDown() override { UseRealClock(); }
};

TEST_F(NamedMutexTest, TwoHoldersOfOneNameExcludeEachOtherUntilUnlock) {
  NamedMutex first("Global\\test-exclusion");
  NamedMutex second("Global\\test-exclusion");
  ASSERT_TRUE(first.valid());
  ASSERT_TRUE(first.TryLock());
  EXPECT_FALSE(second.TryLock());
  first.Unlock();
  EXPECT_TRUE(second.TryLock());
}

// Another process cannot move virtual time, so a wait for its lock must end
// on the real clock and leave virtual time where it was.
TEST_F(NamedMutexTest, LockWaitsOnTheRealClockEvenUnderTheVirtualClock) {
  NamedMutex holder("Global\\test-real-wait");
  NamedMutex waiter("Global\\test-real-wait");
  ASSERT_TRUE(holder.TryLock());
  UseVirtualClock();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(waiter.Lock(30));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(30));
  EXPECT_EQ(GetMicroseconds(), 0u);
}

#ifndef NDEBUG
// A participant blocked on a mutex that a clock waiter holds stops virtual
// time for good; a debug build says so instead of hanging.
TEST(VirtualClockStallDeathTest, AParticipantBlockedOutsideTheClockIsReported) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH(
      {
        setenv("SONAVEX_CLOCK_STALL_MS", "200", 1);
        UseVirtualClock();
        std::mutex foreign;
        Thread holder([&] {
          std::lock_guard hold(foreign);
          Sleep(10);  // a clock wait with the mutex held
        });
        Sleep(1);
        std::lock_guard blocked(foreign);  // never counted as waiting
      },
      "virtual clock stalled");
}
#endif

}  // namespace
}  // namespace platform
