// Conversions: the WAV trim and header, the SMF built from a recording of the
// module's output, and the range export's identification text.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "midi/sequence_file.h"
#include "song/convert_smf.h"
#include "song/wav_capture.h"

namespace qm3 {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)),
                              std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream out(p, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

// Format 0, division 96, from (delta, bytes) pairs.
std::vector<uint8_t> Smf(const std::vector<std::pair<uint8_t, std::vector<uint8_t>>>& events) {
  std::vector<uint8_t> trk;
  for (const auto& [delta, bytes] : events) {
    trk.push_back(delta);
    trk.insert(trk.end(), bytes.begin(), bytes.end());
  }
  trk.insert(trk.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M',
                            'T',
                            'h',
                            'd',
                            0,
                            0,
                            0,
                            6,
                            0,
                            0,
                            0,
                            1,
                            0,
                            96,
                            'M',
                            'T',
                            'r',
                            'k',
                            0,
                            0,
                            static_cast<uint8_t>(trk.size() >> 8),
                            static_cast<uint8_t>(trk.size())};
  for (uint8_t b : trk) f.push_back(b);  // (insert trips a false array-bounds warning)
  return f;
}

struct Seen {
  uint32_t tick;
  uint8_t status, d1, d2;
};

std::vector<Seen> ChannelEvents(const std::vector<uint8_t>& file, int* texts) {
  midi::SequenceFile s;
  EXPECT_EQ(s.Parse(file.data(), file.size()), 0);
  std::vector<Seen> out;
  midi::SeqEvent e;
  *texts = 0;
  while (s.Next(&e) == midi::ReadResult::kEvent) {
    if (e.status < 0xF0) out.push_back({e.tick, e.status, e.data1, e.data2});
    if (e.status == 0xFF && e.meta_type == 1 && e.length == std::strlen(kIdentificationText) &&
        std::memcmp(e.bytes, kIdentificationText, e.length) == 0) {
      ++*texts;
    }
  }
  return out;
}

class ConvertTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("sonavex-convert-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    SetHostDirectory(dir_.string() + "/");
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST(WavCapture, SoundSpanAndSkip) {
  EXPECT_EQ(CountInSkipFrames(120.0), 88200u);
  std::vector<int16_t> silent(2 * 50000, 3);
  const SoundSpan none = FindSoundSpan(silent.data(), 50000, 32);
  EXPECT_EQ(none.start, 0u);
  EXPECT_EQ(none.end, 0u);
  std::vector<int16_t> s(2 * 60000, 10);  // noise floor 10
  s[2 * 30000 + 1] = 50;                  // not above 5 x floor
  s[2 * 40000] = -2000;                   // first click
  s[2 * 50000 + 1] = 33;                  // last frame above 32
  const SoundSpan span = FindSoundSpan(s.data(), 60000, 32);
  EXPECT_EQ(span.start, 40000u * 4);
  EXPECT_EQ(span.end, 50000u * 4);
}

TEST(WavCapture, HeaderLayout) {
  uint8_t h[kWavHeaderSize];
  MakeWavHeader(1000, h);
  const uint8_t expected[kWavHeaderSize] = {
      'R', 'I', 'F', 'F', 0x0E, 0x04, 0,   0,   'W',  'A',  'V',  'E',  'f',  'm',  't', ' ',
      18,  0,   0,   0,   1,    0,    2,   0,   0x44, 0xAC, 0,    0,    0x10, 0xB1, 2,   0,
      4,   0,   16,  0,   0,    0,    'd', 'a', 't',  'a',  0xE8, 0x03, 0,    0};
  EXPECT_EQ(std::memcmp(h, expected, kWavHeaderSize), 0);
}

TEST_F(ConvertTest, RecordingBecomesAGeneralMidiFileAnchoredOnTheFirstChord) {
  WriteValue(kTempo, 1200000, false);
  WriteValue(kSongLength, 96 * 4 * 8, false);
  // The song: a melody note on channel 1 and a part volume on channel 12.
  WriteFile(WorkDirectory() + "body_mid.dat",
            Smf({{0, {0xBB, 7, 100}}, {0x60, {0x90, 72, 90}}, {0x60, {0x80, 72, 0}}}));
  const std::vector<uint32_t> words = {
      900,  0x403C99,  // channel 10: dropped
      1000, 0x643C9A,  // first chord note (channel 11): the anchor, dropped
      1000, 0x403C9F,  // channel 16: written as channel 10
      1500, 0x40409B,  // channel 12
      1600, 0x00F8,    // not a channel message
  };
  const auto out = dir_ / "song.mid";
  ASSERT_EQ(WriteCapturedSmf(words.data(), words.size(), out.string(), 0), 0);
  int texts = 0;
  const auto events = ChannelEvents(ReadFile(out), &texts);
  EXPECT_EQ(texts, 1);
  auto find = [&](uint8_t status, uint8_t d1) -> const Seen* {
    for (const Seen& e : events) {
      if (e.status == status && e.d1 == d1) return &e;
    }
    return nullptr;
  };
  const Seen* drum = find(0x99, 0x3C);
  ASSERT_NE(drum, nullptr);
  EXPECT_EQ(drum->tick, 376u);  // 8 ticks before the first beat
  const Seen* comp = find(0x9B, 0x40);
  ASSERT_NE(comp, nullptr);
  EXPECT_EQ(comp->tick, 376u + 96u);  // 500 ms at 0.192 ticks per ms
  EXPECT_EQ(find(0x9A, 0x3C), nullptr);
  EXPECT_NE(find(0x90, 72), nullptr);  // the melody merged from the song
  EXPECT_NE(find(0xBB, 7), nullptr);   // and the part volume
  for (const Seen& e : events) {
    if ((e.status & 0xE0) == 0x80) {
      EXPECT_NE(e.status & 0x0F, 10);  // no channel 11 notes
    }
  }
}

// With the General MIDI option, the module's own programs become the General
// MIDI programs it plays for them: the melody's Pop E.P. (bank 0/0, program
// 4) is a General MIDI electric piano (4), the recorded Slow Strings (101) a
// General MIDI slow strings (49), bank selects 0; without it the bytes stay.
TEST_F(ConvertTest, GeneralMidiOptionWritesTheProgramsTheModulePlays) {
  WriteValue(kTempo, 1200000, false);
  WriteValue(kSongLength, 96 * 4 * 8, false);
  WriteFile(WorkDirectory() + "body_mid.dat",
            Smf({{0, {0xC0, 4}}, {0x60, {0x90, 72, 90}}, {0x60, {0x80, 72, 0}}}));
  const std::vector<uint32_t> words = {
      1000, 0x643C9A,  // the anchor
      1000, 0x0020BC,  // bank select fine 0 on channel 13
      1000, 0x65CC,    // program 101 on channel 13
  };
  auto program_of = [&](const fs::path& file, uint8_t status) {
    int texts = 0;
    for (const Seen& e : ChannelEvents(ReadFile(file), &texts)) {
      if (e.status == status) return static_cast<int>(e.d1);
    }
    return -1;
  };
  const auto plain = dir_ / "plain.mid";
  ASSERT_EQ(WriteCapturedSmf(words.data(), words.size(), plain.string(), 0), 0);
  EXPECT_EQ(program_of(plain, 0xCC), 101);
  WriteValue(kConvertGmVoices, 1, false);
  const auto gm = dir_ / "gm.mid";
  ASSERT_EQ(WriteCapturedSmf(words.data(), words.size(), gm.string(), 0), 0);
  WriteValue(kConvertGmVoices, 0, false);
  EXPECT_EQ(program_of(gm, 0xCC), 49);
  EXPECT_EQ(program_of(gm, 0xC0), 4);
  const std::vector<uint8_t> bytes = ReadFile(gm);
  const uint8_t gm_on[] = {0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
  EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(gm_on), std::end(gm_on)),
            bytes.end());
  EXPECT_EQ(ReadFile(plain).size(), bytes.size());
}

// A full disk, as a child process with a file-size limit sees it: the write
// fails, the conversion says so, and neither a partial file nor its
// temporary is left; an earlier file at the target stays.
TEST_F(ConvertTest, RecordingOnAFullDiskFailsAndLeavesTheTargetAlone) {
  WriteValue(kTempo, 1200000, false);
  WriteValue(kSongLength, 96 * 4 * 64, false);
  WriteFile(WorkDirectory() + "body_mid.dat", Smf({{0, {0x90, 72, 90}}, {0x60, {0x80, 72, 0}}}));
  std::vector<uint32_t> words;
  for (uint32_t i = 0; i < 2000; ++i) {
    words.insert(words.end(), {1000 + 20 * i, 0x40409B + ((i % 32) << 8), 1010 + 20 * i,
                               0x00409B + ((i % 32) << 8)});
  }
  const auto out = dir_ / "full.mid";
  WriteFile(out, {'e', 'a', 'r', 'l', 'i', 'e', 'r'});
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
    ::_exit(WriteCapturedSmf(words.data(), words.size(), out.string(), 0));
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 11);
  EXPECT_EQ(ReadFile(out).size(), 7u);
  EXPECT_FALSE(fs::exists(out.string() + ".tmp"));
  // Without the limit the same recording is written whole.
  ASSERT_EQ(WriteCapturedSmf(words.data(), words.size(), out.string(), 0), 0);
  EXPECT_GT(fs::file_size(out), 8192u);
}

TEST_F(ConvertTest, RangeExportCarriesTheIdentificationTextOnce) {
  const std::string text = kIdentificationText;
  std::vector<uint8_t> meta = {0xFF, 0x01, static_cast<uint8_t>(text.size())};
  meta.insert(meta.end(), text.begin(), text.end());
  std::vector<std::pair<uint8_t, std::vector<uint8_t>>> events = {{0, meta}};
  for (int i = 0; i < 16; ++i) {
    events.push_back({0x30, {0x90, 60, 100}});
    events.push_back({0x30, {0x80, 60, 0}});
  }
  WriteFile(dir_ / "with.mid", Smf(events));
  events.erase(events.begin());
  WriteFile(dir_ / "without.mid", Smf(events));
  for (const char* name : {"with.mid", "without.mid"}) {
    const auto out = dir_ / (std::string("range-") + name);
    ASSERT_EQ(ExportImageRange((dir_ / name).string(), 384, 768, 384, out.string()), 0) << name;
    int texts = 0;
    const auto ev = ChannelEvents(ReadFile(out), &texts);
    EXPECT_EQ(texts, 1) << name;
    EXPECT_FALSE(ev.empty());
  }
}

}  // namespace
}  // namespace qm3
