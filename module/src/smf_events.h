// The events of a Standard MIDI File (the style bank's format) as one list:
// all tracks merged in time order by the checked MIDI-bytes reader, ticks
// scaled to 96 per quarter note, system exclusive left out.
//
// Thread rules: pure function; allocates the event list.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace corvane {

inline constexpr uint32_t kTicksPerQuarter = 96;

struct SmfEvent {
  uint32_t tick = 0;
  uint8_t status = 0;  // 0x80..0xEF channel message, 0xFF meta
  uint8_t data1 = 0;   // meta: type
  uint8_t data2 = 0;
  std::string text;  // meta payload
};

struct SmfFile {
  std::vector<SmfEvent> events;  // time order; file order at equal ticks
  uint32_t end_tick = 0;         // the latest end of track
};

// Nothing when the bytes are not a usable file (no header, SMPTE division,
// no track). Broken tracks end where they break.
std::optional<SmfFile> ReadSmf(const uint8_t* data, size_t size);

}  // namespace corvane
