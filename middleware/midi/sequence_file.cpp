#include "midi/sequence_file.h"

#include "midibytes/smf_file.h"

namespace qm3::midi {

bool SequenceFile::Unwrap(const uint8_t* image, size_t size, const uint8_t** smf,
                          size_t* smf_size) {
  return midibytes::Unwrap(image, size, smf, smf_size) != midibytes::Container::kBadRiff;
}

Rc SequenceFile::Parse(const uint8_t* image, size_t size) {
  tempo_map_.clear();
  length_ticks_ = 0;
  image_ = image;
  reader_.Open(image, {});
  midibytes::SmfHeader header;
  if (image == nullptr || !midibytes::ReadHeader(image, static_cast<int64_t>(size), &header)) {
    return kRcUnsupportedFile;
  }
  format_ = header.format;
  division_ = header.division;
  // SMPTE divisions and a zero division cannot be played in ticks.
  if (division_ == 0 || header.frame_based() || header.track_count == 0) return kRcUnsupportedFile;
  std::vector<midibytes::TrackChunk> tracks;
  if (!midibytes::ListTracks(image, static_cast<int64_t>(size), header,
                             midibytes::ChunkPolicy::kStrict, kMaxTracks, &tracks)) {
    return kRcUnsupportedFile;
  }
  reader_.Open(image, tracks);

  // One pass over every event: the tempo map and the length.
  SeqEvent e;
  double ms = 0;
  uint32_t tempo = 500000;
  uint32_t tempo_tick = 0;
  ReadResult r;
  while ((r = Next(&e)) == ReadResult::kEvent) {
    if (e.status == 0xFF && e.meta_type == 0x51) {
      if (e.length != 3) return kRcUnsupportedFile;
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
  if (r != ReadResult::kEndOfFile) return kRcUnsupportedFile;
  if (tempo_map_.empty() || tempo_map_.front().tick != 0) {
    tempo_map_.insert(tempo_map_.begin(), TempoEntry{0, 0.0, 500000});
  }
  Rewind();
  return kRcOk;
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
  reader_.Rewind();
}

ReadResult SequenceFile::Next(SeqEvent* event, uint32_t stop_tick, bool inclusive) {
  if (invalid_) return ReadResult::kInvalid;
  int64_t time = 0;
  if (reader_.PeekTime(&time)) {
    const auto tick = static_cast<uint32_t>(time);
    if (tick > stop_tick || (!inclusive && tick == stop_tick)) return ReadResult::kStopReached;
  }
  midibytes::MergedEvent m;
  switch (reader_.Next(&m)) {
    case midibytes::MergedStep::kEnd:
      return ReadResult::kEndOfFile;
    case midibytes::MergedStep::kBroken:
      invalid_ = true;
      return ReadResult::kInvalid;
    case midibytes::MergedStep::kEvent:
      break;
  }
  const midibytes::SmfEvent& s = m.event;
  const uint8_t* data = image_ + s.data;
  event->status = s.status;
  event->bytes = nullptr;
  event->length = 0;
  if (s.IsChannel()) {
    event->data1 = data[0];
    event->data2 = s.length == 2 ? data[1] : 0;
  } else {
    event->meta_type = s.type;
    event->bytes = data;
    event->length = static_cast<uint32_t>(s.length);
  }
  event->tick = static_cast<uint32_t>(s.time);
  event->delta = event->tick >= last_tick_ ? event->tick - last_tick_ : 0;
  last_tick_ = event->tick;
  return ReadResult::kEvent;
}

}  // namespace qm3::midi
