#include "song/smf_reader.h"

namespace qm3 {

namespace {

constexpr int32_t kPrefixSize = 128;

bool HasTag(const uint8_t* bytes, int32_t size, int64_t at, const char* tag) {
  if (at < 0 || at + 4 > size) return false;
  for (int i = 0; i < 4; ++i) {
    if (bytes[at + i] != static_cast<uint8_t>(tag[i])) return false;
  }
  return true;
}

uint32_t Read32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

}  // namespace

int SmfChannelDataLength(uint8_t status) {
  switch (status & 0xF0) {
    case 0x80:
    case 0x90:
    case 0xA0:
    case 0xB0:
    case 0xE0:
      return 2;
    case 0xC0:
    case 0xD0:
      return 1;
    default:
      return 0;
  }
}

bool SmfReadNumber(const uint8_t* bytes, int32_t limit, int32_t* pos, int32_t* value) {
  int32_t p = *pos;
  int32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    if (p < 0 || p >= limit) return false;
    const uint8_t b = bytes[p++];
    v = (v << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) {
      *pos = p;
      *value = v;
      return true;
    }
  }
  return false;  // a fifth byte would be needed
}

int32_t SmfFirstEvent(const uint8_t* bytes, int32_t size) {
  int64_t at = 0;
  if (!HasTag(bytes, size, at, "MThd")) {
    at = kPrefixSize;
    if (!HasTag(bytes, size, at, "MThd")) return -1;
  }
  if (at + 8 > size) return -1;
  const int64_t track = at + 8 + Read32(bytes + at + 4);
  if (!HasTag(bytes, size, track, "MTrk") || track + 8 > size) return -1;
  return static_cast<int32_t>(track + 8);
}

int32_t SmfTrackLimit(const uint8_t* bytes, int32_t size, int32_t first_event) {
  if (first_event < 8 || first_event > size) return size;
  const int64_t end = first_event + int64_t{Read32(bytes + first_event - 4)};
  if (end > first_event && end < size && HasTag(bytes, size, end, "MTrk")) {
    return static_cast<int32_t>(end);
  }
  return size;
}

SmfTrackReader::SmfTrackReader(const uint8_t* bytes, int32_t limit, int32_t first_event,
                               int64_t start_time)
    : bytes_(bytes), limit_(limit), pos_(first_event), time_(start_time) {
  valid_ = first_event >= 0 && first_event <= limit;
  done_ = !valid_;
}

SmfTrackReader::SmfTrackReader(const uint8_t* bytes, int32_t size)
    : SmfTrackReader(bytes, size, SmfFirstEvent(bytes, size)) {
  if (valid_) limit_ = SmfTrackLimit(bytes, size, pos_);
}

SmfStep SmfTrackReader::Stop(SmfEvent* event) {
  done_ = true;
  *event = SmfEvent{};
  event->time = time_;
  event->offset = event->body = event->end = event->data = pos_;
  return SmfStep::kTruncated;
}

SmfStep SmfTrackReader::Next(SmfEvent* event) {
  if (done_) return Stop(event);
  SmfEvent ev;
  ev.offset = pos_;
  int32_t p = pos_;
  if (!SmfReadNumber(bytes_, limit_, &p, &ev.delta)) return Stop(event);
  if (p >= limit_) return Stop(event);
  ev.body = p;
  uint8_t status = bytes_[p];
  if (status < 0x80) {
    if (running_ == 0) return Stop(event);  // running status with nothing to run on
    status = running_;
    ev.running = true;
  } else {
    ++p;
  }
  ev.status = status;
  if (status < 0xF0) {
    ev.length = SmfChannelDataLength(status);
    if (p + ev.length > limit_) return Stop(event);
    for (int i = 0; i < ev.length; ++i) {
      if (bytes_[p + i] >= 0x80) return Stop(event);
    }
    ev.data = p;
    p += ev.length;
    running_ = status;
  } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
    if (status == 0xFF) {
      if (p >= limit_) return Stop(event);
      ev.type = bytes_[p++];
    }
    if (!SmfReadNumber(bytes_, limit_, &p, &ev.length)) return Stop(event);
    if (ev.length > limit_ - p) return Stop(event);
    ev.data = p;
    p += ev.length;
    running_ = 0;
  } else {
    return Stop(event);  // F1..F6, F8..FE have no place in a file
  }
  ev.end = p;
  ev.time = time_ + ev.delta;
  time_ = ev.time;
  pos_ = p;
  *event = ev;
  if (status == 0xFF && ev.type == 0x2F) {
    done_ = true;
    return SmfStep::kEnd;
  }
  return SmfStep::kEvent;
}

}  // namespace qm3
