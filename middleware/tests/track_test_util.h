// Test helpers: build a track from (time, bytes) events and read one back.
#pragma once
#include <cstdint>
#include <ostream>
#include <vector>

#include "midibytes/track_walker.h"
#include "song/track_buffer.h"

namespace qm3::testing {

// One event: its absolute time and its bytes with the status resolved; for
// meta events FF, type, payload; for system exclusive the status and payload.
struct Ev {
  int64_t time = 0;
  std::vector<uint8_t> bytes;
  bool operator==(const Ev&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Ev& e) {
  os << "{" << e.time << ":";
  for (uint8_t b : e.bytes) os << " " << std::hex << int(b) << std::dec;
  return os << "}";
}

// Writes a finished track with these events (in the given order) and an end
// of track at `end`, into buffer `number`; the current buffer stays.
inline void BuildTrack(int number, const std::vector<Ev>& events, int64_t end) {
  const int keep = CurrentTrackBuffer();
  SelectTrackBuffer(number);
  NewTrack();
  int64_t last = 0;
  for (const Ev& e : events) {
    PutDelta(e.time - last);
    last = e.time;
    const uint8_t status = e.bytes[0];
    if (status == 0xFF) {
      PutByte(0xFF);
      PutByte(e.bytes[1]);
      PutDelta(static_cast<int64_t>(e.bytes.size()) - 2);
      PutBytes(e.bytes.data() + 2, static_cast<int32_t>(e.bytes.size()) - 2);
    } else if (status == 0xF0 || status == 0xF7) {
      PutByte(status);
      PutDelta(static_cast<int64_t>(e.bytes.size()) - 1);
      PutBytes(e.bytes.data() + 1, static_cast<int32_t>(e.bytes.size()) - 1);
    } else {
      PutBytes(e.bytes.data(), static_cast<int32_t>(e.bytes.size()));
    }
  }
  PutDelta(end - last);
  PutEndOfTrack();
  FinishTrack();
  SelectTrackBuffer(keep);
}

// The events of buffer `number`; the end of track is the last entry when
// `with_end` (FF 2F) and `end` receives its time.
inline std::vector<Ev> ReadTrack(int number, int64_t* end = nullptr, bool with_end = false) {
  const TrackBuffer& b = TrackBufferAt(number);
  midibytes::TrackWalker reader(b.bytes, b.size);
  std::vector<Ev> out;
  midibytes::SmfEvent e;
  midibytes::SmfStep step;
  while ((step = reader.Next(&e)) == midibytes::SmfStep::kEvent ||
         (with_end && step == midibytes::SmfStep::kEnd)) {
    Ev ev{e.time, {e.status}};
    if (e.status == 0xFF) ev.bytes.push_back(e.type);
    ev.bytes.insert(ev.bytes.end(), b.bytes + e.data, b.bytes + e.data + e.length);
    out.push_back(ev);
    if (step == midibytes::SmfStep::kEnd) break;
  }
  if (end)
    *end = (step == midibytes::SmfStep::kEnd || step == midibytes::SmfStep::kEvent) ? e.time : -1;
  return out;
}

// Whether buffer `number` holds a well-formed single track: it reads to an
// end of track that is its last byte, and the length field matches.
inline bool WellFormed(int number) {
  const TrackBuffer& b = TrackBufferAt(number);
  midibytes::TrackWalker reader(b.bytes, b.size);
  if (!reader.Valid()) return false;
  midibytes::SmfEvent e;
  midibytes::SmfStep step;
  while ((step = reader.Next(&e)) == midibytes::SmfStep::kEvent) {
  }
  if (step != midibytes::SmfStep::kEnd || e.end != b.size) return false;
  const int32_t first = midibytes::FirstTrackEvent(b.bytes, b.size);
  const uint32_t length = (uint32_t{b.bytes[first - 4]} << 24) |
                          (uint32_t{b.bytes[first - 3]} << 16) |
                          (uint32_t{b.bytes[first - 2]} << 8) | b.bytes[first - 1];
  return length == static_cast<uint32_t>(b.size - first);
}

inline Ev On(int64_t t, int ch, int note, int vel = 100) {
  return {t,
          {static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(note), static_cast<uint8_t>(vel)}};
}
inline Ev Off(int64_t t, int ch, int note) {
  return {t, {static_cast<uint8_t>(0x80 | ch), static_cast<uint8_t>(note), 0}};
}
inline Ev Cc(int64_t t, int ch, int number, int value) {
  return {
      t,
      {static_cast<uint8_t>(0xB0 | ch), static_cast<uint8_t>(number), static_cast<uint8_t>(value)}};
}

}  // namespace qm3::testing
