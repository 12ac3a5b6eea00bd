#include "output_ring.h"

namespace cvusb {

bool OutputRing::Append(const uint8_t* data, size_t length) {
  if (length > kCapacity - pending_) return false;  // FullRingPolicy::kDropWholeMessage
  for (size_t i = 0; i < length; ++i) {
    bytes_[write_] = data[i];
    write_ = write_ + 1 == kCapacity ? 0 : write_ + 1;
  }
  pending_ += length;
  return true;
}

size_t OutputRing::Peek(uint8_t* out, size_t max) const {
  const size_t count = max < pending_ ? max : pending_;
  size_t at = read_;
  for (size_t i = 0; i < count; ++i) {
    out[i] = bytes_[at];
    at = at + 1 == kCapacity ? 0 : at + 1;
  }
  return count;
}

void OutputRing::Consume(size_t count) {
  if (count > pending_) count = pending_;
  read_ = (read_ + count) % kCapacity;
  pending_ -= count;
}

void OutputRing::Clear() {
  write_ = read_ = pending_ = 0;
}

}  // namespace cvusb
