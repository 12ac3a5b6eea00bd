// Fetch: a track played as a looping source of due events (the real-time run
// reads its material this way from the MIDI input callback).
#include <cstring>

#include "core/middleware.h"
#include "midibytes/track_walker.h"
#include "song/track_buffer.h"
#include "song/track_writer.h"

namespace qm3 {

namespace {

constexpr int32_t kMessageSize = 1024;
constexpr int32_t kLongestFetched = 1022;

}  // namespace

struct FetchState {
  int buffer = -1;
  int32_t first = -1;
  int32_t limit = 0;
  midibytes::TrackWalker reader{nullptr, 0, -1};
  NoteCounters counters;
  uint8_t message[kMessageSize];
  int32_t loops = 0;
};

PartState<FetchState> MakeFetchState() {
  return MakePartState<FetchState>();
}

namespace {

FetchState& Fetch() {
  return *TheMiddleware().fetch;
}

void Rewind() {
  FetchState& f = Fetch();
  f.buffer = CurrentTrackBuffer();
  const TrackBuffer& b = TrackBufferAt(f.buffer);
  f.first = midibytes::FirstTrackEvent(b.bytes, b.size);
  f.limit = f.first < 0 ? 0 : midibytes::FirstTrackLimit(b.bytes, b.size, f.first);
  f.reader = midibytes::TrackWalker(b.bytes, f.limit, f.first);
  f.counters.Clear();
  f.loops = 0;
}

uint32_t NoteOff() {
  for (int channel = 0; channel < 16; ++channel) {
    for (int note = 0; note < 128; ++note) {
      uint32_t& c = Fetch().counters.count[channel][note];
      if (c == 0) continue;
      --c;
      return static_cast<uint32_t>(0x80 | channel) | (static_cast<uint32_t>(note) << 8);
    }
  }
  return 0;
}

uint32_t Next(int64_t limit, bool with_long) {
  FetchState& f = Fetch();
  if (f.first < 0) return 0;
  const uint8_t* bytes = TrackBufferAt(f.buffer).bytes;
  int wraps = 0;
  for (;;) {
    midibytes::TrackWalker ahead = f.reader;
    midibytes::SmfEvent e;
    if (ahead.Next(&e) != midibytes::SmfStep::kEvent) {
      // Loop without a gap: the next pass starts at this pass's end time.
      if (++wraps >= 2) return 0;
      f.reader = midibytes::TrackWalker(bytes, f.limit, f.first, e.time);
      ++f.loops;
      continue;
    }
    if (e.time > limit) return 0;
    f.reader = ahead;
    if (e.IsChannel()) {
      const uint32_t d1 = e.length >= 1 ? bytes[e.data] : 0;
      const uint32_t d2 = e.length >= 2 ? bytes[e.data + 1] : 0;
      if (e.length == 2)
        f.counters.Count(e.status, static_cast<uint8_t>(d1), static_cast<uint8_t>(d2));
      return e.status | (d1 << 8) | (d2 << 16);
    }
    if (with_long && (e.status == 0xF0 || e.status == 0xF7) && e.length <= kLongestFetched) {
      int32_t n = 0;
      if (e.status == 0xF0) f.message[n++] = 0xF0;
      std::memcpy(f.message + n, bytes + e.data, static_cast<size_t>(e.length));
      n += e.length;
      return (static_cast<uint32_t>(n) << 8) | e.status;
    }
  }
}

}  // namespace

uint32_t FetchEvent(int64_t limit, int mode) {
  switch (mode) {
    case kFetchRewind:
      Rewind();
      return 0;
    case kFetchShort:
      return Next(limit, false);
    case kFetchLong:
      return Next(limit, true);
    case kFetchNoteOff:
      return NoteOff();
    default:
      return 0;
  }
}

const uint8_t* FetchMessage() {
  return Fetch().message;
}

int64_t FetchTime() {
  midibytes::TrackWalker ahead = Fetch().reader;
  midibytes::SmfEvent e;
  ahead.Next(&e);
  return e.time;
}

int32_t FetchLoops() {
  return Fetch().loops;
}

}  // namespace qm3
