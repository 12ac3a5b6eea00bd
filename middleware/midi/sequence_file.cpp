#include "midi/sequence_file.h"

#include <cstring>

namespace qm3::midi {
namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Be16(const uint8_t* p) {
  return static_cast<uint16_t>((p[0] << 8) | p[1]);
}
uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// Variable-length number of at most 4 bytes within [pos, end).
bool ReadVarLen(const uint8_t* data, uint32_t end, uint32_t* pos, uint32_t* value) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    if (*pos >= end) return false;
    const uint8_t b = data[(*pos)++];
    v = (v << 7) | (b & 0x7F);
    if ((b & 0x80) == 0) {
      *value = v;
      return true;
    }
  }
  return false;
}

int DataBytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

bool SequenceFile::Unwrap(const uint8_t* image, size_t size, const uint8_t** smf,
                          size_t* smf_size) {
  *smf = image;
  *smf_size = size;
  if (size < 4 || std::memcmp(image, "RIFF", 4) != 0) return true;
  if (size < 12 || std::memcmp(image + 8, "RMID", 4) != 0) return false;
  size_t pos = 12;
  while (pos + 8 <= size) {
    const uint32_t chunk = Le32(image + pos + 4);
    if (std::memcmp(image + pos, "data", 4) == 0) {
      if (chunk > size - pos - 8) return false;
      *smf = image + pos + 8;
      *smf_size = chunk;
      return true;
    }
    const size_t next = pos + 8 + chunk + (chunk & 1);
    if (next <= pos || next > size) return false;
    pos = next;
  }
  return false;
}

int SequenceFile::Parse(const uint8_t* image, size_t size) {
  tempo_map_.clear();
  track_count_ = 0;
  length_ticks_ = 0;
  if (image == nullptr || size < 8 || std::memcmp(image, "MThd", 4) != 0) return kSeqInvalidFile;
  const uint32_t header_len = Be32(image + 4);
  if (header_len < 6 || header_len > size - 8) return kSeqInvalidFile;
  format_ = Be16(image + 8);
  const uint16_t ntracks = Be16(image + 10);
  division_ = Be16(image + 12);
  // SMPTE divisions and a zero division cannot be played in ticks.
  if (division_ == 0 || (division_ & 0x8000) != 0) return kSeqInvalidFile;
  if (ntracks == 0 || ntracks > kMaxTracks) return kSeqInvalidFile;
  size_t pos = 8 + header_len;
  for (int i = 0; i < ntracks; ++i) {
    if (size - pos < 8 || std::memcmp(image + pos, "MTrk", 4) != 0) return kSeqInvalidFile;
    const uint32_t len = Be32(image + pos + 4);
    if (len > size - pos - 8) return kSeqInvalidFile;
    tracks_[i] = Track{image + pos + 8, len};
    pos += 8 + len;
  }
  track_count_ = ntracks;

  // One pass over every event: the tempo map and the length.
  Rewind();
  SeqEvent e;
  double ms = 0;
  uint32_t tempo = 500000;
  uint32_t tempo_tick = 0;
  ReadResult r;
  while ((r = Next(&e)) == ReadResult::kEvent) {
    if (e.status == 0xFF && e.meta_type == 0x51) {
      if (e.length != 3) return kSeqInvalidFile;
      ms += (e.tick - tempo_tick) * (tempo / 1000.0) / division_;
      tempo_tick = e.tick;
      tempo = (uint32_t{e.bytes[0]} << 16) | (uint32_t{e.bytes[1]} << 8) | e.bytes[2];
      if (!tempo_map_.empty() && tempo_map_.back().tick == e.tick) {
        tempo_map_.back().usec_per_quarter = tempo;
      } else {
        tempo_map_.push_back({e.tick, ms, tempo});
      }
    }
    length_ticks_ = e.tick;
  }
  if (r != ReadResult::kEndOfFile) return kSeqInvalidFile;
  if (tempo_map_.empty() || tempo_map_.front().tick != 0) {
    tempo_map_.insert(tempo_map_.begin(), TempoEntry{0, 0.0, 500000});
  }
  Rewind();
  return 0;
}

double SequenceFile::TickToMs(uint32_t tick) const {
  const TempoEntry* base = nullptr;
  for (const TempoEntry& t : tempo_map_) {
    if (t.tick > tick) break;
    base = &t;
  }
  if (base == nullptr) return tick * 500.0 / division_;
  return base->ms + (tick - base->tick) * (base->usec_per_quarter / 1000.0) / division_;
}

void SequenceFile::Rewind() {
  invalid_ = false;
  last_tick_ = 0;
  for (int i = 0; i < track_count_; ++i) {
    Track& t = tracks_[i];
    t.pos = 0;
    t.running = 0;
    t.next_tick = 0;
    t.has_next = ReadDelta(t);
  }
}

bool SequenceFile::ReadDelta(Track& t) {
  uint32_t delta = 0;
  if (t.pos >= t.length) return false;
  if (!ReadVarLen(t.data, t.length, &t.pos, &delta)) {
    invalid_ = true;
    return false;
  }
  t.next_tick += delta;
  return true;
}

bool SequenceFile::ReadEventBody(Track& t, SeqEvent* e) {
  if (t.pos >= t.length) return false;
  uint8_t status = t.data[t.pos];
  if (status >= 0x80) {
    ++t.pos;
  } else {
    if (t.running == 0) return false;  // running status with nothing to repeat
    status = t.running;
  }
  e->status = status;
  e->bytes = nullptr;
  e->length = 0;
  if (status < 0xF0) {
    t.running = status;
    const int n = DataBytes(status);
    if (t.length - t.pos < static_cast<uint32_t>(n)) return false;
    e->data1 = t.data[t.pos++];
    e->data2 = n == 2 ? t.data[t.pos++] : 0;
    return e->data1 < 0x80 && e->data2 < 0x80;
  }
  t.running = 0;  // system and meta events cancel running status
  if (status == 0xFF) {
    if (t.pos >= t.length) return false;
    e->meta_type = t.data[t.pos++];
  } else if (status != 0xF0 && status != 0xF7) {
    return false;
  }
  uint32_t len = 0;
  if (!ReadVarLen(t.data, t.length, &t.pos, &len) || len > t.length - t.pos) return false;
  e->bytes = t.data + t.pos;
  e->length = len;
  t.pos += len;
  if (status == 0xFF && e->meta_type == 0x2F) t.pos = t.length;  // end of track
  return true;
}

ReadResult SequenceFile::Next(SeqEvent* event, uint32_t stop_tick, bool inclusive) {
  if (invalid_) return ReadResult::kInvalid;
  int best = -1;
  for (int i = 0; i < track_count_; ++i) {
    if (tracks_[i].has_next && (best < 0 || tracks_[i].next_tick < tracks_[best].next_tick)) {
      best = i;
    }
  }
  if (best < 0) return ReadResult::kEndOfFile;
  Track& t = tracks_[best];
  if (t.next_tick > stop_tick || (!inclusive && t.next_tick == stop_tick)) {
    return ReadResult::kStopReached;
  }
  if (!ReadEventBody(t, event)) {
    invalid_ = true;
    return ReadResult::kInvalid;
  }
  event->tick = t.next_tick;
  event->delta = t.next_tick >= last_tick_ ? t.next_tick - last_tick_ : 0;
  last_tick_ = t.next_tick;
  t.has_next = ReadDelta(t);
  if (invalid_) return ReadResult::kInvalid;
  return ReadResult::kEvent;
}

}  // namespace qm3::midi
