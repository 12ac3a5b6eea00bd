// Making a play-time song for spans of 1, 10 and 60 minutes: the structure
// step alone, and the whole button press (values, phrase list, render into
// the work files). References: copying a finished phrase list of the same
// size, and writing as many bytes as the rendered song to a file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "song/builder.h"
#include "song/builder_content.h"

namespace {

using namespace qm3;

// A slow rhythm (60 BPM, 4/4) so that an hour stays within the longest song.
class BenchContent final : public SongContent {
 public:
  bool Rhythm(int32_t, RhythmFacts* f) override {
    f->standard_tempo = 60;
    f->beats = 4;
    f->intro_measures = {2, 2, 1, 1};
    f->ending_measures = {2, 2, 1, 1};
    f->keys = {12, 0, 80};
    return true;
  }
  bool MelodyPhrases(int32_t, int, std::vector<int>* lengths) override {
    *lengths = {4, 4, 2, 4, 4, 2};
    return true;
  }
  int32_t MelodyNumber(int32_t) override { return 0; }
  int32_t MelodyIndexByNumber(int32_t) override { return 0; }
  int32_t RhythmByKeys(int32_t, int32_t, int32_t) override { return 0; }
};

BenchContent g_content;

const std::filesystem::path& WorkFolder() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("sonavex_builder_bench_" + std::to_string(getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

int64_t SongBytes() {
  std::error_code ec;
  const auto size = std::filesystem::file_size(WorkFolder() / "body_mid.dat", ec);
  return ec ? 0 : static_cast<int64_t>(size);
}

void SetUpSong(int minutes) {
  UseSongContent(&g_content);
  SetHostDirectory(WorkFolder().string());
  const std::pair<ControlId, int32_t> values[] = {
      {kEditingMode, 0}, {kTimeBase, 3},    {kRhythm, 0},    {kMood, 0},
      {kUserMelody, 0},  {kLiveliness, 2},  {kIntro, 0},     {kEnding, 0},
      {kStartPhrase, 1}, {kTempoSlider, 3}, {kStartTime, 0}, {kEndTime, minutes * 60 * 30},
  };
  for (auto [id, v] : values) WriteValue(id, v, false);
}

void BM_PlanPlayTimeSong(benchmark::State& state) {
  SetUpSong(static_cast<int>(state.range(0)));
  PlayTimeRequest request;
  if (ReadPlayTimeRequest(&request) != 0) state.SkipWithError("no request");
  size_t phrases = 0;
  for (auto _ : state) {
    PlayTimeSong song;
    if (PlanPlayTimeSong(request, &song) != 0) state.SkipWithError("plan failed");
    phrases = song.phrases.size();
    benchmark::DoNotOptimize(song);
  }
  state.counters["phrases"] = static_cast<double>(phrases);
}
BENCHMARK(BM_PlanPlayTimeSong)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMicrosecond);

void BM_MakePlayTimeSong(benchmark::State& state) {
  SetUpSong(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (MakePlayTimeSong() != 0) state.SkipWithError("make failed");
  }
  state.counters["ticks"] = ReadValue(kSongLength);
  state.counters["body_bytes"] = static_cast<double>(SongBytes());
}
BENCHMARK(BM_MakePlayTimeSong)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMicrosecond);

// Reference: copying a phrase list as long as the song's.
void BM_ReferenceCopyPhraseList(benchmark::State& state) {
  SetUpSong(static_cast<int>(state.range(0)));
  PlayTimeRequest request;
  ReadPlayTimeRequest(&request);
  PlayTimeSong song;
  PlanPlayTimeSong(request, &song);
  for (auto _ : state) {
    std::vector<SongPhrase> copy = song.phrases;
    benchmark::DoNotOptimize(copy);
  }
}
BENCHMARK(BM_ReferenceCopyPhraseList)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMicrosecond);

// Reference: writing the rendered song's size in bytes to a file.
void BM_ReferenceWriteBytes(benchmark::State& state) {
  SetUpSong(static_cast<int>(state.range(0)));
  if (MakePlayTimeSong() != 0) state.SkipWithError("make failed");
  const std::string bytes(static_cast<size_t>(SongBytes()), '\x55');
  const std::string path = (WorkFolder() / "reference.dat").string();
  for (auto _ : state) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) state.SkipWithError("cannot write");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                          static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_ReferenceWriteBytes)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ignored;
  std::filesystem::remove_all(WorkFolder(), ignored);
  return 0;
}
