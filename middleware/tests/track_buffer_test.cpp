#include "song/track_buffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <vector>

#include "core/middleware.h"
#include "track_test_util.h"

namespace qm3 {
namespace {

using testing::BuildTrack;
using testing::Ev;
using testing::Off;
using testing::On;
using testing::ReadTrack;
using testing::WellFormed;

std::vector<uint8_t> Events() {
  const TrackBuffer& b = CurrentTrack();
  return {b.bytes + kTrackHeaderSize, b.bytes + b.size};
}

// An unknown buffer number is refused, never quietly taken as the current one.
TEST(TrackBuffers, UnknownNumbersAreErrors) {
  StartMiddleware();
  ASSERT_EQ(SelectTrackBuffer(1), kRcOk);
  EXPECT_EQ(SelectTrackBuffer(3), kRcError);
  EXPECT_EQ(SelectTrackBuffer(-1), kRcError);
  EXPECT_EQ(CurrentTrackBuffer(), 1);
  EXPECT_THROW(TrackBufferAt(kTrackBufferCount), std::out_of_range);
  EXPECT_EQ(CopyTrack(0, 5), kRcError);
  // Each instance has buffers of its own.
  NewTrack();
  PutEndOfTrack();
  FinishTrack();
  StartMiddleware();
  EXPECT_EQ(CurrentTrackBuffer(), 0);
  EXPECT_EQ(TrackBufferAt(1).size, 0);
}

TEST(TrackWrite, HeaderDeltasTempoAndSystemExclusiveBytes) {
  SelectTrackBuffer(0);
  NewTrack();
  const std::vector<uint8_t> header(CurrentTrack().bytes, CurrentTrack().bytes + kTrackHeaderSize);
  EXPECT_EQ(header, (std::vector<uint8_t>{0x4D, 0x54, 0x68, 0x64, 0,    0,    0,    6, 0, 0, 0,
                                          1,    0,    0x60, 0x4D, 0x54, 0x72, 0x6B, 0, 0, 0, 0}));
  PutDelta(0);
  PutDelta(128);
  PutDelta(kMaxDelta);
  PutDelta(-5);                // negative: 0
  PutDelta(int64_t{1} << 40);  // too large: the largest
  EXPECT_EQ(Events(), (std::vector<uint8_t>{0x00, 0x81, 0x00, 0xFF, 0xFF, 0xFF, 0x7F, 0x00, 0xFF,
                                            0xFF, 0xFF, 0x7F}));
  NewTrack();
  PutTempo(600000);
  PutPacked(0x7F3C90, 3);
  const uint8_t sysex[] = {0x55, 0xF0, 0x41, 0x10, 0xF7};  // the byte before F0 is ignored
  PutSystemExclusive(sysex, 5);
  FinishTrack();
  EXPECT_EQ(Events(), (std::vector<uint8_t>{0xFF, 0x51, 0x03, 0x09, 0x27, 0xC0, 0x90, 0x3C, 0x7F,
                                            0xF0, 0x03, 0x41, 0x10, 0xF7}));
  EXPECT_EQ(GetTrackByte(21), 14);
  EXPECT_EQ(GetTrackByte(CurrentTrack().size), -1);
  EXPECT_EQ(GetTrackByte(-1), -1);
}

TEST(TrackWrite, FullBufferDropsBytesWithoutOverrun) {
  SelectTrackBuffer(0);
  NewTrack();
  for (int i = 0; i < kTrackBufferSize; ++i) PutByte(0x11);
  EXPECT_EQ(CurrentTrack().size, kTrackBufferSize);
  SetTrackByte(kTrackBufferSize, 0x22);  // ignored
  EXPECT_EQ(GetTrackByte(kTrackBufferSize - 1), 0x11);
}

TEST(TrackJoin, ContinuesFromTheEndOfTheFirstTrack) {
  BuildTrack(0, {On(0, 0, 60), Off(96, 0, 60)}, 378);
  BuildTrack(1, {On(6, 1, 64), Off(54, 1, 64)}, 100);
  SelectTrackBuffer(0);
  ASSERT_EQ(JoinTrack(1), kRcOk);
  FinishTrack();
  int64_t end = 0;
  EXPECT_EQ(
      ReadTrack(0, &end),
      (std::vector<Ev>{
          On(0, 0, 60), Off(96, 0, 60), {378, {0xFF, 0x06}}, On(384, 1, 64), Off(432, 1, 64)}));
  EXPECT_EQ(end, 478);
  EXPECT_TRUE(WellFormed(0));
}

TEST(TrackJoin, RefusesWhatDoesNotFitOrDoesNotEnd) {
  BuildTrack(1, {On(0, 0, 60)}, 10);
  SelectTrackBuffer(0);
  NewTrack();
  for (int i = 0; i < kTrackBufferSize - kTrackHeaderSize - 8; ++i) PutByte(0);
  PutEndOfTrack();
  const int32_t size = CurrentTrack().size;
  EXPECT_EQ(JoinTrack(1), kRcNoMemory);
  EXPECT_EQ(CurrentTrack().size, size);
  EXPECT_EQ(GetTrackByte(size - 2), 0x2F);

  NewTrack();
  PutDelta(0);
  PutPacked(0x403C90, 3);  // no end of track
  EXPECT_EQ(JoinTrack(1), kRcUnsupportedFile);
  EXPECT_EQ(JoinTrack(7), kRcError);
}

TEST(TrackJoin, ATrackJoinedToItselfRepeats) {
  BuildTrack(0, {On(0, 0, 60), Off(48, 0, 60)}, 96);
  SelectTrackBuffer(0);
  ASSERT_EQ(JoinTrack(0), kRcOk);
  FinishTrack();
  int64_t end = 0;
  EXPECT_EQ(ReadTrack(0, &end),
            (std::vector<Ev>{
                On(0, 0, 60), Off(48, 0, 60), {96, {0xFF, 0x06}}, On(96, 0, 60), Off(144, 0, 60)}));
  EXPECT_EQ(end, 192);
}

TEST(TrackCut, HeldNotesEndAtTheTickAndTheTrackEndsThere) {
  BuildTrack(0,
             {On(0, 0, 60), On(10, 2, 40), On(10, 2, 40), Off(20, 2, 40), On(90, 0, 62),
              Off(100, 0, 60), Off(200, 0, 62)},
             400);
  SelectTrackBuffer(0);
  ASSERT_EQ(CutTrack(100), kRcOk);
  int64_t end = 0;
  EXPECT_EQ(ReadTrack(0, &end),
            (std::vector<Ev>{On(0, 0, 60), On(10, 2, 40), On(10, 2, 40), Off(20, 2, 40),
                             On(90, 0, 62), Off(100, 0, 60), Off(100, 0, 62), Off(100, 2, 40)}));
  EXPECT_EQ(end, 100);
  EXPECT_TRUE(WellFormed(0));

  // Cutting after the end lengthens the track with silence.
  ASSERT_EQ(CutTrack(1000), kRcOk);
  EXPECT_EQ(ReadTrack(0, &end).size(), 8u);
  EXPECT_EQ(end, 1000);
  EXPECT_TRUE(WellFormed(0));
}

// Random notes that never overlap on one channel and note.
std::vector<Ev> RandomNotes(std::mt19937& rng, int count, int64_t span) {
  std::vector<Ev> events;
  std::uniform_int_distribution<int64_t> time(0, span - 50);
  for (int i = 0; i < count; ++i) {
    const int64_t t = time(rng);
    const int ch = static_cast<int>(rng() % 16);
    const int note = static_cast<int>(rng() % 128);
    events.push_back(On(t, ch, note, 1 + static_cast<int>(rng() % 127)));
    events.push_back(Off(t + 1 + static_cast<int64_t>(rng() % 40), ch, note));
  }
  std::stable_sort(events.begin(), events.end(),
                   [](const Ev& a, const Ev& b) { return a.time < b.time; });
  return events;
}

TEST(TrackRoundTrip, CutThenJoinReproducesTheEvents) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    // Notes in two halves, none sounding across the cut at 1000.
    std::vector<Ev> early = RandomNotes(rng, 40, 900);
    std::vector<Ev> late = RandomNotes(rng, 40, 900);
    std::vector<Ev> all = early;
    for (Ev e : late) {
      e.time += 1000;
      all.push_back(e);
    }
    BuildTrack(2, all, 2000);
    // Front: cut; back: the range from the cut on; then join them again.
    SelectTrackBuffer(0);
    CopyTrack(2, 0);
    ASSERT_EQ(CutTrack(1000), kRcOk);
    SelectTrackBuffer(1);
    ASSERT_EQ(RangeTrack(2, 1000, 2000, 0), kRcOk);
    SelectTrackBuffer(0);
    ASSERT_EQ(JoinTrack(1), kRcOk);
    FinishTrack();
    ASSERT_TRUE(WellFormed(0));
    int64_t end = 0;
    std::vector<Ev> joined = ReadTrack(0, &end);
    ASSERT_EQ(joined[early.size()], (Ev{1000, {0xFF, 0x06}}));
    joined.erase(joined.begin() + static_cast<long>(early.size()));
    EXPECT_EQ(joined, all);
    EXPECT_EQ(end, 2000);
  }
}

