// A parsed Standard MIDI File for playback: header and track chunks checked
// against the image, the merged event reader across tracks with running
// status resolved, an optional stop tick, and the tempo map. RIFF "RMID"
// images are unwrapped to their "data" chunk.
//
// Thread rules: one reader at a time (the play thread at preroll, the stream
// callback at refill, never both at once); no allocation while reading
// events; Parse allocates the tempo map.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/result.h"
#include "midibytes/merged_reader.h"

namespace qm3::midi {

struct SeqEvent {
  uint32_t tick = 0;
  uint32_t delta = 0;  // from the previous event returned
  uint8_t status = 0;  // running status resolved; F0/F7 system exclusive; FF meta
  uint8_t data1 = 0;
  uint8_t data2 = 0;
  uint8_t meta_type = 0;
  const uint8_t* bytes = nullptr;  // system exclusive or meta data
  uint32_t length = 0;
};

enum class ReadResult { kEvent, kEndOfFile, kStopReached, kInvalid };

struct TempoEntry {
  uint32_t tick;
  double ms;
  uint32_t usec_per_quarter;
};

class SequenceFile {
 public:
  static constexpr int kMaxTracks = 64;

  // Finds the Standard MIDI File inside a RIFF "RMID" image; otherwise the
  // image itself. False for a RIFF image without a usable "data" chunk.
  static bool Unwrap(const uint8_t* image, size_t size, const uint8_t** smf, size_t* smf_size);

  // kRcOk, or kRcUnsupportedFile. The image is used in place and must
  // outlive this.
  Rc Parse(const uint8_t* image, size_t size);

  void Rewind();
  // Next event in time order. With `stop_tick` events at or beyond it are not
  // returned (kStopReached); `inclusive` also returns events at stop_tick.
  ReadResult Next(SeqEvent* event, uint32_t stop_tick = UINT32_MAX, bool inclusive = false);
  // Makes the next delta count from `tick` (after a seek to it).
  void SetLastTick(uint32_t tick) { last_tick_ = tick; }

  uint16_t format() const { return format_; }
  uint16_t division() const { return division_; }
  uint32_t length_ticks() const { return length_ticks_; }
  const std::vector<TempoEntry>& tempo_map() const { return tempo_map_; }
  double TickToMs(uint32_t tick) const;

 private:
  std::vector<TempoEntry> tempo_map_;
  const uint8_t* image_ = nullptr;
  midibytes::MergedReader reader_;
  uint16_t format_ = 0;
  uint16_t division_ = 96;
  uint32_t length_ticks_ = 0;
  uint32_t last_tick_ = 0;
  bool invalid_ = false;
};

}  // namespace qm3::midi
