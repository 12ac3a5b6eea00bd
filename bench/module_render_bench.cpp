// Rendering a three-minute song through the software sound module on the
// virtual clock, against the synthesizer's own command-line fast render of
// a Standard MIDI File with the same notes and the same SoundFont. The
// module's counter "vs_fluidsynth_cli" is the ratio of the two wall-clock
// times and "cpu_vs_fluidsynth_cli" the ratio of the CPU times, both
// measured in this one run.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "corvane/module.h"
#include "midibytes/number.h"
#include "platform/clock.h"
#include "platform/usb_endpoint.h"

namespace {

namespace fs = std::filesystem;

constexpr uint64_t kClockUs = 20833;  // 120 per minute
constexpr int kMeasures = 90;         // three minutes at 120 per minute in 4/4
constexpr uint32_t kRate = 44100;

std::string SoundFont() {
  for (const char* p :
       {"/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2"}) {
    if (fs::is_regular_file(p)) return p;
  }
  return "";
}

struct TimedBytes {
  uint32_t tick;
  std::vector<uint8_t> bytes;
};

std::vector<uint8_t> Smf(std::vector<TimedBytes> events, uint16_t division) {
  std::stable_sort(events.begin(), events.end(),
                   [](const TimedBytes& a, const TimedBytes& b) { return a.tick < b.tick; });
  std::vector<uint8_t> track;
  uint32_t last = 0;
  for (const auto& e : events) {
    midibytes::AppendNumber(track, e.tick - last);
    last = e.tick;
    track.insert(track.end(), e.bytes.begin(), e.bytes.end());
  }
  track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
  f.push_back(static_cast<uint8_t>(division >> 8));
  f.push_back(static_cast<uint8_t>(division));
  f.insert(f.end(), {'M', 'T', 'r', 'k'});
  const auto n = static_cast<uint32_t>(track.size());
  f.insert(f.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  f.insert(f.end(), track.begin(), track.end());
  return f;
}

void WriteFile(const fs::path& p, const std::vector<uint8_t>& bytes) {
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<long>(bytes.size()));
}

// A pop style: eighth-note chords, a bass on every beat, a drum groove, a
// pad, and a fill-in.
void WriteStyle(const fs::path& dir) {
  std::vector<TimedBytes> e;
  auto meta = [&](uint32_t t, uint8_t type, const std::string& s) {
    std::vector<uint8_t> b = {0xFF, type};
    midibytes::AppendNumber(b, static_cast<uint32_t>(s.size()));
    b.insert(b.end(), s.begin(), s.end());
    e.push_back({t, b});
  };
  auto note = [&](uint32_t t, int ch, int key, int vel, uint32_t len) {
    e.push_back({t + len, {uint8_t(0x80 | (ch - 1)), uint8_t(key), 0}});
    e.push_back({t, {uint8_t(0x90 | (ch - 1)), uint8_t(key), uint8_t(vel)}});
  };
  e.push_back({0, {0xFF, 0x58, 0x04, 4, 2, 24, 8}});
  e.push_back({0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}});
  for (int s = 0; s < 2; ++s) {
    const uint32_t start = s * 2 * 384;
    meta(start, 0x06, s == 0 ? "Main 1" : "Fill 1");
    meta(start, 0x01, "chord=C maj");
    meta(start, 0x01, "part=12 rule=chord low=55 high=79");
    meta(start, 0x01, "part=13 rule=chord low=48 high=72");
    meta(start, 0x01, "part=15 rule=bass low=28 high=52");
    meta(start, 0x01, "part=16 rule=fixed low=0 high=127");
    e.push_back({start, {0xCB, 4}});
    e.push_back({start, {0xCC, 48}});
    e.push_back({start, {0xCE, 33}});
    const int measures = s == 0 ? 2 : 1;
    for (uint32_t t = start; t < start + measures * 384u; t += 48) {
      for (int k : {60, 64, 67}) note(t, 12, k, 70, 40);
      note(t, 16, (t / 48) % 2 ? 42 : 36, 90, 20);
      if ((t / 96) % 2 == 1 && t % 96 == 0) note(t, 16, 38, 100, 20);
      if (s == 1) note(t + 24, 16, 45, 90, 20);
    }
    for (uint32_t t = start; t < start + measures * 384u; t += 96) note(t, 15, 36, 100, 90);
    for (uint32_t t = start; t < start + measures * 384u; t += 384) {
      for (int k : {48, 52, 55}) note(t, 13, k, 60, 380);
    }
  }
  fs::create_directories(dir / "styles");
  WriteFile(dir / "styles" / "style_010_020.mid", Smf(e, 96));
}

