// Playback on the real clock: the sequencer plays a song-like file (clock
// bytes every 4 ticks, melody, chords, four accompaniment parts and drums at
// 120 BPM, division 96) through a loopback port. Reports the process CPU time
// per minute of music and the send-time error of every message against the
// ideal schedule (p50/p99/max of the absolute error). The reference,
// measured in the same run, is the bare platform stream playing the very same
// events from ready-made buffers: the difference is what the sequencer costs.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "midi/sequencer.h"
#include "platform/clock.h"
#include "platform/loopback.h"
#include "platform/mmsystem.h"

namespace {

using namespace platform;

constexpr const char* kPort = "Corvane USB MIDI OUT 1";
constexpr uint32_t kDivision = 96;
constexpr double kTickUs = 500000.0 / kDivision;  // 120 BPM
constexpr uint32_t kLeadInTicks = 48;             // the sequencer's lead-in

struct Ev {
  uint32_t tick;
  uint32_t packed;  // short message, status in the low byte
};

// `measures` of 4/4 with the density of a rendered song.
std::vector<Ev> MakeEvents(uint32_t measures) {
  std::vector<Ev> ev;
  const uint32_t length = measures * 4 * kDivision;
  for (uint32_t t = 0; t < length; t += 4) ev.push_back({t, 0xF8});
  auto note = [&](uint32_t t, uint32_t len, uint32_t ch, uint32_t key, uint32_t vel) {
    ev.push_back({t, (0x90 | ch) | (key << 8) | (vel << 16)});
    ev.push_back({t + len - 1, (0x80 | ch) | (key << 8)});
  };
  for (uint32_t m = 0; m < measures; ++m) {
    const uint32_t bar = m * 4 * kDivision;
    for (uint32_t k : {48u, 52u, 55u}) note(bar, 4 * kDivision, 10, k + m % 5, 80);
    for (uint32_t beat = 0; beat < 4; ++beat) {
      note(bar + beat * kDivision, kDivision, 0, 60 + (m + beat) % 12, 100);
      for (uint32_t s = 0; s < 4; ++s) {  // sixteenths on the accompaniment
        const uint32_t t = bar + beat * kDivision + s * kDivision / 4;
        for (uint32_t ch = 11; ch <= 14; ++ch) note(t, kDivision / 4, ch, 40 + ch * 2 + s, 70);
      }
      for (uint32_t e = 0; e < 2; ++e) {  // eighths on the drums
        const uint32_t t = bar + beat * kDivision + e * kDivision / 2;
        note(t, 8, 9, e == 0 ? 36u : 42u, 90);
      }
    }
  }
  std::stable_sort(ev.begin(), ev.end(), [](const Ev& a, const Ev& b) { return a.tick < b.tick; });
  return ev;
}

void Vlq(std::vector<uint8_t>& out, uint32_t d) {
  uint8_t v[4];
  int n = 0;
  v[n++] = d & 0x7F;
  while ((d >>= 7) != 0) v[n++] = 0x80 | (d & 0x7F);
  while (n > 0) out.push_back(v[--n]);
}

std::vector<uint8_t> MakeSmf(const std::vector<Ev>& events) {
  std::vector<uint8_t> trk = {0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};  // 500000 us
  uint32_t last = 0;
  for (const Ev& e : events) {
    Vlq(trk, e.tick - last);
    last = e.tick;
    if (e.packed == 0xF8) {
      trk.insert(trk.end(), {0xF7, 0x01, 0xF8});
    } else {
      trk.insert(trk.end(), {uint8_t(e.packed), uint8_t(e.packed >> 8), uint8_t(e.packed >> 16)});
    }
  }
  trk.insert(trk.end(), {0x00, 0xFF, 0x2F, 0x00});
  std::vector<uint8_t> f = {'M', 'T', 'h', 'd', 0,         0,   0,   6,   0,
                            0,   0,   1,   0,   kDivision, 'M', 'T', 'r', 'k'};
  const auto n = uint32_t(trk.size());
  f.insert(f.end(), {uint8_t(n >> 24), uint8_t(n >> 16), uint8_t(n >> 8), uint8_t(n)});
  f.insert(f.end(), trk.begin(), trk.end());
  return f;
}

uint32_t FindPort(const char* name) {
  for (uint32_t i = 0; i < midiOutGetNumDevs(); ++i) {
    MIDIOUTCAPS caps{};
    if (midiOutGetDevCaps(i, &caps, sizeof caps) == 0 && std::strcmp(caps.szPname, name) == 0) {
      return i;
    }
  }
  return ~0u;
}

double CpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

struct Got {
  double time_us;
  uint32_t packed;
};

// The port's short messages with their receive times, oldest first.
std::vector<Got> Received() {
  std::vector<Got> got;
  for (const auto& m : TakeLoopbackOutput(kPort)) {
    if (m.bytes.empty() || m.bytes.size() > 3) continue;
    uint32_t packed = 0;
    for (size_t i = 0; i < m.bytes.size(); ++i) packed |= uint32_t(m.bytes[i]) << (8 * i);
    got.push_back({double(m.time_us), packed});
  }
  return got;
}

struct Run {
  double cpu_s = 0;
  std::vector<double> errors_us;  // lateness of each message
  size_t expected = 0, received = 0;
};

// Errors against the ideal times. Messages the player adds on its own (set-up,
// volume) are skipped by matching the expected ones in order. The constant
// start-up offset (the median lateness) is removed, so what remains is each
// message's distance from its place in the ideal schedule.
void Compare(Run& run, const std::vector<Ev>& ev, const std::vector<Got>& got) {
  run.expected = ev.size();
  size_t next = 0;
  std::vector<double> late;
  for (const Got& g : got) {
    if (next == ev.size()) break;
    const uint32_t want = ev[next].packed;
    const bool note_off_as_on =
        (want & 0xF0) == 0x80 && (g.packed & 0xF0) == 0x90 && ((g.packed ^ want) & 0xFFFF0F) == 0;
    if (g.packed != want && !note_off_as_on) continue;
    late.push_back(g.time_us - double(ev[next].tick) * kTickUs);
    ++next;
  }
  run.received = next;
  if (late.empty()) return;
  std::vector<double> sorted = late;
  std::nth_element(sorted.begin(), sorted.begin() + long(sorted.size() / 2), sorted.end());
  const double offset = sorted[sorted.size() / 2];
  for (double l : late) run.errors_us.push_back(std::abs(l - offset));
}

Run PlaySequencer(const std::vector<Ev>& ev, const std::vector<uint8_t>& smf) {
  Run run;
  qm3::midi::Sequencer seq;
  seq.set_output_device(FindPort(kPort));
  qm3::midi::SequencerOptions opt;
  opt.tempo_control = 1200000;
  seq.set_options(opt);
  if (seq.OpenImage(smf.data(), smf.size(), 1.0) != 0) return run;
  TakeLoopbackOutput(kPort);
  const double cpu0 = CpuSeconds();
  if (seq.StartPlay(0, 0) != 0) return run;
  while (seq.state() == qm3::midi::SeqState::kPlaying) Sleep(5);  // the play thread's poll
  seq.StopPlay();
  run.cpu_s = CpuSeconds() - cpu0;
  Compare(run, ev, Received());
  return run;
}

void Word(std::vector<uint8_t>& b, uint32_t w) {
  uint8_t bytes[4];
  std::memcpy(bytes, &w, 4);
  b.insert(b.end(), bytes, bytes + 4);
}

// The same events from prepared 2048-byte stream buffers, all queued at once.
Run PlayBareStream(const std::vector<Ev>& ev) {
  std::vector<std::vector<uint8_t>> buffers(1);
  uint32_t last = 0;
  for (const Ev& e : ev) {
    if (buffers.back().size() + 12 > 2048) buffers.emplace_back();
    Word(buffers.back(), e.tick + kLeadInTicks - last);
    last = e.tick + kLeadInTicks;
    Word(buffers.back(), 0);
    Word(buffers.back(), e.packed);
  }
  std::vector<MIDIHDR> headers(buffers.size());
  for (size_t i = 0; i < buffers.size(); ++i) {
    headers[i].lpData = reinterpret_cast<LPSTR>(buffers[i].data());
    headers[i].dwBufferLength = headers[i].dwBytesRecorded = uint32_t(buffers[i].size());
  }
  Run run;
  UINT id = FindPort(kPort);
  TakeLoopbackOutput(kPort);
  const double cpu0 = CpuSeconds();
  HMIDISTRM h = nullptr;
  if (midiStreamOpen(&h, &id, 1, 0, 0, CALLBACK_NULL) != 0) return run;
  MIDIPROPTIMEDIV div{sizeof div, kDivision};
  midiStreamProperty(h, reinterpret_cast<BYTE*>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
  for (auto& hdr : headers) {
    midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h), &hdr, sizeof hdr);
    midiStreamOut(h, &hdr, sizeof hdr);
  }
  midiStreamRestart(h);
  while (!(headers.back().dwFlags & MHDR_DONE)) Sleep(5);
  midiStreamClose(h);
  run.cpu_s = CpuSeconds() - cpu0;
  Compare(run, ev, Received());
  return run;
}

