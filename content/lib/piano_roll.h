// Piano-roll pictures of phrase files and style files, for looking at the
// generated music. Pure functions over a read track; no locking, no threads.
#pragma once

#include <string>

#include "png_writer.h"
#include "smf_notes.h"

namespace content {

// The longest track drawn: 999 measures of 4/4, as long as any song.
inline constexpr uint32_t kLongestRollTicks = 999 * 4 * 96;

// Why `track` cannot be drawn (too long, no beats to the measure), or "".
// Both rolls below need it to be "".
std::string RollProblem(const ReadTrack& track, int beats);

// Melody (channel 1) above its chords (channel 11), louder notes in fuller
// colour, and a lane with the melody's velocities.
RgbImage MelodyRoll(const ReadTrack& track, int beats);
// Tuned parts (channels 12-15) by pitch above a drum lane (channel 16) and
// two velocity lanes (tuned parts, drums); louder notes in fuller colour;
// section markers as dark lines.
RgbImage StyleRoll(const ReadTrack& track, int beats);

}  // namespace content
