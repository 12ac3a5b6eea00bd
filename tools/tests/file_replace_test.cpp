#include "file_replace.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>

#include "install_test_folder.h"

namespace sonavex::install {
namespace {

namespace fs = std::filesystem;

class FileReplaceTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_.path() / "new");
    fs::create_directories(dir_.path() / "installed/lib");
    WriteFile(dir_.path() / "new/program", "new program");
    WriteFile(dir_.path() / "new/library", "new library");
    WriteFile(dir_.path() / "installed/program", "old program");
    WriteFile(dir_.path() / "installed/lib/library", "old library");
    ::chmod((dir_.path() / "installed/program").c_str(), 0751);
    files_ = {{dir_.path() / "new/program", dir_.path() / "installed/program"},
              {dir_.path() / "new/library", dir_.path() / "installed/lib/library"}};
  }
  // Only the installed files: no staged copy or kept old file left behind.
  void ExpectOnlyInstalledFiles() {
    size_t count = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir_.path() / "installed")) {
      count += e.is_regular_file();
    }
    EXPECT_EQ(count, 2u);
  }
  TempFolder dir_{"file_replace"};
  std::vector<Replacement> files_;
};

TEST_F(FileReplaceTest, ReplacesEveryFileKeepingItsPermissions) {
  // A running program holds its old file open: it must keep the old bytes.
  std::ifstream running(dir_.path() / "installed/program");
  std::string error;
  ASSERT_TRUE(ReplaceFiles(files_, error)) << error;
  EXPECT_EQ(ReadFile(dir_.path() / "installed/program"), "new program");
  EXPECT_EQ(ReadFile(dir_.path() / "installed/lib/library"), "new library");
  EXPECT_EQ(fs::status(dir_.path() / "installed/program").permissions() & fs::perms::all,
            static_cast<fs::perms>(0751));
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(running), {}), "old program");
  ExpectOnlyInstalledFiles();
}

TEST_F(FileReplaceTest, AFailedRenamePutsBackWhatWasAlreadyReplaced) {
  int renames = 0;
  auto fail_second = [&renames](const char* from, const char* to) {
    if (++renames == 2) {
      errno = EIO;
      return -1;
    }
    return std::rename(from, to);
  };
  std::string error;
  EXPECT_FALSE(ReplaceFiles(files_, error, {fail_second}));
  EXPECT_NE(error.find("installed/lib/library"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(dir_.path() / "installed/program"), "old program");
  EXPECT_EQ(ReadFile(dir_.path() / "installed/lib/library"), "old library");
  ExpectOnlyInstalledFiles();
}

TEST_F(FileReplaceTest, AMissingSourceChangesNothing) {
  fs::remove(dir_.path() / "new/library");
  std::string error;
  EXPECT_FALSE(ReplaceFiles(files_, error));
  EXPECT_NE(error.find("new/library"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(dir_.path() / "installed/program"), "old program");
  ExpectOnlyInstalledFiles();
}

TEST_F(FileReplaceTest, AnUnwritableFolderChangesNothing) {
  if (geteuid() == 0) GTEST_SKIP() << "the administrator writes everywhere";
  ::chmod((dir_.path() / "installed/lib").c_str(), 0555);
  std::string error;
  EXPECT_FALSE(ReplaceFiles(files_, error));
  ::chmod((dir_.path() / "installed/lib").c_str(), 0755);
  EXPECT_EQ(ReadFile(dir_.path() / "installed/program"), "old program");
  ExpectOnlyInstalledFiles();
}

}  // namespace
}  // namespace sonavex::install
