#include "song/render_events.h"

#include <algorithm>

#include "midibytes/number.h"
#include "midibytes/status.h"
#include "song/track_buffer.h"

namespace qm3 {

void RenderEvents::Add(int64_t time, const uint8_t* bytes, int length) {
  items_.push_back({time, static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(length)});
  bytes_.insert(bytes_.end(), bytes, bytes + length);
}

void RenderEvents::Channel(int64_t time, uint8_t status, uint8_t data1, uint8_t data2) {
  const uint8_t event[3] = {status, static_cast<uint8_t>(data1 & 0x7F),
                            static_cast<uint8_t>(data2 & 0x7F)};
  Add(time, event, midibytes::MessageLength(status));
}

void RenderEvents::Program(int64_t time, int channel, uint8_t program) {
  Channel(time, static_cast<uint8_t>(0xC0 | (channel & 0x0F)), program, 0);
}

void RenderEvents::Controller(int64_t time, int channel, uint8_t number, uint8_t value) {
  Channel(time, static_cast<uint8_t>(0xB0 | (channel & 0x0F)), number, value);
}

void RenderEvents::SystemExclusive(int64_t time, const uint8_t* message, int length) {
  if (length < 2 || message[0] != 0xF0) return;
  uint8_t event[4 + 1 + 64];
  if (length - 1 > 64) return;
  event[0] = 0xF0;
  const int n = midibytes::EncodeNumber(length - 1, event + 1);
  std::copy(message + 1, message + length, event + 1 + n);
  Add(time, event, 1 + n + length - 1);
}

void RenderEvents::RealTime(int64_t time, uint8_t byte) {
  const uint8_t event[3] = {0xF7, 0x01, byte};
  Add(time, event, 3);
}

void RenderEvents::Tempo(int64_t time, uint32_t microseconds_per_quarter) {
  const uint8_t event[6] = {0xFF,
                            0x51,
                            0x03,
                            static_cast<uint8_t>(microseconds_per_quarter >> 16),
                            static_cast<uint8_t>(microseconds_per_quarter >> 8),
                            static_cast<uint8_t>(microseconds_per_quarter)};
  Add(time, event, 6);
}

void RenderEvents::WriteTrack(int64_t end) const {
  std::vector<Item> sorted = items_;
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const Item& a, const Item& b) { return a.time < b.time; });
  NewTrack();
  int64_t last = 0;
  for (const Item& item : sorted) {
    const int64_t time = item.time < 0 ? 0 : item.time;
    PutDelta(time - last);
    if (time > last) last = time;
    PutBytes(bytes_.data() + item.offset, static_cast<int32_t>(item.length));
  }
  PutDelta(end - last);
  PutEndOfTrack();
  FinishTrack();
}

}  // namespace qm3
