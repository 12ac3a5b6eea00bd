// Stream timing: how late events leave a stream on the real clock (p50/p99/
// max send-time error against the time computed from ticks and tempi), with
// the OS's own wake-up error as the reference, and how fast ten minutes of
// music play on the virtual clock.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/clock.h"
#include "platform/loopback.h"
#include "platform/mmsystem.h"

namespace {

using namespace platform;

struct Song {
  std::vector<std::vector<uint8_t>> buffers;
  std::vector<MIDIHDR> headers;
  std::vector<uint64_t> times;  // computed send time of every short event
};

void Word(std::vector<uint8_t>& b, uint32_t w) {
  uint8_t bytes[4];
  std::memcpy(bytes, &w, 4);
  b.insert(b.end(), bytes, bytes + 4);
}

// Thirty-second notes at division 480 with a new tempo every bar, for `seconds`.
Song MakeSong(uint64_t seconds) {
  Song s;
  s.buffers.emplace_back();
  uint64_t seg_us = 0, carry = 0, tempo = 500000, us = 0;
  while (us < seconds * 1000000) {
    auto& b = s.buffers.back();
    for (int i = 0; i < 16; ++i) {
      carry += 60;
      us = seg_us + carry * tempo / 480;
      Word(b, 60);
      Word(b, 0);
      Word(b, 0x403C90u + uint32_t(i % 2) * 0x100);
      s.times.push_back(us);
    }
    tempo = 400000 + (tempo * 7 + 13) % 300000;
    Word(b, 0);
    Word(b, 0);
    Word(b, (uint32_t(MEVT_TEMPO) << 24) | uint32_t(tempo));
    seg_us = us;
    carry = 0;
    if (b.size() > 4000) s.buffers.emplace_back();
  }
  for (auto& b : s.buffers) {
    MIDIHDR h{};
    h.lpData = reinterpret_cast<LPSTR>(b.data());
    h.dwBufferLength = h.dwBytesRecorded = uint32_t(b.size());
    s.headers.push_back(h);
  }
  return s;
}

UINT LoopId(const char* name) {
  for (UINT i = 0; i < midiOutGetNumDevs(); ++i) {
    MIDIOUTCAPS caps{};
    if (midiOutGetDevCaps(i, &caps, sizeof caps) == 0 && std::strcmp(caps.szPname, name) == 0) {
      return i;
    }
  }
  return ~0u;
}

// Plays the song; returns each event's receive time relative to the restart.
std::vector<uint64_t> Play(Song& song) {
  RemoveAllLoopbackPorts();
  CreateLoopbackOutput("Bench");
  UINT id = LoopId("Bench");
  HMIDISTRM h = nullptr;
  midiStreamOpen(&h, &id, 1, 0, 0, CALLBACK_NULL);
  MIDIPROPTIMEDIV div{sizeof div, 480};
  midiStreamProperty(h, reinterpret_cast<BYTE*>(&div), MIDIPROP_SET | MIDIPROP_TIMEDIV);
  for (auto& hdr : song.headers) {
    hdr.dwFlags = 0;
    midiOutPrepareHeader(reinterpret_cast<HMIDIOUT>(h), &hdr, sizeof hdr);
    midiStreamOut(h, &hdr, sizeof hdr);
  }
  const uint64_t start = GetMicroseconds();
  midiStreamRestart(h);
  while (!(song.headers.back().dwFlags & MHDR_DONE)) Sleep(10);
  midiStreamClose(h);
  std::vector<uint64_t> got;
  for (const auto& m : TakeLoopbackOutput("Bench")) got.push_back(m.time_us - start);
  RemoveAllLoopbackPorts();
  return got;
}

void Report(benchmark::State& state, std::vector<int64_t> errors) {
  std::sort(errors.begin(), errors.end());
  auto at = [&](double q) { return double(errors[size_t(q * double(errors.size() - 1))]); };
  state.counters["p50_us"] = at(0.50);
  state.counters["p99_us"] = at(0.99);
  state.counters["max_us"] = double(errors.back());
  state.counters["events"] = double(errors.size());
}

void BM_StreamSendErrorRealClock(benchmark::State& state) {
  UseRealClock();
  Song song = MakeSong(uint64_t(state.range(0)));
  std::vector<int64_t> errors;
  for (auto _ : state) {
    const auto got = Play(song);
    for (size_t i = 0; i < got.size() && i < song.times.size(); ++i) {
      errors.push_back(int64_t(got[i]) - int64_t(song.times[i]));
    }
  }
  Report(state, errors);
}
BENCHMARK(BM_StreamSendErrorRealClock)->Arg(20)->Iterations(1)->Unit(benchmark::kMillisecond);

// Reference: the OS's own lateness for absolute sleeps at the same pace.
void BM_SleepUntilErrorRealClock(benchmark::State& state) {
  UseRealClock();
  std::vector<int64_t> errors;
  for (auto _ : state) {
    uint64_t due = GetMicroseconds();
    for (int i = 0; i < 2000; ++i) {
      due += 2500 + uint64_t(i % 7) * 100;
      SleepUntilMicroseconds(due);
      errors.push_back(int64_t(GetMicroseconds()) - int64_t(due));
    }
  }
  Report(state, errors);
}
BENCHMARK(BM_SleepUntilErrorRealClock)->Iterations(1)->Unit(benchmark::kMillisecond);

// Ten minutes of music on the virtual clock: wall time per play, and a
// check that every event is on time to the microsecond.
void BM_TenMinuteStreamVirtualClock(benchmark::State& state) {
  Song song = MakeSong(600);
  int64_t off_time = 0;
  for (auto _ : state) {
    UseVirtualClock();
    const auto got = Play(song);
    UseRealClock();
    for (size_t i = 0; i < got.size(); ++i) off_time += got[i] != song.times[i];
    off_time += int64_t(song.times.size()) - int64_t(got.size());
  }
  state.counters["events"] = double(song.times.size());
  state.counters["events_off_time"] = double(off_time);
}
BENCHMARK(BM_TenMinuteStreamVirtualClock)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
