// Exports a video editor can rely on, end to end through the command line,
// the middleware, the driver and the software sound module on the virtual
// clock: the WAV fills the span to the sample and starts on the first beat,
// the SMF fills the same span, ranges are slices of the whole song, and
// spans or times that cannot be honoured are refused without touching files.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "cli_run.h"
#include "midi/sequence_file.h"

namespace {

namespace fs = std::filesystem;

using sonavex::cli::test::ContentFolderTest;
using sonavex::cli::test::ReadFile;
using sonavex::cli::test::RunCliLine;

// The command line as on a disk that takes no file larger than `bytes`
// (a file-size limit; writes past it fail like on a full disk).
int RunCliOnAFullDisk(const std::string& args, rlim_t bytes) {
  const pid_t child = ::fork();
  if (child < 0) return -1;
  if (child == 0) {
    const rlimit limit{bytes, bytes};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, SIG_IGN);
    const std::string cmd = std::string(SONAVEX_CLI) + " " + args + " > /dev/null 2>&1";
    ::execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  if (::waitpid(child, &status, 0) != child) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

struct Wav {
  std::vector<int16_t> samples;  // interleaved stereo
  size_t frames() const { return samples.size() / 2; }
  int Peak(size_t from, size_t to) const {
    int peak = 0;
    for (size_t i = from * 2; i < to * 2 && i < samples.size(); ++i) {
      peak = std::max(peak, std::abs(int{samples[i]}));
    }
    return peak;
  }
  // Where the first sound starts: the first frame louder than -60 dBFS,
  // taken back over its rise to the end of the last stretch of silence (four
  // frames within one step of zero: what the last click leaves is no more).
  size_t Onset() const {
    size_t loud = 0;
    while (loud < frames() && Peak(loud, loud + 1) <= 32) ++loud;
    size_t quiet_run = 0;
    size_t onset = 0;
    for (size_t f = 0; f < loud; ++f) {
      quiet_run = Peak(f, f + 1) <= 1 ? quiet_run + 1 : 0;
      if (quiet_run >= 4) onset = f + 1;
    }
    return onset;
  }
};

Wav ReadWav(const fs::path& p) {
  const auto b = ReadFile(p);
  Wav w;
  if (b.size() < 46) return w;
  const uint32_t size = b[42] | (b[43] << 8) | (b[44] << 16) | (uint32_t{b[45]} << 24);
  if (b.size() != size + 46u) return w;
  w.samples.resize(size / 2);
  for (size_t i = 0; i < w.samples.size(); ++i) {
    w.samples[i] = static_cast<int16_t>(b[46 + 2 * i] | (b[47 + 2 * i] << 8));
  }
  return w;
}

struct Note {
  uint32_t tick;
  int channel;
  int key;
  bool operator<(const Note& o) const {
    return std::tie(tick, channel, key) < std::tie(o.tick, o.channel, o.key);
  }
  bool operator==(const Note& o) const { return !(*this < o) && !(o < *this); }
};

struct Smf {
  bool valid = false;
  uint32_t end_tick = 0;
  uint32_t usec_per_quarter = 500000;
  std::vector<Note> notes;  // note-ons in time order
  int zero_length = 0;      // notes ended at the tick they began
  int doubled = 0;          // note-ons of a key already sounding
};

Smf ReadSmf(const fs::path& p) {
  Smf s;
  const auto bytes = ReadFile(p);
  qm3::midi::SequenceFile file;
  if (file.Parse(bytes.data(), bytes.size()) != 0) return s;
  s.valid = true;
  s.end_tick = file.length_ticks();
  if (!file.tempo_map().empty()) s.usec_per_quarter = file.tempo_map().front().usec_per_quarter;
  std::map<int, uint32_t> sounding;  // channel * 128 + key -> tick of its note-on
  qm3::midi::SeqEvent e;
  while (file.Next(&e) == qm3::midi::ReadResult::kEvent) {
    const int kind = e.status & 0xF0;
    const int key = (e.status & 0x0F) * 128 + e.data1;
    if (kind == 0x90 && e.data2 > 0) {
      s.notes.push_back({e.tick, e.status & 0x0F, e.data1});
      s.doubled += sounding.count(key) != 0;
      sounding[key] = e.tick;
    } else if (kind == 0x80 || kind == 0x90) {
      auto it = sounding.find(key);
      if (it != sounding.end()) {
        s.zero_length += it->second == e.tick;
        sounding.erase(it);
      }
    }
  }
  return s;
}

class ExportFit : public ContentFolderTest {
 protected:
  void SetUp() override {
    ContentFolderTest::SetUp();
    if (IsSkipped()) return;
    // Named locks of this test's own, so other programs on the machine
    // never hold the module's ports.
    const fs::path runtime = dir_ / "run";
    fs::create_directories(runtime);
    KeepEnvironment("XDG_RUNTIME_DIR");
    KeepEnvironment("XDG_CACHE_HOME");
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  }
  void TearDown() override {
    // The other suites of this binary run after this one with what they had.
    for (const auto& [name, value] : kept_) {
      if (value) {
        setenv(name.c_str(), value->c_str(), 1);
      } else {
        unsetenv(name.c_str());
      }
    }
    ContentFolderTest::TearDown();
  }
  void KeepEnvironment(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    kept_[name] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
  }
  std::map<std::string, std::optional<std::string>> kept_;
};

struct FitCase {
  const char* rhythm;
  const char* fps;
  double seconds;
};

// Six rhythms (slow and fast, 3/4 and 4/4, swing and straight) at every
// frame rate, each with a short, a typical or a long span.
std::vector<FitCase> FitCases() {
  const char* rhythms[] = {"Pop 8 Beat",  "Big Band",       "Jazz Waltz",
                           "Story Piano", "Viennese Waltz", "Ambient Pad"};
  const char* rates[] = {"24", "25", "29.97", "30"};
  const double spans[] = {9.0, 21.5, 47.0};
  std::vector<FitCase> cases;
  int n = 0;
  for (const char* r : rhythms) {
    for (const char* f : rates) cases.push_back({r, f, spans[n++ % 3]});
  }
  return cases;
}

TEST_F(ExportFit, WavAndSmfFillTheSpanFromTheFirstBeat) {
  std::printf("%-16s %6s %8s %12s %12s %12s %8s\n", "rhythm", "fps", "span s", "SMF s", "WAV s",
              "error fr.", "onset ms");
  for (const FitCase& c : FitCases()) {
    SCOPED_TRACE(std::string(c.rhythm) + " at " + c.fps + " fps, " + std::to_string(c.seconds) +
                 " s");
    const double fps = std::stod(c.fps);
    const long span_frames = std::lround(c.seconds * fps);  // as --duration gives it
    const double span_s = span_frames / fps;
    ASSERT_EQ(RunCliLine("compose --rhythm \"" + std::string(c.rhythm) + "\" --fps " + c.fps +
                         " --duration " + std::to_string(c.seconds) + " -o " + P("fit.bgm")),
              0);
    ASSERT_EQ(RunCliLine("convert " + P("fit.bgm") + " --fps " + c.fps + " --smf " + P("fit.mid") +
                         " --wav " + P("fit.wav")),
              0);
    const Smf smf = ReadSmf(P("fit.mid"));
    const Wav wav = ReadWav(P("fit.wav"));
    ASSERT_TRUE(smf.valid);
    ASSERT_FALSE(smf.notes.empty());
    ASSERT_GT(wav.frames(), 0u);

    // Lengths: the WAV to the sample, the SMF (after its lead-in measure)
    // within a sample too.
    const double tick_s = smf.usec_per_quarter / 96.0 / 1e6;
    const double smf_s = (smf.end_tick - 384) * tick_s;
    EXPECT_EQ(wav.frames(), static_cast<size_t>(std::llround(span_s * 44100)));
    EXPECT_NEAR(smf_s, span_s, tick_s / 2);

    // The first frame is the first beat: the first sound starts where the
    // SMF's first note is, within the module's half block (0.73 ms) and the
    // first rise of a low drum or bass out of the last click's residue.
    const double note_ms = (double(smf.notes.front().tick) - 384) * tick_s * 1000;
    const double onset_ms = wav.Onset() / 44.1;
    EXPECT_NEAR(onset_ms, note_ms, 1.5);
    EXPECT_LE(wav.Peak(0, 1), 64) << "the file starts in silence";

    // The end: the last 10 ms fade to silence (every frame under the fade's
    // line, the last one silent).
    const size_t n = wav.frames();
    for (size_t f = n - 441; f < n; ++f) {
      ASSERT_LE(wav.Peak(f, f + 1), 32768 * double(n - 1 - f) / 441 + 1) << "frame " << f;
    }

    EXPECT_EQ(smf.zero_length, 0);
    EXPECT_EQ(smf.doubled, 0);
    std::printf("%-16s %6s %8.3f %12.6f %12.6f %12.3f %8.3f\n", c.rhythm, c.fps, span_s, smf_s,
                n / 44100.0, (n / 44100.0 - span_s) * fps, onset_ms - note_ms);
  }
}

// Half an hour of the busiest style: the recording holds the whole song, so
// its last five minutes carry as many notes, part by part, as its first.
TEST_F(ExportFit, AHalfHourSmfHoldsEveryPartToTheEnd) {
  ASSERT_EQ(RunCliLine("compose --rhythm \"Pop 16 Beat\" --duration 1800 -o " + P("long.bgm")), 0);
  ASSERT_EQ(RunCliLine("convert " + P("long.bgm") + " --smf " + P("long.mid")), 0);
  const Smf smf = ReadSmf(P("long.mid"));
  ASSERT_TRUE(smf.valid);
  const double tick_s = smf.usec_per_quarter / 96.0 / 1e6;
  std::map<int, int> first, last;  // notes per channel in the first and last five minutes
  for (const Note& n : smf.notes) {
    const double at = (double(n.tick) - 384) * tick_s;
    if (at < 300) ++first[n.channel];
    if (at >= 1500) ++last[n.channel];
  }
  EXPECT_GE(first.size(), 5u);
  for (const auto& [channel, count] : first) {
    SCOPED_TRACE(channel + 1);
    EXPECT_GT(count, 100);
    EXPECT_NEAR(last[channel], count, count * 0.05);
  }
  EXPECT_GT((double(smf.notes.back().tick) - 384) * tick_s, 1790.0);
  EXPECT_EQ(smf.zero_length, 0);
  EXPECT_EQ(smf.doubled, 0);
}

TEST_F(ExportFit, ASongWithoutEndingSoundsToItsLastFramesThenFades) {
  ASSERT_EQ(RunCliLine("compose --duration 12 --ending none -o " + P("open.bgm")), 0);
  ASSERT_EQ(RunCliLine("convert " + P("open.bgm") + " --wav " + P("open.wav")), 0);
  const Wav w = ReadWav(P("open.wav"));
  ASSERT_EQ(w.frames(), 12u * 44100);
  const size_t n = w.frames();
  const int before_fade = w.Peak(n - 882, n - 441);
  EXPECT_GT(before_fade, 100) << "the music plays up to the fade";
  EXPECT_LT(w.Peak(n - 220, n), before_fade / 2 + 2);
  EXPECT_LE(w.Peak(n - 1, n), 1);
  // With the tail kept, the sound rings on past the span and dies out.
  ASSERT_EQ(RunCliLine("convert " + P("open.bgm") + " --keep-tail --wav " + P("tail.wav")), 0);
  const Wav t = ReadWav(P("tail.wav"));
  EXPECT_GT(t.frames(), n);
  EXPECT_LT(t.frames(), n + 4 * 44100);
  EXPECT_GT(t.Peak(n, n + 441), 0);
}

TEST_F(ExportFit, RangesAreSlicesOfTheWholeSong) {
  ASSERT_EQ(RunCliLine("compose --rhythm \"Pop 16 Beat\" --duration 30 -o " + P("s.bgm")), 0);
  ASSERT_EQ(
      RunCliLine("convert " + P("s.bgm") + " --smf " + P("whole.mid") + " --wav " + P("whole.wav")),
      0);
  ASSERT_EQ(RunCliLine("convert " + P("s.bgm") + " --range 0:00:08:00 0:00:20:00 --smf " +
                       P("part.mid") + " --wav " + P("part.wav")),
            0);
  // An SMF alone runs the module without its sounds; with a WAV it comes
  // from the WAV's play: the same bytes either way, range or not.
  ASSERT_EQ(RunCliLine("convert " + P("s.bgm") + " --smf " + P("alone.mid")), 0);
  EXPECT_EQ(ReadFile(P("alone.mid")), ReadFile(P("whole.mid")));
  ASSERT_EQ(RunCliLine("convert " + P("s.bgm") + " --range 0:00:08:00 0:00:20:00 --smf " +
                       P("part_alone.mid")),
            0);
  EXPECT_EQ(ReadFile(P("part_alone.mid")), ReadFile(P("part.mid")));
  // A WAV alone is the WAV made beside the SMF, sample for sample, whole
  // song and range: recording the module's MIDI in the same play moves
  // nothing the module sounds.
  ASSERT_EQ(RunCliLine("convert " + P("s.bgm") + " --wav " + P("alone.wav")), 0);
  const Wav alone = ReadWav(P("alone.wav"));
  const Wav with_smf = ReadWav(P("whole.wav"));
  ASSERT_GT(alone.frames(), 20u * 44100);
  EXPECT_TRUE(alone.samples == with_smf.samples);
  ASSERT_EQ(RunCliLine("convert " + P("s.bgm") + " --range 0:00:08:00 0:00:20:00 --wav " +
                       P("part_alone.wav")),
            0);
  EXPECT_TRUE(ReadWav(P("part_alone.wav")).samples == ReadWav(P("part.wav")).samples);

  const Smf whole = ReadSmf(P("whole.mid"));
  const Smf part = ReadSmf(P("part.mid"));
  ASSERT_TRUE(whole.valid);
  ASSERT_TRUE(part.valid) << "a strict reader takes the range file";
  const double tick_s = whole.usec_per_quarter / 96.0 / 1e6;

  // The SMF: every note of the whole song between the times, one measure of
  // lead-in ahead, on the same channels.
  const uint32_t from = static_cast<uint32_t>(std::lround(8.0 / tick_s));
  const uint32_t to = static_cast<uint32_t>(std::lround(20.0 / tick_s));
  std::vector<Note> expected;
  for (const Note& n : whole.notes) {
    if (n.tick >= from + 384 && n.tick < to + 384)
      expected.push_back({n.tick - from, n.channel, n.key});
  }
  std::vector<Note> got = part.notes;
  std::sort(expected.begin(), expected.end());
  std::sort(got.begin(), got.end());
  ASSERT_GT(expected.size(), 20u);
  EXPECT_EQ(got, expected);
  std::set<int> channels;
  for (const Note& n : got) channels.insert(n.channel);
  EXPECT_GE(channels.size(), 4u) << "melody, drums and accompaniment";

  // The WAV: the whole song's sound from 8 s on, 12 s long, sample for
  // sample: both plays run the song from its start on the same clock, so
  // the module's blocks fall on the same frames. Only the range's own end
  // fade (the last 10 ms) differs, and it only makes the sound quieter.
  const Wav w = ReadWav(P("whole.wav"));
  const Wav r = ReadWav(P("part.wav"));
  ASSERT_GT(r.frames(), 441u);
  EXPECT_NEAR(double(r.frames()), 12.0 * 44100, 0.02 * 44100);
  const size_t at = static_cast<size_t>(std::llround(from * tick_s * 44100));
  ASSERT_LE(at + r.frames(), w.frames());
  const size_t fade = r.frames() - 441;
  size_t differing = 0;
  for (size_t i = 0; i < fade * 2; ++i) differing += r.samples[i] != w.samples[at * 2 + i];
  EXPECT_EQ(differing, 0u);
  for (size_t i = fade * 2; i < r.samples.size(); ++i) {
    ASSERT_LE(std::abs(int{r.samples[i]}), std::abs(int{w.samples[at * 2 + i]}) + 1) << i;
  }
}

TEST_F(ExportFit, SpansThatCannotBeMadeAreRefusedAndWriteNothing) {
  const std::string out = P("refused.bgm");
  {
    std::ofstream keep(out);
    keep << "earlier";
  }
  for (const std::string args :
       {"--duration 0", "--duration 1", "--duration 36000", "--duration 7200",
        "--rhythm \"Big Band\" --fps 24 --end 00:30:00:00",
        "--rhythm \"Pop 8 Beat\" --intro none --ending none --duration 3",
        "--intro 2 --ending 2 --duration 6"}) {
    SCOPED_TRACE(args);
    EXPECT_NE(RunCliLine("compose " + args + " -o " + out), 0);
    EXPECT_EQ(ReadFile(out).size(), 7u) << "the earlier file stays";
  }
  // A default section that does not fit gives way; the song is made.
  EXPECT_EQ(RunCliLine("compose --rhythm \"Viennese Waltz\" --duration 3 -o " + P("short.bgm")), 0);
}

TEST_F(ExportFit, TimesAreReadStrictly) {
  const std::string out = P("t.bgm");
  for (const std::string args :
       {"--start xx --duration 10", "--end 00:00:10:45", "--end 1:2:3:4:5",
        "--end 0:00:10:", "--fps 24 --end 0:00:10:24", "--fps 29.97 --end '0;01;00;00'",
        "--time-format feet35 --end 10+16", "--time-format frames --end 12a"}) {
    SCOPED_TRACE(args);
    EXPECT_EQ(RunCliLine("compose " + args + " -o " + out), 2);
    EXPECT_FALSE(fs::exists(out));
  }
  for (const std::string args :
       {"--end 0:00:10:29", "--fps 29.97 --end '0;01;00;02'", "--time-format feet35 --end 20+15",
        "--time-format frames --end 300"}) {
    SCOPED_TRACE(args);
    EXPECT_EQ(RunCliLine("compose " + args + " -o " + out), 0);
  }
}

TEST_F(ExportFit, BadRangesAndFoldersAreRefusedBeforeAnyWork) {
  ASSERT_EQ(RunCliLine("compose --duration 20 -o " + P("s.bgm")), 0);
  const std::string wav = P("keep.wav");
  {
    std::ofstream keep(wav);
    keep << "earlier";
  }
  for (const std::string range : {"0:00:10:00 0:00:05:00", "0:00:10:00 0:00:30:00",
                                  "0:00:25:00 0:00:26:00", "0:00:05:00 xx"}) {
    SCOPED_TRACE(range);
    EXPECT_NE(RunCliLine("convert " + P("s.bgm") + " --range " + range + " --wav " + wav), 0);
    EXPECT_EQ(ReadFile(wav).size(), 7u);
  }
  const fs::path locked = dir_ / "locked";
  fs::create_directories(locked);
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  if (::access(locked.c_str(), W_OK) != 0) {  // not when the tests run with every right
    EXPECT_NE(RunCliLine("convert " + P("s.bgm") + " --wav " + (locked / "x.wav").string()), 0);
    EXPECT_NE(RunCliLine("convert " + P("s.bgm") + " --smf " + (locked / "x.mid").string()), 0);
  }
  EXPECT_NE(RunCliLine("convert " + P("s.bgm") + " --wav " + P("missing/x.wav")), 0);
  EXPECT_NE(RunCliLine("convert " + P("s.bgm") + " --smf " + P("missing/x.mid")), 0);
  EXPECT_FALSE(fs::exists(dir_ / "missing"));
  for (const auto& entry : fs::directory_iterator(dir_)) {
    EXPECT_EQ(entry.path().filename().string().find(".part"), std::string::npos);
  }
  fs::permissions(locked, fs::perms::owner_all);
}

// A disk that fills while the WAV is written: a failure code, and neither the
// file, its temporary nor the recording's spool is left behind.
TEST_F(ExportFit, AFullDiskFailsTheExportAndLeavesNothing) {
  ASSERT_EQ(RunCliLine("compose --duration 20 -o " + P("s.bgm")), 0);
  const fs::path work = dir_ / "work";
  fs::create_directories(work);
  setenv("XDG_CACHE_HOME", work.c_str(), 1);
  EXPECT_NE(RunCliOnAFullDisk("convert " + P("s.bgm") + " --wav " + P("full.wav"), 64 * 1024), 0);
  EXPECT_NE(RunCliOnAFullDisk("convert " + P("s.bgm") + " --smf " + P("full.mid"), 2 * 1024), 0);
  for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name.find("full") == std::string::npos &&
                name.find("wavetemp") == std::string::npos)
        << entry.path();
  }
}

}  // namespace