struct Session {
  fs::path dir;
  std::string font;
  std::vector<TimedBytes> heard;  // what the module played, in SMF ticks
  size_t frames = 0;
};

void Send(const SonavexUsbEndpoint& ep, std::initializer_list<uint8_t> bytes) {
  std::vector<uint8_t> p;
  for (uint8_t b : bytes) p.insert(p.end(), {0x0F, b, 0, 0});
  ep.write_out(ep.ctx, p.data(), static_cast<int>(p.size()));
}

void SendParameter(const SonavexUsbEndpoint& ep, uint8_t a2, std::vector<uint8_t> values) {
  std::vector<uint8_t> m = {0xF0, 0x50, 0x2C, 0x01, 0x2D, 0x13,
                            0x0A, 0x00, a2,   0x00, 0x00, uint8_t(values.size() / 2)};
  m.insert(m.end(), values.begin(), values.end());
  m.push_back(0);
  unsigned sum = 0;
  for (size_t i = 1; i < m.size(); ++i) sum += m[i];
  m.push_back(static_cast<uint8_t>((0u - sum) & 0x7F));
  m.push_back(0xF7);
  std::vector<uint8_t> p;
  size_t i = 0;
  while (m.size() - i > 3) {
    p.insert(p.end(), {0x04, m[i], m[i + 1], m[i + 2]});
    i += 3;
  }
  const size_t left = m.size() - i;
  p.push_back(static_cast<uint8_t>(4 + left));
  for (size_t k = 0; k < 3; ++k) p.push_back(k < left ? m[i + k] : 0);
  ep.write_out(ep.ctx, p.data(), static_cast<int>(p.size()));
}

// Plays the song through the module, fetching audio each second as the
// audio input device does; records what the module sent back.
bool RunModule(Session& s) {
  platform::UseVirtualClock();
  const std::string dir = s.dir.string();
  CorvaneModuleOptions o{};
  o.data_dir = dir.c_str();
  o.sound_font = s.font.c_str();
  if (CorvaneModuleStart(&o) != CORVANE_MODULE_OK) return false;
  SonavexUsbEndpoint ep{};
  SonavexFindUsbEndpoint(CORVANE_MODULE_ENDPOINT_NAME, &ep);
  s.heard.clear();
  s.frames = 0;
  std::vector<int16_t> audio(kRate * 2);
  uint64_t fetched = 0;
  uint8_t in[1024];
  auto drain = [&] {
    for (int n; (n = ep.read_in(ep.ctx, in, sizeof in, 0)) > 0;) {
      const uint32_t tick = static_cast<uint32_t>(platform::GetMicroseconds() * 96 / 500000);
      for (int i = 0; i + 3 < n; i += 4) {
        if ((in[i] & 0x0F) >= 8 && (in[i] & 0x0F) != 0x0F) {
          const int len = (in[i] & 0x0F) == 0x0C || (in[i] & 0x0F) == 0x0D ? 2 : 3;
          s.heard.push_back({tick, std::vector<uint8_t>(in + i + 1, in + i + 1 + len)});
        }
      }
    }
  };
  auto fetch = [&] {
    while ((fetched + kRate) * 1000000 / kRate <= platform::GetMicroseconds()) {
      CorvaneModuleRenderAudio(fetched * 1000000 / kRate, audio.data(), kRate);
      fetched += kRate;
    }
  };
  SendParameter(ep, 0x00, {0x00, 0x0A, 0x04, 0x01});  // rhythm 10 / 20
  Send(ep, {0xC0, 73});
  s.heard.push_back({0, {0xC0, 73}});
  Send(ep, {0xFA});
  static const int kRoots[] = {0, 9, 5, 7};
  static const int kMelody[] = {72, 74, 76, 79, 77, 76, 74, 72};
  std::vector<uint8_t> held;
  for (int clock = 0; clock < kMeasures * 96; ++clock) {
    const int measure = clock / 96;
    const int r = clock % 96;
    if (r == 94) {  // next chord, 6 ticks before the bar line
      for (uint8_t k : held) Send(ep, {0x8A, k, 0});
      const int root = kRoots[(measure + 1) % 4];
      held = {uint8_t(48 + root), uint8_t(48 + (root + (root == 9 ? 3 : 4)) % 12),
              uint8_t(55 + root)};
      for (uint8_t k : held) Send(ep, {0x9A, k, 90});
    }
    if (r == 83 && measure % 8 == 6) SendParameter(ep, 0x0C, {0, 1});
    if (clock % 24 == 0) {
      const uint8_t key = static_cast<uint8_t>(kMelody[(clock / 24) % 8]);
      Send(ep, {0x90, key, 100});
      s.heard.push_back({static_cast<uint32_t>(clock * 4), {0x90, key, 100}});
    }
    if (clock % 24 == 20) {
      const uint8_t key = static_cast<uint8_t>(kMelody[(clock / 24) % 8]);
      Send(ep, {0x80, key, 0});
      s.heard.push_back({static_cast<uint32_t>(clock * 4), {0x80, key, 0}});
    }
    Send(ep, {0xF8});
    platform::SleepUntilMicroseconds(platform::GetMicroseconds() + kClockUs);
    drain();
    fetch();
  }
  Send(ep, {0xFC});
  platform::Sleep(2000);
  drain();
  fetch();
  s.frames = fetched;
  CorvaneModuleStop();
  return true;
}

