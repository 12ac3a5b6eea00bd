// Files that broke other MIDI software: each gets a defined result from the
// header, chunk and merged readers, and reading always ends.
#include <gtest/gtest.h>

#include <string>

#include "midibytes/merged_reader.h"
#include "midibytes/smf_file.h"
#include "smf_bytes.h"

namespace midibytes {
namespace {

using testing::AddTrack;
using testing::Header;

enum class Outcome { kNoHeader, kChunksDisagree, kBroken, kReads };

struct ReadResult {
  Outcome outcome = Outcome::kReads;
  WalkStop why = WalkStop::kNone;
  int events = 0;
  SmfHeader header;
};

ReadResult ReadAll(const std::vector<uint8_t>& file) {
  ReadResult r;
  if (!ReadHeader(file.data(), static_cast<int64_t>(file.size()), &r.header)) {
    r.outcome = Outcome::kNoHeader;
    return r;
  }
  std::vector<TrackChunk> tracks;
  if (!ListTracks(file.data(), static_cast<int64_t>(file.size()), r.header, ChunkPolicy::kStrict,
                  65535, &tracks)) {
    r.outcome = Outcome::kChunksDisagree;
    return r;
  }
  MergedReader reader;
  reader.Open(file.data(), tracks);
  MergedEvent e;
  for (MergedStep step; (step = reader.Next(&e)) != MergedStep::kEnd;) {
    if (step == MergedStep::kEvent) ++r.events;
  }
  if (reader.broken()) {
    r.outcome = Outcome::kBroken;
    r.why = reader.first_break();
  }
  return r;
}

std::vector<uint8_t> OneTrack(std::initializer_list<uint8_t> events, uint16_t division = 96) {
  auto f = Header(0, 1, division);
  AddTrack(f, events);
  return f;
}

TEST(HostileFiles, EachClassGetsItsDefinedResult) {
  auto track_past_end = Header(0, 1, 96);
  AddTrack(track_past_end, {0x00, 0xFF, 0x2F, 0x00}, 1000);
  auto fewer_chunks = Header(1, 3, 96);
  AddTrack(fewer_chunks, {0x00, 0xFF, 0x2F, 0x00});
  auto no_mtrk = Header(0, 1, 96);
  no_mtrk.insert(no_mtrk.end(), {'M', 'T', 'r', 'x', 0, 0, 0, 0});
  const struct {
    std::string name;
    std::vector<uint8_t> bytes;
    Outcome outcome;
    WalkStop why;
  } cases[] = {
      {"empty", {}, Outcome::kNoHeader, WalkStop::kNone},
      {"header length 0", Header(0, 1, 96, 0), Outcome::kNoHeader, WalkStop::kNone},
      {"header length 5", Header(0, 1, 96, 5), Outcome::kNoHeader, WalkStop::kNone},
      {"header length huge", Header(0, 1, 96, 0xFFFFFFF0), Outcome::kNoHeader, WalkStop::kNone},
      {"header cut short",
       {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0},
       Outcome::kNoHeader,
       WalkStop::kNone},
      {"track length past the end", track_past_end, Outcome::kChunksDisagree, WalkStop::kNone},
      {"fewer chunks than declared", fewer_chunks, Outcome::kChunksDisagree, WalkStop::kNone},
      {"missing MTrk", no_mtrk, Outcome::kChunksDisagree, WalkStop::kNone},
      {"five-byte delta", OneTrack({0x81, 0x80, 0x80, 0x80, 0x00, 0x90, 0x3C, 0x40}),
       Outcome::kBroken, WalkStop::kBadNumber},
      {"running status at track start", OneTrack({0x00, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00}),
       Outcome::kBroken, WalkStop::kNoRunningStatus},
      {"running status after a meta event",
       OneTrack({0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x01, 0x00, 0x00, 0x3C, 0x00}),
       Outcome::kBroken, WalkStop::kNoRunningStatus},
      {"meta length past the end", OneTrack({0x00, 0xFF, 0x01, 0x7F, 'a', 'b'}), Outcome::kBroken,
       WalkStop::kLengthPastEnd},
      {"system exclusive length past the end", OneTrack({0x00, 0xF0, 0x05, 0x7E, 0xF7}),
       Outcome::kBroken, WalkStop::kLengthPastEnd},
      {"five-byte meta length", OneTrack({0x00, 0xFF, 0x01, 0x80, 0x80, 0x80, 0x80, 0x00}),
       Outcome::kBroken, WalkStop::kLengthPastEnd},
      {"status byte as data", OneTrack({0x00, 0x90, 0x3C, 0x80}), Outcome::kBroken,
       WalkStop::kBadDataByte},
      {"system common in a file", OneTrack({0x00, 0xF2, 0x00, 0x00}), Outcome::kBroken,
       WalkStop::kSystemMessage},
      {"delta with no event", OneTrack({0x00, 0x90, 0x3C, 0x40, 0x10}), Outcome::kBroken,
       WalkStop::kMissingEvent},
      {"missing end of track", OneTrack({0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00}),
       Outcome::kReads, WalkStop::kNone},
      {"zero-length system exclusive", OneTrack({0x00, 0xF0, 0x00, 0x00, 0xFF, 0x2F, 0x00}),
       Outcome::kReads, WalkStop::kNone},
      {"zero tracks", Header(0, 0, 96), Outcome::kReads, WalkStop::kNone},
  };
  for (const auto& c : cases) {
    const ReadResult r = ReadAll(c.bytes);
    EXPECT_EQ(r.outcome, c.outcome) << c.name;
    EXPECT_EQ(r.why, c.why) << c.name;
  }
}

TEST(HostileFiles, DivisionsAreReportedForTheCallerToJudge) {
  const ReadResult zero = ReadAll(OneTrack({0x00, 0xFF, 0x2F, 0x00}, 0));
  EXPECT_EQ(zero.outcome, Outcome::kReads);
  EXPECT_EQ(zero.header.division, 0);
  const ReadResult smpte = ReadAll(OneTrack({0x00, 0xFF, 0x2F, 0x00}, 0xE728));  // -25 fps, 40
  EXPECT_TRUE(smpte.header.frame_based());
  EXPECT_FALSE(zero.header.frame_based());
}

TEST(HostileFiles, LenientChunksCutALongTrackAndSkipStrangeChunks) {
  auto f = Header(1, 5, 96);
  f.insert(f.end(), {'J', 'U', 'N', 'K', 0, 0, 0, 2, 1, 2});
  AddTrack(f, {0x00, 0x90, 0x3C, 0x40}, 500);
  std::vector<TrackChunk> tracks;
  SmfHeader h;
  ASSERT_TRUE(ReadHeader(f.data(), static_cast<int64_t>(f.size()), &h));
  ASSERT_TRUE(
      ListTracks(f.data(), static_cast<int64_t>(f.size()), h, ChunkPolicy::kLenient, 16, &tracks));
  ASSERT_EQ(tracks.size(), 1u);
  EXPECT_TRUE(tracks[0].clipped);
  EXPECT_EQ(tracks[0].length, 4);
  EXPECT_EQ(tracks[0].data + tracks[0].length, static_cast<int32_t>(f.size()));
}

TEST(HostileFiles, ThousandsOfTracksMergeInTimeOrderAndRespectTheCap) {
  constexpr int kTracks = 5000;
  auto f = Header(1, kTracks, 96);
  for (int i = 0; i < kTracks; ++i) {
    // Track i plays at tick (kTracks - i) % 100: later tracks often earlier.
    const int tick = (kTracks - i) % 100;
    AddTrack(f, {static_cast<uint8_t>(tick), 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00});
  }
  SmfHeader h;
  ASSERT_TRUE(ReadHeader(f.data(), static_cast<int64_t>(f.size()), &h));
  std::vector<TrackChunk> tracks;
  EXPECT_FALSE(
      ListTracks(f.data(), static_cast<int64_t>(f.size()), h, ChunkPolicy::kStrict, 64, &tracks));
  EXPECT_FALSE(
      ListTracks(f.data(), static_cast<int64_t>(f.size()), h, ChunkPolicy::kLenient, 64, &tracks));
  ASSERT_TRUE(ListTracks(f.data(), static_cast<int64_t>(f.size()), h, ChunkPolicy::kStrict, kTracks,
                         &tracks));
  MergedReader reader;
  reader.Open(f.data(), tracks);
  MergedEvent e;
  int64_t last_time = -1;
  int last_track = -1;
  int notes = 0;
  while (reader.Next(&e) == MergedStep::kEvent) {
    if (e.event.IsEndOfTrack()) continue;
    ++notes;
    ASSERT_GE(e.event.time, last_time);
    if (e.event.time == last_time) {
      ASSERT_GT(e.track, last_track);  // ties: lower track first
    }
    last_time = e.event.time;
    last_track = e.track;
  }
  EXPECT_EQ(notes, kTracks);
  EXPECT_FALSE(reader.broken());
}

TEST(HostileFiles, RmidShorterThanItsHeaderOrWithoutDataIsRefused) {
  const uint8_t* smf = nullptr;
  size_t size = 0;
  const std::vector<uint8_t> cut = {'R', 'I', 'F', 'F', 4, 0, 0, 0, 'R', 'M'};
  EXPECT_EQ(Unwrap(cut.data(), cut.size(), &smf, &size), Container::kBadRiff);
  std::vector<uint8_t> no_data = {'R', 'I', 'F', 'F', 20,  0,   0,    0,    'R',  'M',
                                  'I', 'D', 'L', 'I', 'S', 'T', 0xFF, 0xFF, 0xFF, 0x7F};
  EXPECT_EQ(Unwrap(no_data.data(), no_data.size(), &smf, &size), Container::kBadRiff);
  auto wrapped = WrapRmid(OneTrack({0x00, 0xFF, 0x2F, 0x00}));
  wrapped[16] = 0xF0;  // data chunk longer than the image
  EXPECT_EQ(Unwrap(wrapped.data(), wrapped.size(), &smf, &size), Container::kBadRiff);
}

}  // namespace
}  // namespace midibytes
