#include <gtest/gtest.h>

#include "midibytes/merged_reader.h"
#include "midibytes/smf_file.h"
#include "midibytes/track_walker.h"
#include "midibytes/track_writer.h"
#include "smf_bytes.h"

namespace midibytes {
namespace {

TEST(TrackWriterAndReaders, AWrittenFileReadsBackEventForEvent) {
  TrackWriter w;
  w.Meta(0, 0x01, "Corvane SY-QM3-0001");
  w.Channel(0, 0xC1, 5);
  w.Channel(96, 0x91, 60, 100);
  const uint8_t gm_on[] = {0x7E, 0x7F, 0x09, 0x01, 0xF7};
  w.SysEx(96, 0xF0, gm_on, sizeof gm_on);
  w.Channel(50, 0x81, 60, 0);  // before the last time: written at 96
  w.End(200000);
  const auto file = AssembleFile(0, 96, {w.bytes()});
  EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.begin() + 14),
            std::vector<uint8_t>(kSingleTrackTemplate, kSingleTrackTemplate + 14));

  TrackWalker walker(file.data(), static_cast<int32_t>(file.size()));
  ASSERT_TRUE(walker.Valid());
  SmfEvent e;
  ASSERT_EQ(walker.Next(&e), SmfStep::kEvent);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(file.data() + e.data), e.length),
            "Corvane SY-QM3-0001");
  ASSERT_EQ(walker.Next(&e), SmfStep::kEvent);
  EXPECT_EQ(e.status, 0xC1);
  EXPECT_EQ(e.length, 1);
  ASSERT_EQ(walker.Next(&e), SmfStep::kEvent);
  EXPECT_EQ(e.time, 96);
  ASSERT_EQ(walker.Next(&e), SmfStep::kEvent);
  EXPECT_EQ(e.status, 0xF0);
  EXPECT_EQ(e.length, 5);
  ASSERT_EQ(walker.Next(&e), SmfStep::kEvent);
  EXPECT_EQ(e.time, 96);
  ASSERT_EQ(walker.Next(&e), SmfStep::kEnd);
  EXPECT_EQ(e.time, 200000);
  EXPECT_EQ(e.end, static_cast<int32_t>(file.size()));
  EXPECT_EQ(walker.Next(&e), SmfStep::kTruncated);  // nothing after the end
}

TEST(TrackWriterAndReaders, RunningStatusIsResolvedAndAFirstTrackStopsAtTheNextChunk) {
  auto f = testing::Header(1, 2, 96);
  testing::AddTrack(f, {0x00, 0x90, 0x3C, 0x40, 0x10, 0x3E, 0x40});  // no end of track
  testing::AddTrack(f, {0x00, 0x91, 0x40, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  TrackWalker walker(f.data(), static_cast<int32_t>(f.size()));
  SmfEvent e;
  ASSERT_EQ(walker.Next(&e), SmfStep::kEvent);
  ASSERT_EQ(walker.Next(&e), SmfStep::kEvent);
  EXPECT_TRUE(e.running);
  EXPECT_EQ(e.status, 0x90);
  EXPECT_EQ(f[e.data], 0x3E);
  EXPECT_EQ(walker.Next(&e), SmfStep::kTruncated);
  EXPECT_EQ(walker.stop(), WalkStop::kEndOfData);
}

TEST(TrackWriterAndReaders, PrefixAndRmidFindTheSameFile) {
  TrackWriter w;
  w.Channel(0, 0x90, 60, 1);
  w.End(10);
  const auto file = AssembleFile(0, 480, {w.bytes()});
  std::vector<uint8_t> prefixed(kPrefixSize + file.size(), 0x55);
  std::copy(file.begin(), file.end(), prefixed.begin() + kPrefixSize);
  SmfHeader h;
  ASSERT_TRUE(ReadHeader(prefixed.data(), static_cast<int64_t>(prefixed.size()), &h));
  EXPECT_EQ(h.at, kPrefixSize);
  EXPECT_EQ(h.division, 480);
  EXPECT_EQ(FirstTrackEvent(prefixed.data(), static_cast<int32_t>(prefixed.size())),
            kPrefixSize + 22);

  for (auto odd : {false, true}) {
    auto body = file;
    if (odd) body.push_back(0);
    const auto rmid = WrapRmid(body);
    EXPECT_EQ(rmid.size() % 2, 0u);
    const uint8_t* smf = nullptr;
    size_t size = 0;
    ASSERT_EQ(Unwrap(rmid.data(), rmid.size(), &smf, &size), Container::kRmid);
    EXPECT_EQ(std::vector<uint8_t>(smf, smf + size), body);
  }
  const uint8_t* smf = nullptr;
  size_t size = 0;
  EXPECT_EQ(Unwrap(file.data(), file.size(), &smf, &size), Container::kPlain);
  EXPECT_EQ(smf, file.data());
}

TEST(TrackWriterAndReaders, ABrokenTrackIsReportedOnceAndTheOthersGoOn) {
  auto f = testing::Header(1, 2, 96);
  testing::AddTrack(f, {0x00, 0x90, 0x3C, 0x40, 0x05, 0x3C});  // breaks after one note
  testing::AddTrack(f, {0x00, 0x91, 0x40, 0x40, 0x60, 0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  SmfHeader h;
  ASSERT_TRUE(ReadHeader(f.data(), static_cast<int64_t>(f.size()), &h));
  std::vector<TrackChunk> tracks;
  ASSERT_TRUE(
      ListTracks(f.data(), static_cast<int64_t>(f.size()), h, ChunkPolicy::kStrict, 16, &tracks));
  MergedReader reader;
  reader.Open(f.data(), tracks);
  int events = 0;
  int breaks = 0;
  MergedEvent e;
  for (MergedStep s; (s = reader.Next(&e)) != MergedStep::kEnd;) {
    if (s == MergedStep::kBroken) {
      ++breaks;
      EXPECT_EQ(e.track, 0);
    } else {
      ++events;
    }
  }
  EXPECT_EQ(breaks, 1);
  EXPECT_EQ(events, 4);  // the first note, then track 1's three events
  EXPECT_EQ(reader.first_break(), WalkStop::kBadDataByte);
  reader.Rewind();
  int64_t t = -1;
  ASSERT_TRUE(reader.PeekTime(&t));
  EXPECT_EQ(t, 0);
}

}  // namespace
}  // namespace midibytes
