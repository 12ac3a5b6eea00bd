// Whole-file reads of outside bytes: what is not a regular file is refused at
// once (a FIFO without a writer would block the open, /dev/zero never ends),
// and a file past the limit is refused without reading it.
#include "midibytes/file_bytes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace midibytes {
namespace {

class FileBytesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("file_bytes_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Write(const char* name, const std::string& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }
  std::filesystem::path dir_;
};

TEST_F(FileBytesTest, ReadsUpToTheLimitAndRefusesOneByteMore) {
  std::string bytes;
  const std::string path = Write("a.bin", std::string(100000, 'x'));
  EXPECT_EQ(ReadFileBytes(path, 100000, &bytes), FileBytes::kRead);
  EXPECT_EQ(bytes.size(), 100000u);
  EXPECT_EQ(ReadFileBytes(path, 99999, &bytes), FileBytes::kTooLarge);
  EXPECT_TRUE(bytes.empty());
  std::vector<uint8_t> empty{1, 2};
  EXPECT_EQ(ReadFileBytes(Write("e.bin", ""), 10, &empty), FileBytes::kRead);
  EXPECT_TRUE(empty.empty());
}

TEST_F(FileBytesTest, RefusesWhatIsNotARegularFileWithoutBlocking) {
  std::string bytes;
  const std::string fifo = (dir_ / "song.bgm").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadFileBytes(fifo, 1 << 20, &bytes), FileBytes::kNotRegular);
  EXPECT_EQ(ReadFileBytes("/dev/zero", 1 << 20, &bytes), FileBytes::kNotRegular);
  const std::string link = (dir_ / "zero.bgm").string();
  std::filesystem::create_symlink("/dev/zero", link);
  EXPECT_EQ(ReadFileBytes(link, 1 << 20, &bytes), FileBytes::kNotRegular);
  EXPECT_EQ(ReadFileBytes(dir_.string(), 1 << 20, &bytes), FileBytes::kCannotOpen);
  EXPECT_EQ(ReadFileBytes((dir_ / "missing").string(), 1 << 20, &bytes), FileBytes::kCannotOpen);
}

}  // namespace
}  // namespace midibytes
