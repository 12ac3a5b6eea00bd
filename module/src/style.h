// A style of the style bank: per section the pattern of the five parts
// (accompaniment 1-3, bass, drums on channels 12-16), the chord it was
// written over and each part's transposition rule and range.
//
// Thread rules: built once when the bank loads, then read-only.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "chord.h"

namespace corvane {

inline constexpr int kPartCount = 5;
inline constexpr uint8_t kFirstPartChannel = 11;  // 0-based: channels 12..16

enum class SectionKind { kMain, kFill, kIntro, kEnding };

struct PatternNote {
  uint32_t tick = 0;  // from the section's start
  uint32_t length = 0;
  uint8_t part = 0;  // 0..4
  uint8_t key = 0;
  uint8_t velocity = 0;
};

// Program change or controller at a tick of the section.
struct PatternControl {
  uint32_t tick = 0;
  uint8_t part = 0;
  uint8_t kind = 0;  // 0xB0 controller, 0xC0 program change
  uint8_t data1 = 0;
  uint8_t data2 = 0;
};

struct PartSetting {
  PartRule rule = PartRule::kFixed;
  uint8_t low = 0;
  uint8_t high = 127;
};

struct Section {
  bool present = false;
  uint32_t length = 0;  // ticks, whole measures
  Chord source;
  std::array<PartSetting, kPartCount> parts{};
  std::vector<PatternNote> notes;  // by tick
  std::vector<PatternControl> controls;
};

struct Style {
  int beats_per_measure = 4;
  int tempo_bpm = 120;
  std::array<Section, 4> mains{};
  std::array<Section, 2> fills{};
  std::array<Section, 2> intros{};
  std::array<Section, 2> endings{};

  uint32_t MeasureTicks() const { return static_cast<uint32_t>(beats_per_measure) * 96; }
  // The section to play for a request, after the bank's fallbacks (fill n to
  // main n, intro or ending 2 to 1); nothing when there is none.
  const Section* Find(SectionKind kind, int number) const;
};

// Nothing when the file is not a style (no readable file or no section).
std::optional<Style> ParseStyle(const uint8_t* data, size_t size);

}  // namespace corvane