void Report(benchmark::State& state, Run& run, double music_s) {
  auto& e = run.errors_us;
  std::sort(e.begin(), e.end());
  auto at = [&](double q) { return e.empty() ? -1.0 : e[size_t(q * double(e.size() - 1))]; };
  state.counters["cpu_ms_per_music_min"] = run.cpu_s * 1000.0 * 60.0 / music_s;
  state.counters["err_p50_us"] = at(0.50);
  state.counters["err_p99_us"] = at(0.99);
  state.counters["err_max_us"] = e.empty() ? -1.0 : e.back();
  state.counters["messages"] = double(run.received);
  state.counters["missing"] = double(run.expected) - double(run.received);
}

// range(0): measures of music (2 s each at 120 BPM).
template <bool kSequencer>
void BM_Playback(benchmark::State& state) {
  UseRealClock();
  RemoveAllLoopbackPorts();
  CreateLoopbackOutput(kPort);
  const auto ev = MakeEvents(uint32_t(state.range(0)));
  const auto smf = MakeSmf(ev);
  Run run;
  for (auto _ : state) run = kSequencer ? PlaySequencer(ev, smf) : PlayBareStream(ev);
  Report(state, run, double(state.range(0)) * 2.0);
  RemoveAllLoopbackPorts();
}
void BM_PlaybackSequencer(benchmark::State& s) {
  BM_Playback<true>(s);
}
void BM_PlaybackBareStreamReference(benchmark::State& s) {
  BM_Playback<false>(s);
}
BENCHMARK(BM_PlaybackSequencer)->Arg(8)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlaybackBareStreamReference)->Arg(8)->Iterations(1)->Unit(benchmark::kMillisecond);

// The OS's own lateness for absolute sleeps at a comparable pace.
void BM_SleepUntilErrorReference(benchmark::State& state) {
  UseRealClock();
  std::vector<double> errors;
  for (auto _ : state) {
    uint64_t due = GetMicroseconds();
    for (int i = 0; i < 2000; ++i) {
      due += 2500 + uint64_t(i % 7) * 100;
      SleepUntilMicroseconds(due);
      errors.push_back(double(GetMicroseconds()) - double(due));
    }
  }
  Run run;
  run.errors_us = errors;
  run.expected = run.received = errors.size();
  Report(state, run, 1e9);
  state.counters.erase("cpu_ms_per_music_min");
}
BENCHMARK(BM_SleepUntilErrorReference)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
