// Range with state chase, meter, channel, clock, tempo stripping and fetch.
#include <gtest/gtest.h>

#include <vector>

#include "song/track_buffer.h"
#include "track_test_util.h"

namespace qm3 {
namespace {

using testing::BuildTrack;
using testing::Cc;
using testing::Ev;
using testing::Off;
using testing::On;
using testing::ReadTrack;
using testing::WellFormed;

TEST(TrackRange, ChasesTheStateAtTheStartAndShiftsTheRange) {
  const Ev tempo{0, {0xFF, 0x51, 0x07, 0xA1, 0x20}};
  const Ev tempo2{50, {0xFF, 0x51, 0x06, 0x1A, 0x80}};
  const Ev meter{0, {0xFF, 0x58, 4, 2, 24, 8}};
  const Ev sysex{30, {0xF0, 0x41, 0x10, 0xF7}};
  BuildTrack(0,
             {tempo,
              meter,
              Cc(0, 2, 0, 1),
              Cc(0, 2, 32, 3),
              {0, {0xC2, 40}},
              {0, {0xC2, 41}},
              Cc(10, 2, 7, 90),
              Cc(10, 2, 10, 30),
              Cc(12, 2, 101, 0),
              Cc(12, 2, 100, 0),
              Cc(12, 2, 6, 12),
              Cc(13, 2, 100, 1),
              Cc(13, 2, 38, 5),
              Cc(14, 2, 99, 1),
              Cc(14, 2, 6, 99),  // selection cancelled: no registered parameter
              {20, {0xE5, 0x00, 0x50}},
              {20, {0xC6, 7}},
              Cc(20, 9, 64, 127),
              sysex,
              tempo2,
              On(60, 1, 50),
              On(100, 0, 60),
              Cc(150, 0, 7, 10),
              On(180, 1, 62),
              Off(190, 1, 50),
              On(250, 0, 70)},
             400);
  SelectTrackBuffer(1);
  ASSERT_EQ(RangeTrack(0, 100, 200, 1000), kRcOk);
  int64_t end = 0;
  const std::vector<Ev> expected = {
      {0, sysex.bytes},  // written at once
      {0, tempo2.bytes},
      {0, meter.bytes},
      // channel 2: parameter 0 (coarse 12, fine not seen), parameter 1 (fine 5)
      Cc(0, 2, 100, 0),
      Cc(0, 2, 101, 0),
      Cc(0, 2, 6, 12),
      Cc(0, 2, 38, 0),
      Cc(0, 2, 100, 1),
      Cc(0, 2, 101, 0),
      Cc(0, 2, 6, 0),
      Cc(0, 2, 38, 5),
      // bank and program, then the other controllers
      Cc(0, 2, 0, 1),
      Cc(0, 2, 32, 3),
      {0, {0xC2, 41}},
      Cc(0, 2, 7, 90),
      Cc(0, 2, 10, 30),
      {0, {0xE5, 0x00, 0x50}},
      {0, {0xC6, 7}},
      Cc(0, 9, 64, 127),
      // the range itself, 100 -> 1000
      On(1000, 0, 60),
      Cc(1050, 0, 7, 10),
      On(1080, 1, 62),
      Off(1090, 1, 50),
      // note offs at the range end for the notes started inside it
      Off(1100, 0, 60),
      Off(1100, 1, 62)};
  EXPECT_EQ(ReadTrack(1, &end), expected);
  EXPECT_EQ(end, 1100);
  EXPECT_TRUE(WellFormed(1));
}

TEST(TrackRange, DropsNotesOfSilencedChannelsAndCopiesTheHeader) {
  BuildTrack(0, {On(0, 0, 60), On(0, 3, 60), Cc(5, 3, 7, 1), Off(10, 3, 60), Off(10, 0, 60)}, 20);
  TrackBufferAt(0).bytes[13] = 0xF0;  // division 480
  SelectTrackBuffer(2);
  ASSERT_EQ(RangeTrack(0, 0, 20, 0, 1 << 3), kRcOk);
  EXPECT_EQ(ReadTrack(2), (std::vector<Ev>{On(0, 0, 60), Cc(5, 3, 7, 1), Off(10, 0, 60)}));
  EXPECT_EQ(GetTrackByte(13), 0xF0);
  EXPECT_EQ(RangeTrack(2, 0, 20, 0), kRcError);
}

TEST(TrackMeter, MapsBeatsBetweenMeters) {
  // 3 -> 4: beat 2 stretched over two beats.
  BuildTrack(0, {On(50, 0, 1), On(150, 0, 2), On(200, 0, 3), On(288 + 150, 0, 4)}, 576);
  SelectTrackBuffer(1);
  ASSERT_EQ(MeterTrack(0, 3, 4), kRcOk);
  int64_t end = 0;
  EXPECT_EQ(ReadTrack(1, &end),
            (std::vector<Ev>{On(50, 0, 1), On(204, 0, 2), On(296, 0, 3), On(384 + 204, 0, 4)}));
  EXPECT_EQ(end, 768);
  // 4 -> 3: beats 2 and 3 squeezed into one, beat 4 moved back.
  BuildTrack(0, {On(96, 0, 1), On(200, 0, 2), On(300, 0, 3), On(384 + 300, 0, 4)}, 768);
  ASSERT_EQ(MeterTrack(0, 4, 3), kRcOk);
  EXPECT_EQ(ReadTrack(1, &end),
            (std::vector<Ev>{On(96, 0, 1), On(148, 0, 2), On(204, 0, 3), On(288 + 204, 0, 4)}));
  EXPECT_EQ(end, 576);
  // 2 -> 4: everything scales.
  BuildTrack(0, {On(100, 0, 1)}, 384);
  ASSERT_EQ(MeterTrack(0, 2, 4), kRcOk);
  EXPECT_EQ(ReadTrack(1, &end), (std::vector<Ev>{On(200, 0, 1)}));
  EXPECT_EQ(end, 768);
  // The same meter changes nothing; no beats at all is refused.
  ASSERT_EQ(MeterTrack(0, 4, 4), kRcOk);
  EXPECT_EQ(ReadTrack(1), (std::vector<Ev>{On(100, 0, 1)}));
  EXPECT_EQ(MeterTrack(0, 0, 4), kRcError);
  EXPECT_EQ(MeterTrack(0, 4, 0), kRcError);
}

TEST(TrackChannel, KeepsOneChannelWithItsStatusBytes) {
  BuildTrack(0, {On(0, 10, 60), On(0, 0, 50), {5, {0xFF, 0x01, 'a'}}, Off(30, 10, 60)}, 90);
  SelectTrackBuffer(1);
  ASSERT_EQ(ChannelTrack(0, 10), kRcOk);
  int64_t end = 0;
  EXPECT_EQ(ReadTrack(1, &end), (std::vector<Ev>{On(0, 10, 60), Off(30, 10, 60)}));
  EXPECT_EQ(end, 90);
  EXPECT_EQ(GetTrackByte(kTrackHeaderSize + 5), 0x8A);  // no running status
  EXPECT_EQ(ChannelTrack(0, 16), kRcError);
}

TEST(TrackClock, ClocksEveryStepBelowTheEnd) {
  SelectTrackBuffer(0);
  ClockTrack(2, 14, 4);
  int64_t end = 0;
  const std::vector<uint8_t> clock = {0xF7, 0xF8};
  EXPECT_EQ(ReadTrack(0, &end), (std::vector<Ev>{{2, clock}, {6, clock}, {10, clock}}));
  EXPECT_EQ(end, 14);
  EXPECT_TRUE(WellFormed(0));
  ClockTrack(0, 100, 0);  // no step: no clock, still a track
  EXPECT_TRUE(ReadTrack(0, &end).empty());
  EXPECT_EQ(end, 100);
}

TEST(TrackStripTempo, TurnsTempoIntoMarkersOfTheSameLength) {
  BuildTrack(0, {{0, {0xFF, 0x51, 1, 2, 3}}, On(5, 0, 1), {9, {0xFF, 0x51, 4, 5, 6}}}, 10);
  SelectTrackBuffer(0);
  const int32_t size = CurrentTrack().size;
  ASSERT_EQ(StripTempo(), kRcOk);
  EXPECT_EQ(ReadTrack(0),
            (std::vector<Ev>{{0, {0xFF, 0x06, 1, 2, 3}}, On(5, 0, 1), {9, {0xFF, 0x06, 4, 5, 6}}}));
  EXPECT_EQ(CurrentTrack().size, size);
}

TEST(TrackFetch, PlaysDueEventsAndLoopsWithoutAGap) {
  BuildTrack(0,
             {On(0, 0, 60),
              {10, {0xF0, 0x41, 0xF7}},
              {10, {0xFF, 0x01, 'x'}},
              Off(20, 0, 60),
              On(30, 1, 40)},
             100);
  SelectTrackBuffer(0);
  FetchEvent(0, kFetchRewind);
  EXPECT_EQ(FetchEvent(5, kFetchShort), 0x643C90u);
  EXPECT_EQ(FetchEvent(5, kFetchShort), 0u);  // next is due at 10
  EXPECT_EQ(FetchEvent(10, kFetchLong), (3u << 8) | 0xF0);
  EXPECT_EQ(std::vector<uint8_t>(FetchMessage(), FetchMessage() + 3),
            (std::vector<uint8_t>{0xF0, 0x41, 0xF7}));
  EXPECT_EQ(FetchEvent(40, kFetchShort), 0x003C80u);  // the meta event is skipped
  EXPECT_EQ(FetchEvent(40, kFetchShort), 0x642891u);
  // Loop: the first event comes again at 100 (the end), then 130.
  EXPECT_EQ(FetchEvent(99, kFetchShort), 0u);
  EXPECT_EQ(FetchEvent(100, kFetchShort), 0x643C90u);
  EXPECT_EQ(FetchLoops(), 1);
  EXPECT_EQ(FetchTime(), 110);
  EXPECT_EQ(FetchEvent(119, kFetchShort), 0u);  // the system exclusive is skipped
  EXPECT_EQ(FetchEvent(120, kFetchShort), 0x003C80u);
  EXPECT_EQ(FetchEvent(130, kFetchShort), 0x642891u);
  // Note 40 on channel 2 was started twice and never ended.
  EXPECT_EQ(FetchEvent(0, kFetchNoteOff), 0x002881u);
  EXPECT_EQ(FetchEvent(0, kFetchNoteOff), 0x002881u);
  EXPECT_EQ(FetchEvent(0, kFetchNoteOff), 0u);
}

TEST(TrackFetch, ATrackWithoutChannelMessagesDoesNotLoopForever) {
  BuildTrack(0, {{0, {0xFF, 0x01, 'x'}}}, 0);
  SelectTrackBuffer(0);
  FetchEvent(0, kFetchRewind);
  EXPECT_EQ(FetchEvent(1 << 30, kFetchLong), 0u);
  SelectTrackBuffer(1);
  NewTrack();  // no events at all, not even an end of track
  FetchEvent(0, kFetchRewind);
  EXPECT_EQ(FetchEvent(1 << 30, kFetchShort), 0u);
}

}  // namespace
}  // namespace qm3
