// Building a new track inside one work buffer, whole events at a time: an
// event that would not leave room for the end of track is refused, so a
// result too long for the buffer is cut off at an event boundary and still
// ends with FF 2F 00.
//
// Thread rules: no locking or allocation; the caller owns the buffer.
#pragma once
#include <cstdint>

#include "midibytes/track_walker.h"
#include "song/track_buffer.h"

namespace qm3 {

class TrackWriter {
 public:
  explicit TrackWriter(TrackBuffer& buffer) : buffer_(buffer) {}

  // Size 0 and the 22-byte template.
  void Start();
  // Continues an existing image whose last event ended at `last_time`.
  void Resume(int64_t last_time) { last_time_ = last_time; }

  // Each returns false (and writes nothing) once the buffer is full.
  bool Raw(int64_t time, const uint8_t* bytes, int32_t count);
  // A channel message; with `use_running` the status byte is left out when
  // it equals the last status written.
  bool Channel(int64_t time, uint8_t status, uint8_t data1, uint8_t data2, bool use_running);
  // A channel message from a source image, keeping its data bytes.
  bool CopyChannel(int64_t time, const uint8_t* source, const midibytes::SmfEvent& event,
                   bool use_running);
  // A system-exclusive or meta event from a source image, copied whole.
  bool CopyWhole(int64_t time, const uint8_t* source, const midibytes::SmfEvent& event);

  // FF 2F 00 at `time` (never before the last event), then the length field.
  void End(int64_t time);

  bool full() const { return full_; }
  int64_t last_time() const { return last_time_; }

 private:
  bool Fits(int32_t count) const;
  void Delta(int64_t time);
  void Put(uint8_t byte) { buffer_.bytes[buffer_.size++] = byte; }

  TrackBuffer& buffer_;
  int64_t last_time_ = 0;
  uint8_t running_ = 0;
  bool full_ = false;
};

// Writes the byte count after the first event into the track length field
// ("MTrk" found as FirstEvent finds it; offset 18 when there is none).
void FinishTrackIn(TrackBuffer& buffer);

// Which notes are sounding: note on with velocity above 0 counts up, note off
// or note on with velocity 0 counts down, never below 0.
struct NoteCounters {
  uint32_t count[16][256];

  void Clear();
  void Count(uint8_t status, uint8_t note, uint8_t velocity);
  // Writes the note offs (8n, note, 0) for every counted note at `time`.
  void WriteNoteOffs(TrackWriter& out, int64_t time) const;
};

bool IsTrackNumber(int number);

// Working space of the whole-track operations (one operation at a time).
struct TrackScratch {
  NoteCounters counters;
};
TrackScratch& TrackScratchSpace();

}  // namespace qm3
