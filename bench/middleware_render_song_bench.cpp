// The song render for songs of 1, 10 and 60 minutes at 120 BPM (4/4), with
// generated sources: a melody with a note on every beat and chords on every
// measure. Reports the bytes written; reading the sources back is the
// reference.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "song/phrase_list.h"
#include "song/render.h"
#include "song/track_buffer.h"

namespace {

using namespace qm3;

std::filesystem::path Folder() {
  static const std::filesystem::path dir = [] {
    auto d =
        std::filesystem::temp_directory_path() / ("render_bench_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

void WriteSource(const char* name, int measures) {
  SelectTrackBuffer(0);
  NewTrack();
  for (int beat = 0; beat < measures * 4; ++beat) {
    PutDelta(beat == 0 ? 0 : 48);
    PutPacked(0x90 | ((60u + beat % 12) << 8) | (100u << 16), 3);
    if (beat % 4 == 0) {
      PutDelta(0);
      PutPacked(0x9A | (48u << 8) | (90u << 16), 3);
    }
    PutDelta(48);
    PutPacked(0x80 | ((60u + beat % 12) << 8), 3);
    if (beat % 4 == 3) {
      PutDelta(0);
      PutPacked(0x8A | (48u << 8), 3);
    }
  }
  PutDelta(0);
  PutEndOfTrack();
  FinishTrack();
  SaveTrack((Folder() / name).string());
}

RenderSettings Settings() {
  static bool written = false;
  if (!written) {
    for (const char* name :
         {"I_src_mid.dat", "I_src_f_mid.dat", "E_src_mid.dat", "chord_mid.dat", "chord2_mid.dat"}) {
      WriteSource(name, 1);
    }
    WriteSource("p_00000001.dat", 16);
    written = true;
  }
  RenderSettings s;
  s.source_dir = s.work_dir = Folder().string() + "/";
  s.tempo = 1200000;
  s.intro = 0;
  s.intro_measures = 2;
  s.ending = 0;
  s.ending_measures = 2;
  s.melody_file = "p_00000001.dat";
  s.melody_phrases = {4, 4, 4, 4};
  return s;
}

std::vector<SongPhrase> Phrases(int measures) {
  std::vector<SongPhrase> phrases;
  SongPhrase intro;
  intro.kind = kPhraseIntro;
  intro.length = 8;
  phrases.push_back(intro);
  for (int i = 0; measures > 0; ++i) {
    SongPhrase p;
    p.kind = kPhraseBody;
    p.length = 4 * (measures < 4 ? measures : 4);
    p.variation = static_cast<int8_t>(i % 2 + 1);
    p.fill_in = static_cast<int8_t>(i % 2);
    p.parts = i % 3 == 2 ? kAllButMelody : kAllParts;
    phrases.push_back(p);
    measures -= 4;
  }
  SongPhrase ending;
  ending.kind = kPhraseEnding;
  ending.length = 8;
  phrases.push_back(ending);
  return phrases;
}

void BM_RenderSong(benchmark::State& state) {
  const int minutes = static_cast<int>(state.range(0));
  RenderSettings s = Settings();
  const int measures = minutes * 30 - 4;  // 120 BPM: 30 measures a minute
  const std::vector<SongPhrase> phrases = Phrases(measures);
  s.song_length = (measures + 4) * 4 * 96;
  s.fade_out = true;
  s.fade_seconds = 3;
  s.end_time = minutes * 60 * 30;
  for (auto _ : state) {
    if (RenderSong(phrases.data(), static_cast<int>(phrases.size()), s) != 0) {
      state.SkipWithError("render failed");
      break;
    }
  }
  int64_t bytes = 0;
  for (const char* name :
       {kPreWorkFile, kIntroWorkFile, kBodyWorkFile, kEndingWorkFile, kSongWorkFile}) {
    bytes += static_cast<int64_t>(std::filesystem::file_size(Folder() / name));
  }
  state.counters["bytes_written"] = static_cast<double>(bytes);
  state.counters["song_bytes"] =
      static_cast<double>(std::filesystem::file_size(Folder() / kSongWorkFile));
}

void BM_LoadSongReference(benchmark::State& state) {
  RenderSettings s = Settings();
  const std::vector<SongPhrase> phrases = Phrases(60 * 30 - 4);
  s.song_length = 60 * 30 * 4 * 96;
  RenderSong(phrases.data(), static_cast<int>(phrases.size()), s);
  SelectTrackBuffer(0);
  for (auto _ : state) LoadTrack((Folder() / kSongWorkFile).string());
}

BENCHMARK(BM_RenderSong)->Arg(1)->Arg(10)->Arg(60)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSongReference)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(Folder());
  return 0;
}
