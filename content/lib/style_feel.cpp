#include "style_feel.h"

#include <algorithm>
#include <cstdlib>

#include "humanise.h"

namespace content {
namespace {

bool IsCymbal(int drum_key) {
  switch (drum_key) {
    case 42:  // closed hat
    case 44:  // pedal hat
    case 51:  // ride
    case 53:  // ride bell
    case 54:  // tambourine
    case 59:  // ride 2
    case 69:  // cabasa
    case 70:  // maracas
    case 80:  // mute triangle
    case 81:  // triangle
      return true;
    default:
      return false;
  }
}

// Velocity added for where a note falls in the measure.
int MetricAccent(const GrooveFeel& feel, uint32_t in_measure) {
  const auto beat = static_cast<size_t>(in_measure / kTicksPerBeat);
  const uint32_t in_beat = in_measure % kTicksPerBeat;
  if (in_beat == 0) return beat < feel.accents.size() ? feel.accents[beat] : 0;
  // The eighth off-beat, straight or on the triplet grid.
  if (in_beat == 48 || in_beat == 64) return feel.offbeat;
  return feel.between;
}

enum class Role { kMain, kIntro, kFill, kEnding };

struct SectionShape {
  Role role = Role::kMain;
  int number = 1;
};

SectionShape ShapeOf(const std::string& name) {
  SectionShape shape;
  if (name.rfind("Intro", 0) == 0)
    shape.role = Role::kIntro;
  else if (name.rfind("Fill", 0) == 0)
    shape.role = Role::kFill;
  else if (name.rfind("Ending", 0) == 0)
    shape.role = Role::kEnding;
  shape.number = name.back() - '0';
  return shape;
}

// Velocity added for the section's place in the song: intros start softly,
// higher main variations play fuller, fill-ins and the lead-in into the song
// build up over their measure, endings play out.
int SectionLevel(const SectionShape& shape, int measure, int measures, uint32_t in_measure,
                 uint32_t measure_ticks) {
  const bool last = measure + 1 == measures;
  const int build = -8 + static_cast<int>(18 * in_measure / measure_ticks);
  switch (shape.role) {
    case Role::kMain:
      return 3 * shape.number - 7;
    case Role::kIntro:
      return last ? build : -10 + 4 * measure;
    case Role::kFill:
      return build;
    case Role::kEnding:
      return last ? 0 : 4;
  }
  return 0;
}

}  // namespace

void PlaySection(const StyleSource& style, const RhythmSpec& rhythm, BuiltSection& section) {
  const GrooveFeel& feel = style.feel;
  const auto measure_ticks = static_cast<uint32_t>(style.beats * kTicksPerBeat);
  const uint32_t step_ticks = measure_ticks / static_cast<uint32_t>(style.steps);
  const bool even_grid = (style.steps / style.beats) % 2 == 0;
  const uint32_t section_end = static_cast<uint32_t>(section.measures) * measure_ticks;
  const SectionShape shape = ShapeOf(section.name);
  const uint64_t seed = Mix(Mix(SeedOf(style.dark ? style.name + "/dark" : style.name),
                                static_cast<uint64_t>(rhythm.key_b * 1000 + rhythm.key_c)),
                            SeedOf(section.name));
  for (auto& [part, notes] : section.notes) {
    const bool drums = part == StylePart::kDrums;
    const auto push = feel.push.count(part) ? feel.push.at(part) : 0;
    const uint64_t part_seed = Mix(seed, static_cast<uint64_t>(part));
    for (TimedNote& note : notes) {
      const uint32_t in_measure = note.tick % measure_ticks;
      const int measure = static_cast<int>(note.tick / measure_ticks);
      // Drum instruments drift apart a little; the keys of a chord move together.
      const uint64_t hit_seed = Mix(part_seed, note.tick * 128u + (drums ? note.key : 0u));
      const uint64_t key_seed = Mix(hit_seed, static_cast<uint64_t>(note.key) + 1000u);

      const bool ghost = drums && note.velocity < 64;
      int velocity = note.velocity;
      int accent = ghost ? 0 : MetricAccent(feel, in_measure);
      if (!drums) accent /= 2;
      velocity +=
          accent + SectionLevel(shape, measure, section.measures, in_measure, measure_ticks);
      if (drums && IsCymbal(note.key)) velocity -= 10;
      velocity += feel.level + Jitter(key_seed, feel.humanise_velocity);
      // Loud hits bunch up below the top instead of all clipping at 127.
      if (velocity > 110) velocity = 110 + (velocity - 110) / 2;
      note.velocity = std::clamp(velocity, ghost ? 20 : 36, ghost ? 72 : 127);

      int offset = push + Jitter(hit_seed >> 7, feel.humanise_ticks);
      if (even_grid && (note.tick / step_ticks) % 2 == 1) offset += feel.swing;
      // A section starts with everyone together on its first beat.
      if (note.tick == 0) offset = 0;
      const uint32_t end = std::min(note.tick + note.length, section_end);
      const int moved = std::max(0, static_cast<int>(note.tick) + offset);
      note.tick = std::min(static_cast<uint32_t>(moved), section_end - 4);
      if (note.tick + note.length > section_end) note.length = section_end - note.tick;
      if (!drums && offset > 0 && end > note.tick)
        note.length = std::min(note.length, std::max<uint32_t>(end - note.tick, 4));
    }
  }
}

std::string GrooveText(const StyleSource& style) {
  return "groove=steps " + std::to_string(style.steps) + " reach " +
         std::to_string(style.feel.Reach());
}

}  // namespace content
