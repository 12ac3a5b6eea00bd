#include "style_builder.h"

#include <algorithm>
#include <cstdio>

#include "style_feel.h"

namespace content {
namespace {

// Rows that make up one part of one section: a drum part has a row per
// instrument, a tuned part one row.
using Layer = std::vector<const PatternRow*>;

Layer MainLayer(const StyleSource& style, int level, StylePart part) {
  Layer layer;
  if (part == StylePart::kDrums) {
    std::map<int, const PatternRow*> by_key;
    for (const auto& [key, row] : style.rows) {
      if (key.kind == SectionKind::kMain && key.part == part && key.number <= level)
        by_key[key.drum_key] = &row;  // a later level replaces the instrument's row
    }
    for (const auto& [drum, row] : by_key)
      if (!row->notes.empty()) layer.push_back(row);
    return layer;
  }
  const PatternRow* best = nullptr;
  for (const auto& [key, row] : style.rows)
    if (key.kind == SectionKind::kMain && key.part == part && key.number <= level) best = &row;
  if (best != nullptr && !best->notes.empty()) layer.push_back(best);
  return layer;
}

Layer ExplicitLayer(const StyleSource& style, SectionKind kind, int number, StylePart part) {
  Layer layer;
  for (const auto& [key, row] : style.rows)
    if (key.kind == kind && key.number == number && key.part == part) layer.push_back(&row);
  return layer;
}

int LayerMeasures(const StyleSource& style, const Layer& layer) {
  int measures = 1;
  for (const PatternRow* row : layer) measures = std::max(measures, row->steps_total / style.steps);
  return measures;
}

// Plays the layer's rows from measure `first` for `count` measures of the
// section, each row looping over its own length.
void Emit(const StyleSource& style, const Layer& layer, StylePart part, int first, int count,
          std::vector<TimedNote>& out) {
  const uint32_t measure_ticks = static_cast<uint32_t>(style.beats * kTicksPerBeat);
  const uint32_t step_ticks = measure_ticks / static_cast<uint32_t>(style.steps);
  const uint32_t section_end = static_cast<uint32_t>(first + count) * measure_ticks;
  for (const PatternRow* row : layer) {
    const int row_measures = row->steps_total / style.steps;
    if (row_measures <= 0) continue;  // a row shorter than a measure plays nothing
    for (int m = 0; m < count; ++m) {
      const int source = m % row_measures;
      const int lo = source * style.steps;
      const int hi = lo + style.steps;
      for (const PatternNote& note : row->notes) {
        if (note.step < lo || note.step >= hi) continue;
        const uint32_t tick = static_cast<uint32_t>(first + m) * measure_ticks +
                              static_cast<uint32_t>(note.step - lo) * step_ticks;
        uint32_t length = static_cast<uint32_t>(note.steps) * step_ticks;
        if (part == StylePart::kDrums) {
          length = std::min<uint32_t>(step_ticks / 2, 24);
        } else {
          length = std::min(length, section_end - tick);
          length = std::max<uint32_t>(length - std::max<uint32_t>(length / 10, 4), 8);
        }
        for (int key : note.keys.empty() ? std::vector<int>{-1} : note.keys)
          out.push_back({tick, length, key, note.velocity});
      }
    }
  }
}

void EmitDrums(const StyleSource& style, SectionKind kind, int number, bool explicit_rows,
               int level, int first, int count, std::vector<TimedNote>& out) {
  // Drum rows know their instrument through the pattern key, so walk the keys.
  for (const auto& [key, row] : style.rows) {
    if (key.part != StylePart::kDrums) continue;
    bool take = false;
    if (explicit_rows) {
      take = key.kind == kind && key.number == number;
    } else if (key.kind == SectionKind::kMain && key.number <= level) {
      // The highest level at or below `level` wins for each instrument.
      take = true;
      for (const auto& [other, unused] : style.rows) {
        if (other.part == StylePart::kDrums && other.kind == SectionKind::kMain &&
            other.drum_key == key.drum_key && other.number > key.number && other.number <= level)
          take = false;
      }
    }
    if (!take) continue;
    std::vector<TimedNote> notes;
    Emit(style, Layer{&row}, StylePart::kDrums, first, count, notes);
    for (auto& n : notes) n.key = key.drum_key;
    out.insert(out.end(), notes.begin(), notes.end());
  }
}

bool HasExplicit(const StyleSource& style, SectionKind kind, int number, StylePart part) {
  return !ExplicitLayer(style, kind, number, part).empty();
}

// One measure of fill-in n for a part.
void EmitFill(const StyleSource& style, int number, StylePart part, int at,
              std::vector<TimedNote>& out) {
  const int main_level = number == 1 ? 2 : 4;
  if (part == StylePart::kDrums) {
    const bool has = HasExplicit(style, SectionKind::kFill, number, part);
    EmitDrums(style, SectionKind::kFill, number, has, main_level, at, 1, out);
    return;
  }
  Layer layer = ExplicitLayer(style, SectionKind::kFill, number, part);
  if (layer.empty()) layer = MainLayer(style, main_level, part);
  Emit(style, layer, part, at, 1, out);
}

void EmitFinal(const StyleSource& style, int number, StylePart part, int at,
               std::vector<TimedNote>& out) {
  if (HasExplicit(style, SectionKind::kFinal, number, part)) {
    if (part == StylePart::kDrums)
      EmitDrums(style, SectionKind::kFinal, number, true, 0, at, 1, out);
    else
      Emit(style, ExplicitLayer(style, SectionKind::kFinal, number, part), part, at, 1, out);
    return;
  }
  const uint32_t measure_ticks = static_cast<uint32_t>(style.beats * kTicksPerBeat);
  const uint32_t tick = static_cast<uint32_t>(at) * measure_ticks;
  if (part == StylePart::kDrums) {
    out.push_back({tick, 24, 36, 118});
    out.push_back({tick, 24, 49, 118});
    return;
  }
  // The part's opening chord or note from main 1, held for two beats.
  Layer layer = MainLayer(style, 1, part);
  if (layer.empty() || layer[0]->notes.empty()) return;
  for (int key : layer[0]->notes[0].keys) out.push_back({tick, 2 * 96 - 12, key, 100});
}

BuiltSection MainSection(const StyleSource& style, int level) {
  BuiltSection section{"Main " + std::to_string(level), 1, {}};
  for (StylePart part : kAllStyleParts)
    section.measures =
        std::max(section.measures, LayerMeasures(style, MainLayer(style, level, part)));
  for (StylePart part : kAllStyleParts) {
    if (!style.parts.count(part)) continue;
    auto& notes = section.notes[part];
    if (part == StylePart::kDrums)
      EmitDrums(style, SectionKind::kMain, level, false, level, 0, section.measures, notes);
    else
      Emit(style, MainLayer(style, level, part), part, 0, section.measures, notes);
  }
  return section;
}

BuiltSection FillSection(const StyleSource& style, int number) {
  BuiltSection section{"Fill " + std::to_string(number), 1, {}};
  for (StylePart part : kAllStyleParts)
    if (style.parts.count(part)) EmitFill(style, number, part, 0, section.notes[part]);
  return section;
}

BuiltSection IntroSection(const StyleSource& style, int number, int measures) {
  BuiltSection section{"Intro " + std::to_string(number), measures, {}};
  const int main_level = number == 1 ? 1 : 3;
  for (StylePart part : kAllStyleParts) {
    if (!style.parts.count(part)) continue;
    auto& notes = section.notes[part];
    if (measures > 1) {
      const bool has = HasExplicit(style, SectionKind::kIntro, number, part);
      if (part == StylePart::kDrums) {
        EmitDrums(style, SectionKind::kIntro, number, has, main_level, 0, measures - 1, notes);
      } else {
        Layer layer = has ? ExplicitLayer(style, SectionKind::kIntro, number, part)
                          : MainLayer(style, main_level, part);
        Emit(style, layer, part, 0, measures - 1, notes);
      }
    }
    EmitFill(style, number, part, measures - 1, notes);
  }
  return section;
}

BuiltSection EndingSection(const StyleSource& style, int number, int measures) {
  BuiltSection section{"Ending " + std::to_string(number), measures, {}};
  const int main_level = number == 1 ? 2 : 4;
  for (StylePart part : kAllStyleParts) {
    if (!style.parts.count(part)) continue;
    auto& notes = section.notes[part];
    if (measures > 1) {
      const bool has = HasExplicit(style, SectionKind::kEnding, number, part);
      if (part == StylePart::kDrums) {
        EmitDrums(style, SectionKind::kEnding, number, has, main_level, 0, measures - 1, notes);
      } else {
        Layer layer = has ? ExplicitLayer(style, SectionKind::kEnding, number, part)
                          : MainLayer(style, main_level, part);
        Emit(style, layer, part, 0, measures - 1, notes);
      }
    }
    EmitFinal(style, number, part, measures - 1, notes);
  }
  return section;
}

}  // namespace

std::vector<BuiltSection> BuildStyleSections(const StyleSource& style, const RhythmSpec& rhythm) {
  std::vector<BuiltSection> sections;
  for (int n = 1; n <= 2; ++n) sections.push_back(IntroSection(style, n, rhythm.intro[n - 1]));
  for (int n = 1; n <= 4; ++n) sections.push_back(MainSection(style, n));
  for (int n = 1; n <= 2; ++n) sections.push_back(FillSection(style, n));
  for (int n = 1; n <= 2; ++n) sections.push_back(EndingSection(style, n, rhythm.ending[n - 1]));
  for (BuiltSection& section : sections) PlaySection(style, rhythm, section);
  return sections;
}

TrackBuilder StyleTrack(const StyleSource& style, const RhythmSpec& rhythm,
                        const std::vector<BuiltSection>& sections) {
  TrackBuilder track;
  track.TimeSignature(0, style.beats, 4);
  track.Tempo(0, rhythm.tempo);
  track.Text(0, 0x01, GrooveText(style));
  const uint32_t measure_ticks = static_cast<uint32_t>(style.beats * kTicksPerBeat);
  uint32_t start = 0;
  for (const BuiltSection& section : sections) {
    track.Text(start, 0x06, section.name);
    track.Text(start, 0x01,
               std::string("chord=") + PitchClassName(style.chord.root) + " " +
                   ChordTypeName(style.chord.type));
    for (const auto& [part, notes] : section.notes) {
      if (notes.empty()) continue;
      const PartSetup& setup = style.parts.at(part);
      const int channel = ChannelOf(part);
      track.Text(start, 0x01,
                 "part=" + std::to_string(channel) + " rule=" + setup.rule +
                     " low=" + std::to_string(setup.low) + " high=" + std::to_string(setup.high));
      auto program = rhythm.programs.find(part);
      track.Program(start, channel,
                    program != rhythm.programs.end() ? program->second : setup.program);
      track.Control(start, channel, 7, setup.volume);
      track.Control(start, channel, 10, setup.pan);
      for (const TimedNote& note : notes)
        track.Note(start + note.tick, note.length, channel, note.key, note.velocity);
    }
    start += static_cast<uint32_t>(section.measures) * measure_ticks;
  }
  track.EndAt(start);
  return track;
}

std::string StyleFileName(int key_b, int key_c) {
  char name[32];
  std::snprintf(name, sizeof name, "style_%03d_%03d.mid", key_b, key_c);
  return name;
}

}  // namespace content
