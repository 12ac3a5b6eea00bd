// Import of a 1 MB Standard MIDI File (16 tracks of notes with dense
// controller sweeps, as large files from sequencers are): the normalisation
// that merges the tracks, the checks and conversion, the sound-set and drum
// scans and the part lookup at the start. References measured in the same
// run: copying the bytes, and one plain walk of every track (what any reader
// must do at least).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "midi/smf_import.h"
#include "midibytes/merged_reader.h"
#include "midibytes/smf_file.h"
#include "midibytes/track_writer.h"

namespace {

using namespace qm3::midi;

constexpr int64_t kBeats = 330;

// About 1 MB: per track a note every beat and a pitch bend, expression and
// modulation every 4 ticks in between.
std::vector<uint8_t> LargeFile() {
  std::vector<std::vector<uint8_t>> tracks;
  for (uint8_t ch = 0; ch < 16; ++ch) {
    midibytes::TrackWriter w;
    w.Channel(0, static_cast<uint8_t>(0xC0 | ch), ch);
    for (int64_t beat = 0; beat < kBeats; ++beat) {
      const int64_t t = beat * 96;
      w.Channel(t, static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(48 + beat % 24), 90);
      for (int64_t k = 4; k < 96; k += 4) {
        const auto v = static_cast<uint8_t>((beat + k) & 0x7F);
        w.Channel(t + k, static_cast<uint8_t>(0xE0 | ch), 0, v);
        w.Channel(t + k, static_cast<uint8_t>(0xB0 | ch), 11, v);
      }
      w.Channel(t + 95, static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(48 + beat % 24), 0);
    }
    w.End(kBeats * 96);
    tracks.push_back(w.bytes());
  }
  return midibytes::AssembleFile(1, 96, tracks);
}

void BM_CopyBytes(benchmark::State& state) {
  const std::vector<uint8_t> file = LargeFile();
  std::vector<uint8_t> copy(file.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), file.data(), file.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_CopyBytes);

void BM_WalkTracks(benchmark::State& state) {
  const std::vector<uint8_t> file = LargeFile();
  const auto n = static_cast<int64_t>(file.size());
  for (auto _ : state) {
    midibytes::SmfHeader header;
    midibytes::ReadHeader(file.data(), n, &header);
    std::vector<midibytes::TrackChunk> tracks;
    midibytes::ListTracks(file.data(), n, header, midibytes::ChunkPolicy::kStrict, 64, &tracks);
    midibytes::MergedReader reader;
    reader.Open(file.data(), tracks);
    midibytes::MergedEvent e;
    int64_t events = 0;
    while (reader.Next(&e) != midibytes::MergedStep::kEnd) ++events;
    benchmark::DoNotOptimize(events);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_WalkTracks);

void BM_Import(benchmark::State& state) {
  const std::vector<uint8_t> file = LargeFile();
  std::vector<uint8_t> image;
  ConvertedSmf converted;
  for (auto _ : state) {
    if (NormaliseSmf(file.data(), file.size(), &image) != qm3::kRcOk ||
        ConvertSmf(image.data(), image.size(), &converted) != qm3::kRcOk) {
      state.SkipWithError("the file did not import");
      break;
    }
    benchmark::DoNotOptimize(DetectSoundSet(image.data(), image.size()));
    benchmark::DoNotOptimize(ScanDrumParts(image.data(), image.size()));
    benchmark::DoNotOptimize(PartSettingsAt(image.data(), image.size(), 0));
  }
  state.counters["file_bytes"] = static_cast<double>(file.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * file.size()));
}
BENCHMARK(BM_Import)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
