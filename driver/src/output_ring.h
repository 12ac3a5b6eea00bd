// The output ring between the clients' threads and the writer thread: 50000
// bytes of packets with a write index, a read index and a pending count. A
// message that does not fit whole is dropped (the FullRingPolicy).
//
// Thread rules: not locked itself; the transport guards it with its ring
// lock. Never allocates.
#pragma once
#include <cstddef>
#include <cstdint>

namespace cvusb {

// What Append does when the bytes do not all fit.
enum class FullRingPolicy { kDropWholeMessage };

class OutputRing {
 public:
  static constexpr size_t kCapacity = 50000;

  // Appends all of data, or nothing when it does not fit. True when appended.
  bool Append(const uint8_t* data, size_t length);
  // Copies up to `max` pending bytes without removing them.
  size_t Peek(uint8_t* out, size_t max) const;
  // Removes `count` pending bytes (at most what is pending).
  void Consume(size_t count);
  void Clear();
  size_t pending() const { return pending_; }

 private:
  uint8_t bytes_[kCapacity] = {};
  size_t write_ = 0;
  size_t read_ = 0;
  size_t pending_ = 0;
};

}  // namespace cvusb
