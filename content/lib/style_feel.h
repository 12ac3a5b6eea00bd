// Plays a built style section the way a band would: accents by beat and
// genre, softer intros, fill-ins that build up, fuller higher variations,
// cymbals under the drums, swing, parts ahead of or behind the beat and a
// small seeded humanisation. The same style and rhythm always give the same
// notes. Pure function; no locking, no threads.
#pragma once

#include "rhythm_source.h"
#include "style_builder.h"

namespace content {

void PlaySection(const StyleSource& style, const RhythmSpec& rhythm, BuiltSection& section);

// The text the style file carries so that checks know how far the groove
// moves notes: "groove=steps <grid steps> reach <ticks>".
std::string GrooveText(const StyleSource& style);

}  // namespace content