Session& Shared() {
  static Session s = [] {
    Session x;
    x.dir = fs::temp_directory_path() / ("corvane-bench-" + std::to_string(getpid()));
    fs::create_directories(x.dir);
    WriteStyle(x.dir);
    x.font = SoundFont();
    return x;
  }();
  return s;
}

double g_cli_seconds = 0;
double g_cli_cpu_seconds = 0;

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The same notes as an SMF: what the module played plus the melody.
fs::path WriteSongSmf(const Session& s) {
  std::vector<TimedBytes> events = s.heard;
  events.push_back({0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20}});
  for (auto& e : events) {  // the module's drum channel is the file's channel 10
    if (!e.bytes.empty() && e.bytes[0] < 0xF0 && (e.bytes[0] & 0x0F) == 15) {
      e.bytes[0] = static_cast<uint8_t>((e.bytes[0] & 0xF0) | 9);
    }
  }
  const fs::path p = s.dir / "song.mid";
  WriteFile(p, Smf(events, 96));
  return p;
}

void BM_FluidsynthCliFastRender(benchmark::State& state) {
  Session& s = Shared();
  if (s.font.empty() || !fs::exists("/usr/bin/fluidsynth")) {
    state.SkipWithError("no SoundFont or no fluidsynth program");
    return;
  }
  if (s.heard.empty() && !RunModule(s)) {
    state.SkipWithError("module did not start");
    return;
  }
  const fs::path smf = WriteSongSmf(s);
  const std::string wav = (s.dir / "cli.wav").string();
  double total = 0;
  double cpu = 0;
  int runs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, 1);
      dup2(null, 2);
      execl("/usr/bin/fluidsynth", "fluidsynth", "-ni", "-q", "-r", "44100", "-g", "0.4", "-F",
            wav.c_str(), s.font.c_str(), smf.string().c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    cpu += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(secs);
    total += secs;
    ++runs;
  }
  g_cli_seconds = total / runs;
  g_cli_cpu_seconds = cpu / runs;
  state.counters["notes"] = static_cast<double>(s.heard.size());
  state.counters["cpu_s"] = g_cli_cpu_seconds;
}

void BM_ModuleRenderThreeMinuteSong(benchmark::State& state) {
  Session& s = Shared();
  if (s.font.empty()) {
    state.SkipWithError("no SoundFont");
    return;
  }
  double total = 0;
  double cpu = 0;
  int runs = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu_start = ProcessCpuSeconds();
    if (!RunModule(s)) {
      state.SkipWithError("module did not start");
      return;
    }
    const double secs =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.SetIterationTime(secs);
    total += secs;
    cpu += ProcessCpuSeconds() - cpu_start;
    ++runs;
  }
  state.counters["cpu_s"] = cpu / runs;
  if (g_cli_cpu_seconds > 0)
    state.counters["cpu_vs_fluidsynth_cli"] = cpu / runs / g_cli_cpu_seconds;
  state.counters["audio_seconds"] = static_cast<double>(s.frames) / kRate;
  if (g_cli_seconds > 0) state.counters["vs_fluidsynth_cli"] = total / runs / g_cli_seconds;
}

BENCHMARK(BM_FluidsynthCliFastRender)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModuleRenderThreeMinuteSong)
    ->UseManualTime()
    ->Iterations(2)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