TEST(TrackRoundTrip, MergeKeepsTimeOrderWithTheFirstArgumentFirst) {
  std::mt19937 rng(11);
  for (int round = 0; round < 20; ++round) {
    std::vector<Ev> a = RandomNotes(rng, 60, 500);
    std::vector<Ev> b = RandomNotes(rng, 60, 500);
    a.push_back({250, {0xF0, 0x7E, 0xF7}});
    b.push_back({250, {0xFF, 0x01, 'x'}});
    auto by_time = [](const Ev& x, const Ev& y) { return x.time < y.time; };
    std::stable_sort(a.begin(), a.end(), by_time);
    std::stable_sort(b.begin(), b.end(), by_time);
    BuildTrack(0, a, 600);
    BuildTrack(1, b, 700);
    SelectTrackBuffer(2);
    ASSERT_EQ(MergeTracks(0, 1), kRcOk);
    std::vector<Ev> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    std::stable_sort(expected.begin(), expected.end(), by_time);
    int64_t end = 0;
    EXPECT_EQ(ReadTrack(2, &end), expected);
    EXPECT_EQ(end, 700);
    EXPECT_TRUE(WellFormed(2));
  }
}

TEST(TrackMerge, EndsAtTheLaterEndAndUsesRunningStatus) {
  BuildTrack(0, {On(0, 0, 60), On(0, 0, 64)}, 1000);
  BuildTrack(1, {On(0, 0, 67), Off(500, 0, 67)}, 600);
  SelectTrackBuffer(2);
  ASSERT_EQ(MergeTracks(0, 1), kRcOk);
  int64_t end = 0;
  EXPECT_EQ(ReadTrack(2, &end),
            (std::vector<Ev>{On(0, 0, 60), On(0, 0, 64), On(0, 0, 67), Off(500, 0, 67)}));
  EXPECT_EQ(end, 1000);
  // 90 3C 64, then 00 40 64 and 00 43 64 under running status.
  EXPECT_EQ(GetTrackByte(kTrackHeaderSize + 4), 0x00);
  EXPECT_EQ(GetTrackByte(kTrackHeaderSize + 5), 0x40);
  EXPECT_EQ(MergeTracks(2, 1), kRcError);  // the target cannot be a source
}

TEST(TrackMerge, ResultTooLongIsCutAtAnEventAndStillEnds) {
  SelectTrackBuffer(0);
  ClockTrack(0, 200000 * 4, 4);  // about 800 KB
  SelectTrackBuffer(1);
  ClockTrack(2, 200000 * 4, 4);
  SelectTrackBuffer(2);
  ASSERT_EQ(MergeTracks(0, 1), kRcOk);
  EXPECT_TRUE(WellFormed(2));
  EXPECT_GT(CurrentTrack().size, kTrackBufferSize - 16);
  int64_t end = 0;
  ReadTrack(2, &end);
  EXPECT_EQ(end, 200000 * 4);
}

}  // namespace
}  // namespace qm3
