// The song render: turns the phrase list and the song values into the work
// files "pre_mid.dat", "I_mid.dat", "P_mid.dat", "E_mid.dat" and the finished
// song "body_mid.dat" (single-track Standard MIDI Files) that playback,
// export and capture use.
//
// Thread rules: host thread only (or with the middleware lock held); uses the
// three track buffers, so it never overlaps a conversion or a real-time run.
// Does file I/O; allocates a little per render, nothing per event of the
// material.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/result.h"

namespace qm3 {

struct SongPhrase;

// The song proper starts after one count-in measure of 4 beats.
constexpr int32_t kSongStartTick = 384;

inline constexpr char kPreWorkFile[] = "pre_mid.dat";
inline constexpr char kIntroWorkFile[] = "I_mid.dat";
inline constexpr char kBodyWorkFile[] = "P_mid.dat";
inline constexpr char kEndingWorkFile[] = "E_mid.dat";
inline constexpr char kSongWorkFile[] = "body_mid.dat";

// Everything the render reads besides the phrase list, gathered once.
struct RenderSettings {
  std::string source_dir;  // phrase and fixed source files, with a trailing '/'
  std::string work_dir;    // where the work files go, with a trailing '/'

  int beats = 4;            // beats per measure of the song
  int32_t tempo = 1200000;  // 0x0409, 1/10000 beats per minute
  int32_t song_length = 0;  // 0x0403, ticks
  bool real_time_song = false;

  // Rhythm.
  int intro = 4;   // 0..3 intro 1..4, 4 none
  int ending = 4;  // 0..3 ending 1..4, 4 none
  int intro_measures = 0;
  int ending_measures = 0;
  uint8_t key_b = 0;  // the rhythm selection's two values
  uint8_t key_c = 0;
  uint8_t melody_program = 0;
  uint8_t melody_bank = 0;
  // Part volumes: melody, drums, bass, accompaniment 1, 2, 3.
  std::array<uint8_t, 6> part_volumes{120, 118, 118, 113, 113, 113};

  // Melody.
  int mood = 0;             // 0 bright, 1 dark
  std::string melody_file;  // name inside source_dir
  int melody_beats = 4;
  std::vector<int> melody_phrases;  // lengths in measures, current mood
  int start_phrase = 0;

  // Fade-out, in frames of the time base; ticks come from the tempo.
  bool fade_out = false;
  double fade_seconds = 0;
  int32_t start_time = 0;
  int32_t end_time = 0;
  double frames_per_second = 30.0;
};

// The settings from the value table, the catalogs and the directories.
RenderSettings CurrentRenderSettings();

// Renders `count` phrases with `settings`. Returns kRcOk, or kRcDiskFull when
// a work file cannot be written (the render stops there; files already written stay).
// A source file the song needs that cannot be read gives silence in its
// place; its path is added to `skipped` (when given).
Rc RenderSong(const SongPhrase* phrases, int count, const RenderSettings& settings,
              std::vector<std::string>* skipped = nullptr);

// Renders the process's phrase list with the current settings.
Rc RenderCurrentSong(std::vector<std::string>* skipped = nullptr);

}  // namespace qm3
