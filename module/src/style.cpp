#include "style.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "smf_events.h"

namespace corvane {
namespace {

struct SectionName {
  std::string_view name;
  SectionKind kind;
  int index;
};

constexpr std::array<SectionName, 10> kSectionNames = {{
    {"Main 1", SectionKind::kMain, 0},
    {"Main 2", SectionKind::kMain, 1},
    {"Main 3", SectionKind::kMain, 2},
    {"Main 4", SectionKind::kMain, 3},
    {"Fill 1", SectionKind::kFill, 0},
    {"Fill 2", SectionKind::kFill, 1},
    {"Intro 1", SectionKind::kIntro, 0},
    {"Intro 2", SectionKind::kIntro, 1},
    {"Ending 1", SectionKind::kEnding, 0},
    {"Ending 2", SectionKind::kEnding, 1},
}};

struct Marker {
  uint32_t tick;
  size_t event_index;
  const SectionName* name;  // null: a marker that names no section
};

Section* Slot(Style& style, const SectionName& n) {
  switch (n.kind) {
    case SectionKind::kMain:
      return &style.mains[n.index];
    case SectionKind::kFill:
      return &style.fills[n.index];
    case SectionKind::kIntro:
      return &style.intros[n.index];
    case SectionKind::kEnding:
      return &style.endings[n.index];
  }
  return nullptr;
}

PartSetting DefaultPart(int part) {
  switch (part) {
    case 3:
      return {PartRule::kBass, 0, 127};
    case 4:
      return {PartRule::kFixed, 0, 127};
    default:
      return {PartRule::kChord, 0, 127};
  }
}

// "key=value" out of a space-separated text.
std::string_view Field(std::string_view text, std::string_view key) {
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find(' ', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view token = text.substr(pos, end - pos);
    if (token.size() > key.size() && token.substr(0, key.size()) == key &&
        token[key.size()] == '=') {
      return token.substr(key.size() + 1);
    }
    pos = end + 1;
  }
  return {};
}

std::optional<int> Number(std::string_view s) {
  if (s.empty() || s.size() > 3) return std::nullopt;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return std::nullopt;
    v = v * 10 + (c - '0');
  }
  return v;
}

void ApplyText(const std::string& text, Section& section) {
  std::string_view t(text);
  if (t.substr(0, 6) == "chord=") {
    const std::string_view rest = t.substr(6);
    const size_t space = rest.find(' ');
    if (space == std::string_view::npos) return;
    if (auto chord = ParseChord(rest.substr(0, space), rest.substr(space + 1))) {
      section.source = *chord;
    }
    return;
  }
  if (t.substr(0, 5) != "part=") return;
  const auto channel = Number(Field(t, "part"));
  const auto rule = ParsePartRule(Field(t, "rule"));
  const auto low = Number(Field(t, "low"));
  const auto high = Number(Field(t, "high"));
  if (!channel || *channel < 12 || *channel > 16 || !rule) return;
  PartSetting& part = section.parts[*channel - 12];
  part.rule = *channel == 16 ? PartRule::kFixed : *rule;  // drums never move
  if (low && high && *low <= *high && *high <= 127) {
    part.low = static_cast<uint8_t>(*low);
    part.high = static_cast<uint8_t>(*high);
  }
}

void FillSection(const SmfFile& file, size_t first, size_t last, uint32_t start, uint32_t length,
                 Section& section) {
  for (int p = 0; p < kPartCount; ++p) section.parts[p] = DefaultPart(p);
  struct Open {
    bool on = false;
    uint32_t tick = 0;
    uint8_t velocity = 0;
  };
  std::array<std::array<Open, 128>, kPartCount> open{};
  auto close = [&](int part, int key, uint32_t end) {
    Open& o = open[part][key];
    if (!o.on) return;
    o.on = false;
    const uint32_t length_ticks = std::max<uint32_t>(1, end - o.tick);
    section.notes.push_back(PatternNote{o.tick, length_ticks, static_cast<uint8_t>(part),
                                        static_cast<uint8_t>(key), o.velocity});
  };
  for (size_t i = first; i < last; ++i) {
    const SmfEvent& e = file.events[i];
    if (e.status == 0xFF) {
      if (e.data1 == 0x01 && e.tick == start) ApplyText(e.text, section);
      continue;
    }
    const int channel = e.status & 0x0F;
    if (channel < kFirstPartChannel) continue;
    const int part = channel - kFirstPartChannel;
    const uint32_t tick = std::min(e.tick - start, length);
    const uint8_t kind = e.status & 0xF0;
    if (kind == 0x90 && e.data2 > 0) {
      if (tick >= length) continue;
      close(part, e.data1, tick);
      open[part][e.data1] = {true, tick, e.data2};
    } else if (kind == 0x80 || kind == 0x90) {
      close(part, e.data1, tick);
    } else if ((kind == 0xC0 || kind == 0xB0) && tick < length) {
      section.controls.push_back(
          PatternControl{tick, static_cast<uint8_t>(part), kind, e.data1, e.data2});
    }
  }
  for (int p = 0; p < kPartCount; ++p) {
    for (int k = 0; k < 128; ++k) close(p, k, length);
  }
  std::stable_sort(section.notes.begin(), section.notes.end(),
                   [](const PatternNote& a, const PatternNote& b) { return a.tick < b.tick; });
  section.present = true;
  section.length = length;
}

}  // namespace

