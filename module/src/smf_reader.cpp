#include "smf_reader.h"

#include <algorithm>
#include <cstring>

namespace corvane {
namespace {

// Caps what a file can make the module hold.
constexpr size_t kMaxEvents = 200000;
constexpr uint64_t kMaxTick = 96u * 4 * 10000;  // ten thousand measures

class Cursor {
 public:
  Cursor(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  bool AtEnd() const { return pos_ >= n_; }
  size_t Left() const { return n_ - pos_; }
  bool Byte(uint8_t& out) {
    if (pos_ >= n_) return false;
    out = p_[pos_++];
    return true;
  }
  bool Peek(uint8_t& out) const {
    if (pos_ >= n_) return false;
    out = p_[pos_];
    return true;
  }
  bool VarLen(uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      out = out << 7 | (b & 0x7F);
      if (!(b & 0x80)) return true;
    }
    return false;  // a fifth byte would be needed
  }
  bool Bytes(size_t len, const uint8_t*& out) {
    if (len > Left()) return false;
    out = p_ + pos_;
    pos_ += len;
    return true;
  }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t pos_ = 0;
};

uint32_t Be32(const uint8_t* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

int ChannelDataLength(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return kind == 0xC0 || kind == 0xD0 ? 1 : 2;
}

// Reads one track; stops quietly at the first broken event.
void ReadTrack(const uint8_t* data, size_t size, uint32_t division, SmfFile& file) {
  Cursor in(data, size);
  uint64_t tick = 0;
  uint8_t running = 0;
  while (!in.AtEnd() && file.events.size() < kMaxEvents) {
    uint32_t delta;
    if (!in.VarLen(delta)) return;
    tick += delta;
    if (tick > kMaxTick * division / kTicksPerQuarter) return;
    const auto scaled = static_cast<uint32_t>(tick * kTicksPerQuarter / division);
    uint8_t status;
    if (!in.Peek(status)) return;
    if (status >= 0x80) {
      in.Byte(status);
    } else if (running != 0) {
      status = running;
    } else {
      return;  // data byte without any status
    }
    if (status == 0xFF) {
      running = 0;
      uint8_t type;
      uint32_t len;
      const uint8_t* payload;
      if (!in.Byte(type) || !in.VarLen(len) || !in.Bytes(len, payload)) return;
      file.end_tick = std::max(file.end_tick, scaled);
      if (type == 0x2F) return;
      SmfEvent e;
      e.tick = scaled;
      e.status = 0xFF;
      e.data1 = type;
      e.text.assign(reinterpret_cast<const char*>(payload), len);
      file.events.push_back(std::move(e));
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      running = 0;
      uint32_t len;
      const uint8_t* payload;
      if (!in.VarLen(len) || !in.Bytes(len, payload)) return;
      continue;  // system exclusive in a style is not used
    }
    if (status > 0xF0) return;  // not allowed in a file
    running = status;
    uint8_t d[2] = {0, 0};
    for (int i = 0; i < ChannelDataLength(status); ++i) {
      if (!in.Byte(d[i]) || d[i] >= 0x80) return;
    }
    file.end_tick = std::max(file.end_tick, scaled);
    file.events.push_back(SmfEvent{scaled, status, d[0], d[1], {}});
  }
}

}  // namespace

std::optional<SmfFile> ReadSmf(const uint8_t* data, size_t size) {
  if (data == nullptr || size < 14 || std::memcmp(data, "MThd", 4) != 0) return std::nullopt;
  const uint32_t header_len = Be32(data + 4);
  if (header_len < 6 || header_len > size - 8) return std::nullopt;
  const uint32_t division = uint32_t{data[12]} << 8 | data[13];
  if (division == 0 || (division & 0x8000)) return std::nullopt;
  SmfFile file;
  size_t pos = 8 + header_len;
  int tracks = 0;
  while (pos + 8 <= size) {
    const uint32_t len = Be32(data + pos + 4);
    const bool is_track = std::memcmp(data + pos, "MTrk", 4) == 0;
    pos += 8;
    const size_t usable = std::min<size_t>(len, size - pos);
    if (is_track) {
      ReadTrack(data + pos, usable, division, file);
      ++tracks;
    }
    pos += usable;
  }
  if (tracks == 0) return std::nullopt;
  std::stable_sort(file.events.begin(), file.events.end(),
                   [](const SmfEvent& a, const SmfEvent& b) { return a.tick < b.tick; });
  return file;
}

}  // namespace corvane
