// Loading, saving and reading bytes from outside.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include "midibytes/track_walker.h"
#include "song/track_buffer.h"
#include "track_test_util.h"

namespace qm3 {
namespace {

using testing::BuildTrack;
using testing::Ev;
using testing::On;
using testing::ReadTrack;
using testing::WellFormed;

class TrackFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("track_file_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  void Write(const char* name, const std::vector<uint8_t>& bytes) const {
    std::ofstream(Path(name), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
  }
  std::filesystem::path dir_;
};

TEST_F(TrackFile, SaveThenLoadGivesTheSameImage) {
  BuildTrack(0, {On(0, 0, 60), {7, {0xF0, 0x01, 0xF7}}}, 96);
  SelectTrackBuffer(0);
  ASSERT_TRUE(SaveTrack(Path("a.dat")));
  const std::vector<uint8_t> saved(CurrentTrack().bytes,
                                   CurrentTrack().bytes + CurrentTrack().size);
  SelectTrackBuffer(1);
  NewTrack();
  ASSERT_TRUE(LoadTrack(Path("a.dat")));
  EXPECT_EQ(std::vector<uint8_t>(CurrentTrack().bytes, CurrentTrack().bytes + CurrentTrack().size),
            saved);
  EXPECT_FALSE(std::filesystem::exists(Path("a.dat.tmp")));
}

TEST_F(TrackFile, LoadLeavesTheBufferWhenTheFileIsMissingTooLargeOrNoFile) {
  BuildTrack(0, {On(0, 0, 60)}, 96);
  SelectTrackBuffer(0);
  const std::vector<Ev> before = ReadTrack(0);
  EXPECT_FALSE(LoadTrack(Path("missing.dat")));
  EXPECT_FALSE(LoadTrack(dir_.string()));  // a folder
  ASSERT_EQ(::mkfifo(Path("fifo.dat").c_str(), 0600), 0);
  EXPECT_FALSE(LoadTrack(Path("fifo.dat")));  // at once, not blocked on the open
  Write("big.dat", std::vector<uint8_t>(kTrackBufferSize + 1, 0x4D));
  EXPECT_FALSE(LoadTrack(Path("big.dat")));
  EXPECT_EQ(ReadTrack(0), before);
  Write("full.dat", std::vector<uint8_t>(kTrackBufferSize, 0x4D));
  EXPECT_TRUE(LoadTrack(Path("full.dat")));
  EXPECT_EQ(CurrentTrack().size, kTrackBufferSize);
}

TEST_F(TrackFile, SaveReportsFailureAndKeepsThePreviousFile) {
  BuildTrack(0, {On(0, 0, 60)}, 96);
  SelectTrackBuffer(0);
  EXPECT_FALSE(SaveTrack(Path("no/such/folder/a.dat")));

  // A short write (file size limit) is a failure, and the old file stays.
  Write("song.dat", {1, 2, 3});
  SelectTrackBuffer(1);
  ClockTrack(0, 40000, 4);  // about 40 KB
  struct rlimit old_limit {};
  getrlimit(RLIMIT_FSIZE, &old_limit);
  auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old_limit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = SaveTrack(Path("song.dat"));
  setrlimit(RLIMIT_FSIZE, &old_limit);
  std::signal(SIGXFSZ, old_handler);
  EXPECT_FALSE(saved);
  EXPECT_EQ(std::filesystem::file_size(Path("song.dat")), 3u);
  EXPECT_FALSE(std::filesystem::exists(Path("song.dat.tmp")));
}

std::vector<uint8_t> Image(std::vector<uint8_t> events) {
  std::vector<uint8_t> image = {
      'M', 'T', 'h', 'd', 0,   0,   0,   6, 0, 0, 0,
      1,   0,   96,  'M', 'T', 'r', 'k', 0, 0, 0, static_cast<uint8_t>(events.size())};
  for (uint8_t b : events) image.push_back(b);
  return image;
}

void Load(const std::vector<uint8_t>& bytes) {
  ASSERT_TRUE(LoadTrackBytes(bytes.data(), static_cast<int64_t>(bytes.size())));
}

TEST(TrackInput, FindsTheFirstEventOrRefuses) {
  SelectTrackBuffer(0);
  std::vector<uint8_t> prefixed(128, 0);
  const std::vector<uint8_t> plain = Image({0x00, 0xFF, 0x2F, 0x00});
  for (uint8_t b : plain) prefixed.push_back(b);
  Load(prefixed);
  EXPECT_EQ(FirstEvent(), 128 + 22);

  std::vector<uint8_t> bad = plain;
  bad[7] = 0xFF;  // header length past the end
  Load(bad);
  EXPECT_EQ(FirstEvent(), -1);
  EXPECT_EQ(CutTrack(10), kRcUnsupportedFile);
  bad = plain;
  bad[14] = 'X';  // no "MTrk"
  Load(bad);
  EXPECT_EQ(FirstEvent(), -1);
  Load({'M', 'T', 'h', 'd', 0, 0});
  EXPECT_EQ(FirstEvent(), -1);
  Load({});
  EXPECT_EQ(FirstEvent(), -1);
  EXPECT_EQ(StripTempo(), kRcUnsupportedFile);
}

TEST(TrackInput, VariableLengthNumbersHaveAtMostFourBytes) {
  SelectTrackBuffer(0);
  Load(Image({0x81, 0x80, 0x80, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}));
  int32_t at = 22;
  EXPECT_EQ(GetTrackNumber(&at), 0x200000);
  EXPECT_EQ(at, 26);
  EXPECT_EQ(GetTrackNumber(&at), -1);  // five bytes
  EXPECT_EQ(at, 26);
  at = 30;
  EXPECT_EQ(GetTrackNumber(&at), 0x7F);
  EXPECT_EQ(GetTrackNumber(&at), -1);  // past the end
}

// Each malformed track reads up to the last whole event; every operation then
// gives a well-formed result.
TEST(TrackInput, MalformedTracksEndAtTheLastWholeEvent) {
  const std::vector<std::vector<uint8_t>> cases = {
      {0x00, 0x3C, 0x40, 0xFF, 0x2F, 0x00},                          // running status at the start
      {0x00, 0x90, 0x3C, 0x40, 0x80, 0x80, 0x80, 0x80, 0x00, 0x3C},  // five-byte delta
      {0x00, 0x90, 0x3C, 0x40, 0x00, 0xF0, 0x7F, 0x01},              // length past the end
      {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x40},              // meta length past the end
      {0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C},                    // no end of track, cut short
      {0x00, 0x90, 0x3C, 0x40, 0x10, 0x80, 0x3C, 0x00},              // no end of track
      {0x00, 0x90, 0x3C, 0xC0, 0x10},                                // data byte above 7F
      {0x00, 0xFF, 0x01, 0x00, 0x3C, 0x40},  // running status after a meta event
      {0x00, 0xF8, 0x00, 0xFF, 0x2F, 0x00},  // real-time status in a file
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    SelectTrackBuffer(0);
    Load(Image(cases[i]));
    midibytes::TrackWalker reader(CurrentTrack().bytes, CurrentTrack().size);
    midibytes::SmfEvent e;
    int events = 0;
    while (reader.Next(&e) == midibytes::SmfStep::kEvent) ++events;
    EXPECT_LE(events, 2);
    SelectTrackBuffer(1);
    ASSERT_EQ(MergeTracks(0, 0), kRcOk);
    EXPECT_TRUE(WellFormed(1));
    ASSERT_EQ(RangeTrack(0, 0, 50, 0), kRcOk);
    EXPECT_TRUE(WellFormed(1));
    ASSERT_EQ(MeterTrack(0, 3, 4), kRcOk);
    EXPECT_TRUE(WellFormed(1));
    SelectTrackBuffer(0);
    ASSERT_EQ(CutTrack(50), kRcOk);
    EXPECT_TRUE(WellFormed(0));
  }
}

TEST(TrackInput, AFirstTrackWithoutEndStopsAtTheNextChunk) {
  std::vector<uint8_t> image = Image({0x00, 0x90, 0x3C, 0x40});
  const std::vector<uint8_t> second = {'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00};
  for (uint8_t b : second) image.push_back(b);
  SelectTrackBuffer(0);
  Load(image);
  SelectTrackBuffer(1);
  ASSERT_EQ(MergeTracks(0, 0), kRcOk);
  EXPECT_EQ(ReadTrack(1), (std::vector<Ev>{On(0, 0, 60, 64), On(0, 0, 60, 64)}));
}

}  // namespace
}  // namespace qm3
