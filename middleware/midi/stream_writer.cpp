#include "midi/stream_writer.h"

#include <cstring>

#include "platform/mmsystem.h"

namespace qm3::midi {
namespace {

void PutLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

}  // namespace

bool StreamWriter::Head(uint32_t delta, uint32_t event, size_t extra) {
  if (room() < kEventHead + extra) return false;
  uint8_t* p = data_ + used_;
  PutLe32(p, delta);
  PutLe32(p + 4, 0);
  PutLe32(p + 8, event);
  used_ += kEventHead;
  deltas_ += delta;
  return true;
}

bool StreamWriter::Short(uint32_t delta, uint32_t message) {
  return Head(delta, (uint32_t{platform::MEVT_SHORTMSG} << 24) | (message & 0xFFFFFF), 0);
}

bool StreamWriter::Tempo(uint32_t delta, uint32_t usec_per_quarter) {
  return Head(delta, (uint32_t{platform::MEVT_TEMPO} << 24) | (usec_per_quarter & 0xFFFFFF), 0);
}

bool StreamWriter::Nop(uint32_t delta) {
  return Head(delta, uint32_t{platform::MEVT_NOP} << 24, 0);
}

bool StreamWriter::Long(uint32_t delta, const uint8_t* bytes, size_t size, int prefix) {
  const size_t total = size + (prefix >= 0 ? 1 : 0);
  const size_t padded = (total + 3) & ~size_t{3};
  if (total > 0xFFFFFF) return false;
  if (!Head(delta, (uint32_t{platform::MEVT_LONGMSG} << 24) | static_cast<uint32_t>(total),
            padded)) {
    return false;
  }
  uint8_t* p = data_ + used_;
  if (prefix >= 0) *p++ = static_cast<uint8_t>(prefix);
  if (size > 0) std::memcpy(p, bytes, size);
  std::memset(data_ + used_ + total, 0, padded - total);
  used_ += padded;
  return true;
}

}  // namespace qm3::midi
