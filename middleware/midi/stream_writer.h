// Writes stream events (delta, stream id 0, event word, long data padded to
// four bytes) into a fixed buffer, refusing what does not fit.
//
// Thread rules: plain data over a caller-owned buffer; no allocation; used on
// the play thread and the stream callback thread.
#pragma once
#include <cstddef>
#include <cstdint>

namespace qm3::midi {

class StreamWriter {
 public:
  static constexpr size_t kEventHead = 12;

  StreamWriter(uint8_t* data, size_t capacity) : data_(data), capacity_(capacity) {}

  size_t used() const { return used_; }
  size_t room() const { return capacity_ - used_; }
  uint32_t deltas() const { return deltas_; }

  bool Short(uint32_t delta, uint32_t message);
  bool Tempo(uint32_t delta, uint32_t usec_per_quarter);
  bool Nop(uint32_t delta);
  // Long message: head plus bytes padded to a multiple of four; a `prefix`
  // of 0..255 is put in front of the bytes (F0 for file system exclusive).
  bool Long(uint32_t delta, const uint8_t* bytes, size_t size, int prefix = -1);
  // The largest long message that still fits.
  size_t LongRoom() const { return room() < kEventHead ? 0 : ((room() - kEventHead) & ~size_t{3}); }

 private:
  bool Head(uint32_t delta, uint32_t event, size_t extra);

  uint8_t* data_;
  size_t capacity_;
  size_t used_ = 0;
  uint32_t deltas_ = 0;
};

}  // namespace qm3::midi
