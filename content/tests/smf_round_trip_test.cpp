#include <gtest/gtest.h>

#include "midibytes/number.h"
#include "smf_notes.h"
#include "smf_writer.h"

namespace content {
namespace {

TEST(SmfRoundTrip, NotesMetasAndControlsComeBackAsWritten) {
  TrackBuilder track;
  track.TimeSignature(0, 3, 4);
  track.Tempo(0, 100.0);
  track.Text(0, 0x06, "Main 1");
  track.Program(0, 12, 4);
  track.Control(0, 12, 7, 90);
  track.Note(0, 90, 12, 60, 80);
  track.Note(96, 200, 16, 36, 120);
  track.Note(20000, 5, 1, 72, 90);  // a delta needing three bytes
  track.EndAt(288 * 80);
  auto read = ReadSmf(track.ToSmf());
  ASSERT_TRUE(read.track) << read.error;
  const ReadTrack& t = *read.track;
  EXPECT_EQ(t.division, 96);
  EXPECT_EQ(t.end_tick, 288u * 80);
  ASSERT_EQ(t.notes.size(), 3u);
  EXPECT_EQ(t.notes[0].start, 0u);
  EXPECT_EQ(t.notes[0].length, 90u);
  EXPECT_EQ(t.notes[0].channel, 12);
  EXPECT_EQ(t.notes[1].key, 36);
  EXPECT_EQ(t.notes[1].velocity, 120);
  EXPECT_EQ(t.notes[2].start, 20000u);
  ASSERT_EQ(t.metas.size(), 3u);
  EXPECT_EQ(t.metas[0].type, 0x58);
  EXPECT_EQ(static_cast<uint8_t>(t.metas[0].text[0]), 3);
  EXPECT_EQ(t.metas[1].type, 0x51);
  EXPECT_EQ(t.metas[1].text, std::string("\x09\x27\xC0", 3));  // 600000 us
  EXPECT_EQ(t.metas[2].text, "Main 1");
  ASSERT_EQ(t.controls.size(), 2u);
  EXPECT_EQ(t.controls[0].kind, 0xC0);
  EXPECT_EQ(t.controls[1].value, 90);
  EXPECT_EQ(t.notes_left_sounding, 0);
}

TEST(SmfRoundTrip, RepeatedKeyIsReleasedBeforeItStrikesAgain) {
  TrackBuilder track;
  track.Note(0, 96, 1, 60, 90);
  track.Note(96, 96, 1, 60, 90);
  auto read = ReadSmf(track.ToSmf());
  ASSERT_TRUE(read.track);
  ASSERT_EQ(read.track->notes.size(), 2u);
  EXPECT_EQ(read.track->notes[0].length, 96u);
  EXPECT_EQ(read.track->notes[1].start, 96u);
  EXPECT_EQ(read.track->unpaired_note_offs, 0);
}

TEST(SmfReader, DamagedFilesGiveAnErrorNotACrash) {
  TrackBuilder track;
  track.Note(0, 96, 1, 60, 90);
  const auto good = track.ToSmf();
  // Every truncation of a valid file is refused.
  for (size_t n = 0; n + 1 < good.size(); ++n) {
    auto read = ReadSmf(std::vector<uint8_t>(good.begin(), good.begin() + static_cast<long>(n)));
    EXPECT_FALSE(read.track) << "accepted a file cut to " << n << " bytes";
  }
  auto bad_length = good;
  bad_length[21] = 0x7F;  // track length past the end
  EXPECT_FALSE(ReadSmf(bad_length).track);
  // A five-byte variable-length delta.
  std::vector<uint8_t> long_delta(good.begin(), good.begin() + 22);
  for (uint8_t b : {0x81, 0x81, 0x81, 0x81, 0x01, 0xFF, 0x2F, 0x00}) long_delta.push_back(b);
  long_delta[21] = 8;
  EXPECT_FALSE(ReadSmf(long_delta).track);
}

TEST(SmfWriter, VariableLengthNumbersUseTheShortestForm) {
  std::vector<uint8_t> out;
  midibytes::AppendNumber(out, 0);
  midibytes::AppendNumber(out, 0x7F);
  midibytes::AppendNumber(out, 0x80);
  midibytes::AppendNumber(out, 0x0FFFFFFF);
  EXPECT_EQ(out, (std::vector<uint8_t>{0x00, 0x7F, 0x81, 0x00, 0xFF, 0xFF, 0xFF, 0x7F}));
}

}  // namespace
}  // namespace content
