#include "platform/instance_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform {
namespace {

// Each test gets its own runtime folder so parallel runs never meet.
class InstanceLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    if (old != nullptr) saved_ = old;
    had_ = old != nullptr;
    dir_ = ::testing::TempDir() + "instance_lock_" + std::to_string(::getpid());
    std::filesystem::create_directories(dir_);
    setenv("XDG_RUNTIME_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (had_) {
      setenv("XDG_RUNTIME_DIR", saved_.c_str(), 1);
    } else {
      unsetenv("XDG_RUNTIME_DIR");
    }
    std::filesystem::remove_all(dir_);
  }
  std::string dir_, saved_;
  bool had_ = false;
};

TEST_F(InstanceLockTest, PathLivesInTheRuntimeFolder) {
  EXPECT_EQ(InstanceLockPath(), dir_ + "/sonavex/instance.lock");
  EXPECT_TRUE(std::filesystem::is_directory(dir_ + "/sonavex"));
}

TEST_F(InstanceLockTest, RelativeRuntimeFolderFallsBackToTmp) {
  setenv("XDG_RUNTIME_DIR", "relative", 1);
  EXPECT_EQ(InstanceLockPath(), "/tmp/sonavex-" + std::to_string(getuid()) + "/instance.lock");
}

TEST_F(InstanceLockTest, OneHolderAtATimeAndReleaseLetsTheNextIn) {
  EXPECT_FALSE(IsInstanceRunning());
  InstanceLock first;
  ASSERT_TRUE(first.TryAcquire());
  EXPECT_TRUE(IsInstanceRunning());
  InstanceLock second;
  EXPECT_FALSE(second.TryAcquire());
  EXPECT_FALSE(second.held());
  first.Release();
  EXPECT_FALSE(IsInstanceRunning());
  EXPECT_TRUE(second.TryAcquire());
}

TEST_F(InstanceLockTest, ADestroyedHolderReleases) {
  {
    InstanceLock held;
    ASSERT_TRUE(held.TryAcquire());
  }
  EXPECT_FALSE(IsInstanceRunning());
}

TEST_F(InstanceLockTest, ReadersLearnWhichProgramRunsAndNothingOnceItEnds) {
  EXPECT_FALSE(FindRunningInstance().running);
  InstanceLock lock;
  ASSERT_TRUE(lock.TryAcquire("/opt/somewhere/lib/sonavex/sonavex"));
  const RunningInstance running = FindRunningInstance();
  EXPECT_TRUE(running.running);
  EXPECT_EQ(running.executable, "/opt/somewhere/lib/sonavex/sonavex");
  lock.Release();
  const RunningInstance after = FindRunningInstance();
  EXPECT_FALSE(after.running);
  EXPECT_TRUE(after.executable.empty());
}

TEST_F(InstanceLockTest, AHolderRecordsItsOwnProgramByDefault) {
  InstanceLock lock;
  ASSERT_TRUE(lock.TryAcquire());
  char self[4096] = {};
  ASSERT_GT(readlink("/proc/self/exe", self, sizeof self - 1), 0);
  EXPECT_EQ(FindRunningInstance().executable, self);
}

TEST_F(InstanceLockTest, AFolderSomeoneElseOwnsIsNotUsed) {
  // In /tmp anyone may have made the folder first; a symbolic link there must
  // not lead the lock elsewhere.
  const std::string elsewhere = dir_ + "/elsewhere";
  std::filesystem::create_directories(elsewhere);
  std::filesystem::create_directory_symlink(elsewhere, dir_ + "/sonavex");
  InstanceLock lock;
  EXPECT_FALSE(lock.TryAcquire());
  EXPECT_FALSE(std::filesystem::exists(elsewhere + "/instance.lock"));
}

}  // namespace
}  // namespace platform
