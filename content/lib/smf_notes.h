// The first track of a Standard MIDI File as notes, controls and meta events
// for the content linter, read by the checked MIDI-bytes walker: malformed
// input gives an error text, never a read past the buffer.
// Plain functions; no locking, no threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace content {

struct ReadNote {
  uint32_t start = 0;
  uint32_t length = 0;
  int channel = 1;  // 1..16
  int key = 0;
  int velocity = 0;
};

struct ReadMeta {
  uint32_t tick = 0;
  uint8_t type = 0;
  std::string text;  // payload bytes
};

struct ReadControl {
  uint32_t tick = 0;
  int channel = 1;
  int kind = 0;  // 0xB0 controller, 0xC0 program change
  int number = 0;
  int value = 0;
};

struct ReadTrack {
  int division = 0;
  uint32_t end_tick = 0;  // tick of the end-of-track event
  std::vector<ReadNote> notes;
  std::vector<ReadMeta> metas;
  std::vector<ReadControl> controls;
  int unpaired_note_offs = 0;
  int notes_left_sounding = 0;
};

struct SmfReadResult {
  std::optional<ReadTrack> track;
  std::string error;
};

// Phrase and style files are a few kilobytes; a larger file is refused unread.
inline constexpr size_t kLargestContentFile = 4 << 20;

SmfReadResult ReadSmf(const std::vector<uint8_t>& bytes);
SmfReadResult ReadSmfFile(const std::string& path);

}  // namespace content
