// Track operations on a full 1 MiB track; a plain buffer copy is the reference.
#include <benchmark/benchmark.h>

#include "song/track_buffer.h"

namespace {

using namespace qm3;

// Buffer 0: notes on all channels, every 12 ticks, until the buffer is full.
int64_t FillTrack() {
  SelectTrackBuffer(0);
  NewTrack();
  int64_t time = 0;
  int i = 0;
  while (CurrentTrack().size < kTrackBufferSize - 16) {
    const uint32_t channel = static_cast<uint32_t>(i % 16);
    const uint32_t note = 36 + static_cast<uint32_t>(i % 48);
    PutDelta(6);
    PutPacked(0x90 | channel | (note << 8) | (100u << 16), 3);
    PutDelta(6);
    PutPacked(0x80 | channel | (note << 8), 3);
    time += 12;
    ++i;
  }
  PutDelta(0);
  PutEndOfTrack();
  FinishTrack();
  SelectTrackBuffer(1);
  ClockTrack(0, 96 * 16, 4);
  return time;
}

void BM_CopyReference(benchmark::State& state) {
  FillTrack();
  for (auto _ : state) {
    CopyTrack(0, 2);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * kTrackBufferSize);
}

void BM_Merge(benchmark::State& state) {
  FillTrack();
  SelectTrackBuffer(2);
  for (auto _ : state) MergeTracks(0, 1);
  state.SetBytesProcessed(state.iterations() * kTrackBufferSize);
}

void BM_CopyAndCut(benchmark::State& state) {
  const int64_t end = FillTrack();
  SelectTrackBuffer(2);
  for (auto _ : state) {
    CopyTrack(0, 2);
    CutTrack(static_cast<int32_t>(end - 7));
  }
  state.SetBytesProcessed(state.iterations() * kTrackBufferSize);
}

void BM_Range(benchmark::State& state) {
  const int64_t end = FillTrack();
  SelectTrackBuffer(2);
  for (auto _ : state) RangeTrack(0, static_cast<int32_t>(end / 2), static_cast<int32_t>(end), 0);
  state.SetBytesProcessed(state.iterations() * kTrackBufferSize);
}

void BM_Meter(benchmark::State& state) {
  FillTrack();
  SelectTrackBuffer(2);
  for (auto _ : state) MeterTrack(0, 4, 3);
  state.SetBytesProcessed(state.iterations() * kTrackBufferSize);
}

BENCHMARK(BM_CopyReference)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Merge)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyAndCut)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Range)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Meter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