const Section* Style::Find(SectionKind kind, int number) const {
  if (number < 1) return nullptr;
  switch (kind) {
    case SectionKind::kMain: {
      for (int n = std::min(number, 4); n >= 1; --n) {
        if (mains[n - 1].present) return &mains[n - 1];
      }
      for (const auto& m : mains) {
        if (m.present) return &m;
      }
      return nullptr;
    }
    case SectionKind::kFill:
      if (number <= 2 && fills[number - 1].present) return &fills[number - 1];
      return Find(SectionKind::kMain, number);
    case SectionKind::kIntro:
    case SectionKind::kEnding: {
      const auto& set = kind == SectionKind::kIntro ? intros : endings;
      if (number <= 2 && set[number - 1].present) return &set[number - 1];
      return set[0].present ? &set[0] : nullptr;
    }
  }
  return nullptr;
}

std::optional<Style> ParseStyle(const uint8_t* data, size_t size) {
  auto file = ReadSmf(data, size);
  if (!file) return std::nullopt;
  Style style;
  std::vector<Marker> markers;
  for (size_t i = 0; i < file->events.size(); ++i) {
    const SmfEvent& e = file->events[i];
    if (e.status != 0xFF) continue;
    if (e.data1 == 0x58 && e.tick == 0 && e.text.size() >= 2 && e.text[0] >= 1 && e.text[0] <= 12 &&
        e.text[1] == 2) {
      style.beats_per_measure = e.text[0];
    } else if (e.data1 == 0x51 && e.tick == 0 && e.text.size() == 3) {
      const uint32_t us = uint32_t(uint8_t(e.text[0])) << 16 | uint32_t(uint8_t(e.text[1])) << 8 |
                          uint8_t(e.text[2]);
      if (us > 0) style.tempo_bpm = std::clamp<int>(int((60000000u + us / 2) / us), 20, 300);
    } else if (e.data1 == 0x06) {
      const SectionName* name = nullptr;
      for (const auto& n : kSectionNames) {
        if (e.text == n.name) name = &n;
      }
      markers.push_back(Marker{e.tick, i, name});
    }
  }
  const uint32_t measure = style.MeasureTicks();
  bool any = false;
  for (size_t m = 0; m < markers.size(); ++m) {
    if (markers[m].name == nullptr) continue;
    const uint32_t start = markers[m].tick;
    const bool last = m + 1 == markers.size();
    const uint32_t end = last ? file->end_tick : markers[m + 1].tick;
    uint32_t length = end > start ? end - start : 0;
    length = std::max<uint32_t>(measure, (length + measure - 1) / measure * measure);
    if (markers[m].name->kind == SectionKind::kFill) length = measure;
    // Events from this marker up to the next marker; note-offs that sit at
    // the next section's first tick but come before its marker belong here.
    const size_t first = markers[m].event_index;
    const size_t stop = last ? file->events.size() : markers[m + 1].event_index;
    Section* slot = Slot(style, *markers[m].name);
    *slot = Section{};
    FillSection(*file, first, stop, start, length, *slot);
    any = true;
  }
  if (!any) return std::nullopt;
  return style;
}

}  // namespace corvane
