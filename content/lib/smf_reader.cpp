#include "smf_reader.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>

namespace content {
namespace {

class Cursor {
 public:
  Cursor(const std::vector<uint8_t>& bytes, size_t begin, size_t end)
      : bytes_(bytes), pos_(begin), end_(end) {}
  bool Left(size_t n) const { return end_ - pos_ >= n; }
  bool AtEnd() const { return pos_ >= end_; }
  bool Byte(uint8_t& out) {
    if (!Left(1)) return false;
    out = bytes_[pos_++];
    return true;
  }
  bool Peek(uint8_t& out) const {
    if (!Left(1)) return false;
    out = bytes_[pos_];
    return true;
  }
  // At most four bytes, as the file format allows.
  bool VariableLength(uint32_t& out) {
    out = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      out = (out << 7) | (b & 0x7F);
      if ((b & 0x80) == 0) return true;
    }
    return false;
  }
  bool Skip(size_t n) {
    if (!Left(n)) return false;
    pos_ += n;
    return true;
  }
  size_t pos() const { return pos_; }

 private:
  const std::vector<uint8_t>& bytes_;
  size_t pos_;
  size_t end_;
};

uint32_t BigEndian(const std::vector<uint8_t>& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | b[at + i];
  return v;
}

SmfReadResult Fail(const std::string& why) {
  return {std::nullopt, why};
}

}  // namespace

SmfReadResult ReadSmf(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 14 || bytes[0] != 'M' || bytes[1] != 'T' || bytes[2] != 'h' || bytes[3] != 'd')
    return Fail("no MThd header");
  const uint32_t header_length = BigEndian(bytes, 4, 4);
  if (header_length < 6 || header_length > bytes.size() - 8) return Fail("bad header length");
  ReadTrack track;
  track.division = static_cast<int>(BigEndian(bytes, 12, 2));
  const size_t chunk = 8 + header_length;
  if (bytes.size() - chunk < 8 || bytes[chunk] != 'M' || bytes[chunk + 1] != 'T' ||
      bytes[chunk + 2] != 'r' || bytes[chunk + 3] != 'k')
    return Fail("no MTrk chunk");
  const uint32_t track_length = BigEndian(bytes, chunk + 4, 4);
  if (track_length > bytes.size() - chunk - 8) return Fail("track longer than file");

  Cursor in(bytes, chunk + 8, chunk + 8 + track_length);
  std::array<std::array<int, 128>, 16> held_since{};
  std::array<std::array<int, 128>, 16> held_velocity{};
  for (auto& row : held_since) row.fill(-1);
  uint32_t now = 0;
  uint8_t running = 0;
  bool ended = false;
  while (!in.AtEnd() && !ended) {
    uint32_t delta;
    if (!in.VariableLength(delta)) return Fail("bad delta time");
    now += delta;
    uint8_t status;
    if (!in.Peek(status)) return Fail("event missing");
    if (status & 0x80) {
      in.Byte(status);
    } else {
      if (running == 0) return Fail("running status without a status");
      status = running;
    }
    if (status == 0xFF) {
      uint8_t type;
      uint32_t length;
      if (!in.Byte(type) || !in.VariableLength(length) || !in.Left(length))
        return Fail("bad meta event");
      ReadMeta meta{now, type,
                    std::string(bytes.begin() + static_cast<long>(in.pos()),
                                bytes.begin() + static_cast<long>(in.pos() + length))};
      in.Skip(length);
      if (type == 0x2F) {
        track.end_tick = now;
        ended = true;
      } else {
        track.metas.push_back(std::move(meta));
      }
      continue;
    }
    if (status == 0xF0 || status == 0xF7) {
      uint32_t length;
      if (!in.VariableLength(length) || !in.Skip(length)) return Fail("bad system exclusive");
      continue;
    }
    if (status >= 0xF0) return Fail("unexpected system message");
    running = status;
    const uint8_t kind = status & 0xF0;
    const int channel = status & 0x0F;
    uint8_t d1 = 0;
    uint8_t d2 = 0;
    if (!in.Byte(d1) || d1 >= 0x80) return Fail("bad data byte");
    if (kind != 0xC0 && kind != 0xD0) {
      if (!in.Byte(d2) || d2 >= 0x80) return Fail("bad data byte");
    }
    if (kind == 0x90 && d2 > 0) {
      if (held_since[channel][d1] >= 0) {
        // Re-struck without release: close the previous note here.
        track.notes.push_back({static_cast<uint32_t>(held_since[channel][d1]),
                               now - static_cast<uint32_t>(held_since[channel][d1]), channel + 1,
                               d1, held_velocity[channel][d1]});
      }
      held_since[channel][d1] = static_cast<int>(now);
      held_velocity[channel][d1] = d2;
    } else if (kind == 0x80 || kind == 0x90) {
      if (held_since[channel][d1] < 0) {
        ++track.unpaired_note_offs;
      } else {
        const uint32_t start = static_cast<uint32_t>(held_since[channel][d1]);
        track.notes.push_back({start, now - start, channel + 1, d1, held_velocity[channel][d1]});
        held_since[channel][d1] = -1;
      }
    } else if (kind == 0xB0 || kind == 0xC0) {
      track.controls.push_back({now, channel + 1, kind, d1, d2});
    }
  }
  if (!ended) return Fail("no end of track");
  for (auto& row : held_since)
    for (int since : row)
      if (since >= 0) ++track.notes_left_sounding;
  std::stable_sort(track.notes.begin(), track.notes.end(),
                   [](const ReadNote& a, const ReadNote& b) { return a.start < b.start; });
  return {std::move(track), ""};
}

SmfReadResult ReadSmfFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Fail("cannot open " + path);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  return ReadSmf(bytes);
}

}  // namespace content
