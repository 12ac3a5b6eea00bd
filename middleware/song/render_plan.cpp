// The numbers of a render, taken once at its start.
#include <cmath>

#include "song/phrase_list.h"
#include "song/phrase_source.h"
#include "song/render_steps.h"

namespace qm3 {

namespace {

constexpr int kTicksPerBeat = 96;

// Time-to-tick conversion of a song (no tempo map), rounded.
int64_t FramesToSongTicks(double frames, const RenderSettings& s) {
  const double fps = s.frames_per_second > 0 ? s.frames_per_second : 30.0;
  return static_cast<int64_t>(s.tempo * 0.0001 * frames * kTicksPerBeat / fps / 60.0 + 0.5);
}

}  // namespace

SongPlan PlanSong(const SongPhrase* phrases, int count, const RenderSettings& s) {
  SongPlan plan;
  const int beats = s.beats >= 1 ? s.beats : 4;
  // A tempo of zero or less would divide by zero: 120 BPM stands in.
  plan.tempo_bpm = s.tempo > 0 ? s.tempo * 0.0001 : 120.0;
  plan.microseconds_per_quarter =
      static_cast<uint32_t>(std::floor(60000000.0 / plan.tempo_bpm + 0.5));
  plan.intro_measures = s.intro >= 0 && s.intro < 4 ? s.intro_measures : 0;
  plan.ending_measures = s.ending >= 0 && s.ending < 4 ? s.ending_measures : 0;

  int64_t beats_so_far = 0;
  plan.starts.reserve(static_cast<size_t>(count) + 1);
  for (int k = 0; k < count; ++k) {
    plan.starts.push_back(kSongStartTick + kTicksPerBeat * beats_so_far);
    beats_so_far += phrases[k].length;
    if (phrases[k].kind == kPhraseBody) plan.body_measures += phrases[k].length / beats;
  }
  plan.starts.push_back(kSongStartTick + kTicksPerBeat * beats_so_far);

  if (plan.intro_measures > 0) {
    plan.first_variation = 1;
  } else if (count > 0) {
    plan.first_variation = static_cast<uint8_t>(phrases[0].variation);
  }

  plan.cycle_measures = CycleMeasures(s.melody_phrases);
  const int64_t r = plan.cycle_measures > 0 ? plan.body_measures % plan.cycle_measures : 0;
  plan.chord_cadence = !s.real_time_song && r >= 2;
  if (plan.chord_cadence && r >= 3) {
    plan.cadence_fade = true;
    const int64_t measure = int64_t{beats} * kTicksPerBeat;
    plan.cadence_start = (plan.body_measures - 2 + plan.intro_measures) * measure;
    plan.cadence_end = (plan.body_measures - 1 + plan.intro_measures) * measure;
  }

  // Volume table: channel 1 120, 2..14 113, 15 and 16 118; then the rhythm's
  // part volumes on channels 1, 16, 15, 12, 13, 14.
  plan.volumes.fill(113);
  plan.volumes[0] = 120;
  plan.volumes[14] = plan.volumes[15] = 118;
  const int part_channels[6] = {0, 15, 14, 11, 12, 13};
  for (int i = 0; i < 6; ++i) plan.volumes[part_channels[i]] = s.part_volumes[i] & 0x7F;

  if (s.fade_out) {
    plan.fade_out = true;
    const int32_t frames =
        static_cast<int32_t>(std::floor(s.frames_per_second * s.fade_seconds + 0.5));
    int64_t fade_start = int64_t{s.end_time} - frames;
    if (fade_start < s.start_time) fade_start = s.start_time;
    plan.fade_start = FramesToSongTicks(static_cast<double>(fade_start - s.start_time), s);
    plan.fade_end = FramesToSongTicks(static_cast<double>(int64_t{s.end_time} - s.start_time), s);
    if (plan.fade_end < plan.fade_start) plan.fade_end = plan.fade_start;
  }
  return plan;
}

}  // namespace qm3
