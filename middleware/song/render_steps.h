// The render's plan (the numbers every step shares) and its command tracks:
// clock, Start, section commands, part mutes, variations and fill-ins,
// fade-out and the melody cadence fade.
//
// Thread rules: host thread; uses the track buffers; allocates a little.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "song/render.h"

namespace qm3 {

struct SongPlan {
  double tempo_bpm = 120.0;
  uint32_t microseconds_per_quarter = 500000;
  uint8_t first_variation = 0;        // set-up: 1 with an intro, else the first phrase's
  int intro_measures = 0;             // I
  int ending_measures = 0;            // E
  int64_t body_measures = 0;          // Mb
  int64_t cycle_measures = 0;         // Q
  bool chord_cadence = false;         // the last body measure is the chord file's
  bool cadence_fade = false;          // the melody fades over the measure before
  int64_t cadence_start = 0;          // Cs, ticks from the song start
  int64_t cadence_end = 0;            // Ce
  std::vector<int64_t> starts;        // t(k), k = 0..count (the last: the song end)
  std::array<uint8_t, 16> volumes{};  // controller 7 per channel
  bool fade_out = false;
  int64_t fade_start = 0;  // Fs, ticks from the song start
  int64_t fade_end = 0;    // Fe
};

SongPlan PlanSong(const SongPhrase* phrases, int count, const RenderSettings& settings);

// Merges the command tracks into the song in buffer `song`; returns the
// buffer that holds the result.
int AddCommandTracks(const SongPlan& plan, const SongPhrase* phrases, int count,
                     const RenderSettings& settings, int song);

}  // namespace qm3
