// Builds single-track Standard MIDI Files (format 0, division 96) in memory
// for the content generator. Plain value types; no locking, no threads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace content {

inline constexpr int kTicksPerBeat = 96;

// One event of a track at an absolute tick. Channel events carry their status
// and data bytes; meta events carry the meta type and payload.
struct TrackEvent {
  uint32_t tick = 0;
  uint8_t status = 0;  // 0x80..0xEF channel message, 0xFF meta
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  uint8_t meta_type = 0;
  std::vector<uint8_t> payload;
};

class TrackBuilder {
 public:
  // channel is 1-based (1..16) as musicians count it.
  void Note(uint32_t tick, uint32_t length, int channel, int key, int velocity);
  void Control(uint32_t tick, int channel, int controller, int value);
  void Program(uint32_t tick, int channel, int program);
  void Tempo(uint32_t tick, double bpm);
  void TimeSignature(uint32_t tick, int beats, int denominator);
  void Text(uint32_t tick, uint8_t meta_type, const std::string& text);
  // Sets the tick of the end-of-track event (never earlier than the last event).
  void EndAt(uint32_t tick) { end_tick_ = tick; }

  const std::vector<TrackEvent>& events() const { return events_; }
  // Serialises the track: events ordered by tick, note-offs before other
  // events of the same tick, otherwise in insertion order.
  std::vector<uint8_t> ToSmf() const;

 private:
  std::vector<TrackEvent> events_;
  uint32_t end_tick_ = 0;
};

}  // namespace content
