// Cost of the exported value calls the host makes for every control refresh
// (reads through aliases, tempo scaling, rendering) and of a value write with
// its reaction lookup, against a map lookup of the same identifiers.
#include <benchmark/benchmark.h>

#include <map>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "qm3middle.h"

namespace {

using namespace qm3;

constexpr long kReadIds[] = {kMainVolume, kEditStartTime,   kTempo,      kEditTempo,
                             PartPan(7),  kRealTimeEndTime, kPhraseBass, kMenuUndo};

void BM_ReferenceMapLookup(benchmark::State& state) {
  std::map<long, int32_t> values;
  for (long id : kReadIds) values[id] = static_cast<int32_t>(id);
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(values[kReadIds[i++ & 7]]);
  }
}
BENCHMARK(BM_ReferenceMapLookup);

void BM_GetValue(benchmark::State& state) {
  StartMiddleware();
  long a = 0;
  long b = 0;
  size_t i = 0;
  for (auto _ : state) {
    QM3GetValue(kReadIds[i++ & 7], 0, &a, &b);
    benchmark::DoNotOptimize(a);
  }
}
BENCHMARK(BM_GetValue);

void BM_SetValueWithoutReaction(benchmark::State& state) {
  StartMiddleware();
  long v = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(QM3SetValue(kLiveliness, 0, v, 0));
    v = (v + 1) % 5;
  }
}
BENCHMARK(BM_SetValueWithoutReaction);

void BM_GetValueStrPlain(benchmark::State& state) {
  StartMiddleware();
  char text[256];
  long v = 0;
  for (auto _ : state) {
    QM3GetValueStr(PartVolume(3), v, text);
    benchmark::DoNotOptimize(text);
    v = (v + 1) & 127;
  }
}
BENCHMARK(BM_GetValueStrPlain);

}  // namespace

BENCHMARK_MAIN();
