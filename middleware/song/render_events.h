// A small list of timed events for the render's command tracks, written out
// as one track in time order (events of one tick in the order they were
// added).
//
// Thread rules: host thread; allocates while events are added.
#pragma once
#include <cstdint>
#include <vector>

#include "midi/module_messages.h"

namespace qm3 {

class RenderEvents {
 public:
  void Channel(int64_t time, uint8_t status, uint8_t data1, uint8_t data2);
  void Program(int64_t time, int channel, uint8_t program);
  void Controller(int64_t time, int channel, uint8_t number, uint8_t value);
  // A whole system-exclusive message, F0 ... F7.
  void SystemExclusive(int64_t time, const uint8_t* message, int length);
  // A parameter message of the sound module.
  void Module(int64_t time, const midi::ParameterMessage& message) {
    SystemExclusive(time, message.bytes.data(), static_cast<int>(message.size));
  }
  // A one-byte real-time message stored as F7 01 `byte`.
  void RealTime(int64_t time, uint8_t byte);
  void Tempo(int64_t time, uint32_t microseconds_per_quarter);

  // New track in the current buffer with the events, the end of track at
  // `end` (or at the last event when that is later), finished.
  void WriteTrack(int64_t end) const;

 private:
  struct Item {
    int64_t time;
    uint32_t offset;
    uint32_t length;
  };
  void Add(int64_t time, const uint8_t* bytes, int length);

  std::vector<Item> items_;
  std::vector<uint8_t> bytes_;
};

}  // namespace qm3
