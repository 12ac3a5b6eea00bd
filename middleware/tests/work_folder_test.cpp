// Work folders per running instance: two never share one, a folder given
// back or left by a killed process is taken again, emptied.
#include "core/work_folder.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace qm3 {
namespace {

namespace fs = std::filesystem;

class WorkFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/sonavex-work-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    base_ = std::string(pattern) + "/";
  }
  void TearDown() override { fs::remove_all(base_); }

  static void Touch(const fs::path& file) { std::ofstream(file) << "left over"; }

  std::string base_;
};

TEST_F(WorkFolderTest, InstancesTakeDistinctFoldersAndAFreedOneIsTakenAgainEmpty) {
  WorkFolder first;
  WorkFolder second;
  ASSERT_EQ(first.Take(base_), base_ + "work/0/");
  ASSERT_EQ(second.Take(base_), base_ + "work/1/");
  Touch(fs::path(first.path()) / "body_mid.dat");
  first.Release();
  EXPECT_FALSE(first.taken());
  EXPECT_FALSE(fs::exists(base_ + "work/0/body_mid.dat"));  // given back emptied

  WorkFolder third;
  EXPECT_EQ(third.Take(base_), base_ + "work/0/");
  EXPECT_EQ(second.path(), base_ + "work/1/");
}

TEST_F(WorkFolderTest, AFolderOfAKilledInstanceIsReclaimedWithItsSpoolRemoved) {
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    WorkFolder folder;
    const bool took = folder.Take(base_) == base_ + "work/0/";
    if (took) Touch(fs::path(folder.path()) / "wavetemp.dat");
    const char answer = took ? 'y' : 'n';
    (void)!write(ready[1], &answer, 1);
    pause();  // until killed: the folder is never given back
    _exit(0);
  }
  char answer = 0;
  ASSERT_EQ(read(ready[0], &answer, 1), 1);
  ASSERT_EQ(answer, 'y');
  {
    WorkFolder while_alive;
    EXPECT_EQ(while_alive.Take(base_), base_ + "work/1/");
  }
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
  close(ready[0]);
  close(ready[1]);
  ASSERT_TRUE(fs::exists(base_ + "work/0/wavetemp.dat"));

  WorkFolder next;
  EXPECT_EQ(next.Take(base_), base_ + "work/0/");
  EXPECT_FALSE(fs::exists(base_ + "work/0/wavetemp.dat"));
}

TEST_F(WorkFolderTest, ABaseThatCannotHoldFoldersGivesNoFolder) {
  Touch(base_ + "work");  // a file where the folders would go
  WorkFolder folder;
  EXPECT_EQ(folder.Take(base_), "");
  EXPECT_FALSE(folder.taken());
}

}  // namespace
}  // namespace qm3
