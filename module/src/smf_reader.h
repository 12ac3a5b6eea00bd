// A checked reader for Standard MIDI Files (the style bank's format): every
// length is checked against what is left, variable-length numbers have at
// most 4 bytes, data bytes stay below 0x80, and all tracks are merged in
// time order with ticks scaled to 96 per quarter note.
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
