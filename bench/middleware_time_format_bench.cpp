// Cost of the time texts and conversions the host calls for every control
// refresh and every pointer step, against a bare snprintf of the same shape.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <vector>

#include "core/time_base.h"
#include "core/time_format.h"

namespace {

using namespace qm3;

void Setup(int32_t mode) {
  WriteValue(kEditingMode, 0, false);
  WriteValue(kTimeBase, kTimeBase30, false);
  WriteValue(kTimeDisplayMode, mode, false);
  WriteValue(kTempo, 1200000, false);
}

void BM_ReferenceSnprintf(benchmark::State& state) {
  char text[kFormatTextSize];
  int32_t v = 0;
  for (auto _ : state) {
    std::snprintf(text, sizeof text, "%1d:%02d:%02d:%02d", v / 108000, (v % 108000) / 1800,
                  (v % 1800) / 30, v % 30);
    benchmark::DoNotOptimize(text);
    v = (v + 7919) % 1080000;
  }
}
BENCHMARK(BM_ReferenceSnprintf);

void BM_FormatTimeCode(benchmark::State& state) {
  Setup(static_cast<int32_t>(state.range(0)));
  char text[kFormatTextSize];
  int32_t v = 0;
  for (auto _ : state) {
    FormatTimeCode(v, text);
    benchmark::DoNotOptimize(text);
    v = (v + 7919) % 1080000;
  }
}
BENCHMARK(BM_FormatTimeCode)->Arg(kDisplayCode30)->Arg(kDisplayCodeDrop)->Arg(kDisplayFeet35mm);

void BM_ParseTimeCode(benchmark::State& state) {
  Setup(kDisplayCodeDrop);
  char text[kFormatTextSize];
  FormatTimeCode(1079999, text);
  int32_t v = 0;
  for (auto _ : state) {
    ParseTimeCode(text, &v);
    benchmark::DoNotOptimize(v);
  }
}
BENCHMARK(BM_ParseTimeCode);

// A file with a tempo change every beat: the worst map the pointer follows.
void BM_TickToTimeWithTempoMap(benchmark::State& state) {
  Setup(kDisplayCode30);
  WriteValue(kEditingMode, 1, false);
  std::vector<TempoMapEntry> map;
  double frames = 0;
  for (int32_t i = 0; i < state.range(0); ++i) {
    const int32_t tempo = 1000000 + (i % 7) * 100000;
    map.push_back({tempo, i * 96, frames});
    frames += 30.0 * 0.625 * 96 / (tempo * 0.0001);
  }
  SetTempoMap(map.data(), map.size());
  WriteValue(kTempo, map.front().tempo, false);
  int32_t t = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(TickToTime(t));
    t = (t + 4099) % (static_cast<int32_t>(state.range(0)) * 96);
  }
  ClearTempoMap();
  WriteValue(kEditingMode, 0, false);
}
BENCHMARK(BM_TickToTimeWithTempoMap)->Arg(1)->Arg(4000);

}  // namespace

BENCHMARK_MAIN();
