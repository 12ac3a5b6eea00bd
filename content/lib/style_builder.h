// Builds a rhythm's style for the sound module from its style source: main
// variations 1-4, fill-ins 1-2, intros 1-2 and endings 1-2 of the rhythm's
// lengths, written as one Standard MIDI File with a marker per section.
// Deterministic; no locking, no threads.
#pragma once

#include <string>
#include <vector>

#include "rhythm_source.h"
#include "smf_writer.h"
#include "style_source.h"

namespace content {

struct TimedNote {
  uint32_t tick = 0;  // from the section's start
  uint32_t length = 0;
  int key = 0;
  int velocity = 0;
};

struct BuiltSection {
  std::string name;  // "Main 1", "Fill 2", "Intro 1", "Ending 2", ...
  int measures = 1;
  std::map<StylePart, std::vector<TimedNote>> notes;
};

std::vector<BuiltSection> BuildStyleSections(const StyleSource& style, const RhythmSpec& rhythm);
TrackBuilder StyleTrack(const StyleSource& style, const RhythmSpec& rhythm,
                        const std::vector<BuiltSection>& sections);
std::string StyleFileName(int key_b, int key_c);  // "style_004_016.mid"

}  // namespace content
