// Import of Standard MIDI Files as bytes: normalisation, checks and their
// codes, conversion to 96 ticks per beat, the marker, sound sets, drum parts
// and the rewriting of part events.
#include "midi/smf_import.h"

#include <gtest/gtest.h>

#include "../../midi/tests/smf_bytes.h"
#include "midibytes/smf_file.h"

namespace qm3::midi {
namespace {

using midibytes::testing::AddTrack;
using midibytes::testing::Cat;
using midibytes::testing::Header;

std::vector<uint8_t> Normalised(const std::vector<uint8_t>& file) {
  std::vector<uint8_t> out;
  EXPECT_EQ(NormaliseSmf(file.data(), file.size(), &out), kRcOk);
  return out;
}

int ImportCode(const std::vector<uint8_t>& file) {
  std::vector<uint8_t> out;
  if (int rc = NormaliseSmf(file.data(), file.size(), &out); rc != kRcOk) return rc;
  ConvertedSmf c;
  return ConvertSmf(out.data(), out.size(), &c);
}

// Three tracks: tempo and metre, channel 1 with its own program and volume,
// and channel 2 with notes only.
std::vector<uint8_t> ThreeTrackFile(uint16_t division = 96) {
  auto f = Header(1, 3, division);
  AddTrack(f, {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,  // 500000 us
               0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00});
  AddTrack(f, {0x00, 0xC0, 0x05, 0x00, 0xB0, 0x07, 0x50, 0x00, 0x90, 0x3C, 0x40, 0x60, 0x3C, 0x00,
               0x00, 0xFF, 0x2F, 0x00});
  AddTrack(f, {0x30, 0x91, 0x40, 0x50, 0x30, 0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  return f;
}

TEST(SmfImport, FormatOneTracksMergeAndEveryChannelGetsItsStartSettings) {
  const auto image = Normalised(ThreeTrackFile());
  midibytes::SmfHeader h;
  ASSERT_TRUE(midibytes::ReadHeader(image.data(), static_cast<int64_t>(image.size()), &h));
  EXPECT_EQ(h.format, 1);
  EXPECT_EQ(h.track_count, 1);
  const auto parts = PartSettingsAt(image.data(), image.size(), 0);
  EXPECT_EQ(parts[0].program, 5);  // the file's own
  EXPECT_EQ(parts[0].volume, 0x50);
  EXPECT_EQ(parts[0].pan, 64);  // inserted
  EXPECT_EQ(parts[1].program, 0);
  EXPECT_EQ(parts[1].volume, 100);
  EXPECT_EQ(parts[15].pan, 64);

  ConvertedSmf c;
  ASSERT_EQ(ConvertSmf(image.data(), image.size(), &c), kRcOk);
  EXPECT_EQ(c.length_ticks, 0x60);
  EXPECT_EQ(c.beats_per_measure, 3);
  ASSERT_EQ(c.tempos.size(), 1u);
  EXPECT_EQ(c.tempos[0].tempo, 1200000);
  // Two sounding notes: channel 1 at 0, channel 2 at 48.
  EXPECT_EQ(c.time_line, (std::vector<uint8_t>{0x00, 0, 0x40, 0x30, 1, 0x50}));
}

TEST(SmfImport, PrefixedAndRiffWrappedFilesImportLikeTheBareFile) {
  const auto bare = Normalised(ThreeTrackFile());
  EXPECT_EQ(Normalised(Cat(std::vector<uint8_t>(128, 0x20), ThreeTrackFile())), bare);
  EXPECT_EQ(Normalised(midibytes::WrapRmid(ThreeTrackFile())), bare);
}

TEST(SmfImport, DivisionConvertsToNinetySixTicksPerBeat) {
  const auto image = Normalised(ThreeTrackFile(480));
  ConvertedSmf c;
  ASSERT_EQ(ConvertSmf(image.data(), image.size(), &c), kRcOk);
  EXPECT_DOUBLE_EQ(c.tempo_ratio, 0.2);
  EXPECT_EQ(c.length_ticks, 0x60 / 5 + 0);  // 96 file ticks at 480 per beat
  EXPECT_EQ(c.time_line[3], 10);            // 48 file ticks
}

TEST(SmfImport, HostileFilesGetTheirCodes) {
  auto with = [](std::vector<uint8_t> head, std::initializer_list<uint8_t> events,
                 int64_t declared = -1) {
    AddTrack(head, events, declared);
    return head;
  };
  const std::initializer_list<uint8_t> ok_track = {0x00, 0x90, 0x3C, 0x40, 0x00, 0xFF, 0x2F, 0x00};
  EXPECT_EQ(ImportCode({'R', 'I', 'F', 'F', 1, 0, 0, 0}), kRcUnsupportedFile);
  EXPECT_EQ(ImportCode({'n', 'o', 't', ' ', 'm', 'i', 'd', 'i'}), kRcUnsupportedFile);
  EXPECT_EQ(ImportCode(with(Header(0, 1, 0), ok_track)), kRcFileNotRead);           // division 0
  EXPECT_EQ(ImportCode(with(Header(0, 1, 0xE728), ok_track)), kRcUnsupportedFile);  // frames
  EXPECT_EQ(ImportCode(with(Header(2, 1, 96), ok_track)), kRcUnsupportedFile);      // format 2
  EXPECT_EQ(ImportCode(Header(0, 0, 96)), kRcUnsupportedFile);                      // no track
  EXPECT_EQ(ImportCode(Header(0, 1, 96, 0x7FFFFFF0)), kRcFileNotRead);  // header past the end
  EXPECT_EQ(ImportCode(with(Header(0, 1, 96), ok_track, 4000)), kRcFileNotRead);  // track too
  EXPECT_EQ(ImportCode(with(Header(0, 1, 96), {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 0x3C, 0x40})),
            kRcFileNotRead);  // five-byte delta
  EXPECT_EQ(ImportCode(with(Header(0, 1, 96), {0x00, 0x3C, 0x40})), kRcFileNotRead);  // running
  EXPECT_EQ(ImportCode(with(Header(0, 1, 96), {0x00, 0xFF, 0x01, 0x40, 'a'})), kRcFileNotRead);
  // Without an end of track the track ends after its last whole event.
  EXPECT_EQ(ImportCode(with(Header(0, 1, 96), {0x00, 0x90, 0x3C, 0x40})), kRcOk);
  // Thousands of tracks merge.
  auto many = Header(1, 3000, 96);
  for (int i = 0; i < 3000; ++i) AddTrack(many, ok_track);
  EXPECT_EQ(ImportCode(many), kRcOk);
}

std::vector<uint8_t> WithEvents(std::initializer_list<uint8_t> events) {
  auto f = Header(0, 1, 96);
  AddTrack(f, events);
  return Normalised(f);
}

TEST(SmfImport, OwnMarkerPutsTheFirstFourBeatsBeforeTheStart) {
  const auto image =
      WithEvents({0x00, 0xFF, 0x01, 19,   'C',  'o',  'r',  'v',  'a',  'n',  'e',  ' ',
                  'S',  'Y',  '-',  'Q',  'M',  '3',  '-',  '0',  '0',  '0',  '1',  0x83,
                  0x00, 0x90, 0x3C, 0x40, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  ConvertedSmf c;
  ASSERT_EQ(ConvertSmf(image.data(), image.size(), &c), kRcOk);
  EXPECT_TRUE(c.own_marker);
  EXPECT_EQ(c.length_ticks, 0x180 + 0x60 - 384);
  EXPECT_EQ(c.time_line[0], 0);  // the note at file tick 384 is position 0

  const auto other = WithEvents({0x00, 0xFF, 0x01, 3, 'C', 'o', 'r', 0x00, 0xFF, 0x2F, 0x00});
  ASSERT_EQ(ConvertSmf(other.data(), other.size(), &c), kRcOk);
  EXPECT_FALSE(c.own_marker);
}

TEST(SmfImport, SoundSetAndDrumPartsFollowTheSystemExclusiveMessages) {
  const auto gm = WithEvents({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0});
  EXPECT_EQ(DetectSoundSet(gm.data(), gm.size()), kSoundSetGeneralMidi);
  // GS reset, then block 10 (part 11) as a rhythm part.
  const auto gs = WithEvents({0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F,
                              0x00, 0x41, 0xF7, 0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12,
                              0x40, 0x1A, 0x15, 0x02, 0x0F, 0xF7, 0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(DetectSoundSet(gs.data(), gs.size()), kSoundSetGs);
  const DrumScan scan = ScanDrumParts(gs.data(), gs.size());
  EXPECT_TRUE(scan.drums[9]);
  EXPECT_TRUE(scan.drums[10]);
  EXPECT_FALSE(scan.drums[0]);
  EXPECT_FALSE(scan.gm_system_off);

  const auto off =
      WithEvents({0x00, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x02, 0xF7, 0x00, 0xFF, 0x2F, 0});
  EXPECT_EQ(DetectSoundSet(off.data(), off.size()), kSoundSetNative);
  EXPECT_TRUE(ScanDrumParts(off.data(), off.size()).gm_system_off);
}

TEST(SmfImport, RewriteChangesTheLastEventBeforeTheNextNote) {
  // Program 1 at 0, note at 0, program 2 at 96, note at 96, program 3 at 192.
  auto image = WithEvents({0x00, 0xC0, 0x01, 0x00, 0x90, 0x3C, 0x40, 0x60, 0xC0, 0x02, 0x00,
                           0x90, 0x3C, 0x40, 0x60, 0xC0, 0x03, 0x00, 0xFF, 0x2F, 0x00});
  auto program_at = [&](int64_t tick) {
    return PartSettingsAt(image.data(), image.size(), tick)[0].program;
  };
  ASSERT_TRUE(RewritePartEvent(&image, 0, 0xC0, 0, 0, 11));
  EXPECT_EQ(program_at(0), 11);
  EXPECT_EQ(program_at(50), 2);
  ASSERT_TRUE(RewritePartEvent(&image, 0, 0xC0, 0, 1000, 33));  // after the last note
  EXPECT_EQ(program_at(1000), 33);
  EXPECT_EQ(program_at(50), 2);
  ASSERT_TRUE(RewritePartEvent(&image, 0, 0xB0, 10, 0, 5));  // the inserted pan
  EXPECT_EQ(PartSettingsAt(image.data(), image.size(), 0)[0].pan, 5);
  EXPECT_FALSE(RewritePartEvent(&image, 0, 0xB0, 91, 0, 5));  // no reverb event at all
}

}  // namespace
}  // namespace qm3::midi
