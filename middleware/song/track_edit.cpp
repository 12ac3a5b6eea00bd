// Join, cut, tempo stripping, clock tracks, merge and channel extraction.
#include <cstring>

#include "midibytes/track_walker.h"
#include "song/track_buffer.h"
#include "song/track_writer.h"

namespace qm3 {

namespace {

// Where the first track's events of `buffer` start and stop; false when the
// image has no track.
bool TrackSpan(const TrackBuffer& buffer, int32_t* first, int32_t* limit) {
  *first = midibytes::FirstTrackEvent(buffer.bytes, buffer.size);
  if (*first < 0) return false;
  *limit = midibytes::FirstTrackLimit(buffer.bytes, buffer.size, *first);
  return true;
}

// A source that is not a track image reads as an empty track ending at 0.
midibytes::TrackWalker ReaderFor(const TrackBuffer& buffer) {
  int32_t first = 0;
  int32_t limit = 0;
  if (!TrackSpan(buffer, &first, &limit)) return midibytes::TrackWalker(buffer.bytes, 0, -1);
  return midibytes::TrackWalker(buffer.bytes, limit, first);
}

bool SourcesUsable(int a, int b) {
  const int current = CurrentTrackBuffer();
  return IsTrackNumber(a) && IsTrackNumber(b) && a != current && b != current;
}

}  // namespace

Rc JoinTrack(int other) {
  if (!IsTrackNumber(other)) return kRcError;
  TrackBuffer& b = TrackBufferAt(CurrentTrackBuffer());
  const TrackBuffer& o = TrackBufferAt(other);
  int32_t first = 0;
  int32_t limit = 0;
  if (b.size < kTrackHeaderSize + 3 || b.bytes[b.size - 3] != 0xFF || b.bytes[b.size - 2] != 0x2F ||
      b.bytes[b.size - 1] != 0x00 || !TrackSpan(o, &first, &limit)) {
    return kRcUnsupportedFile;
  }
  const int32_t count = limit - first;
  if (count > kTrackBufferSize - b.size) return kRcNoMemory;
  // memmove: joining a buffer to itself reads the bytes it is appending to,
  // so the end of track becomes an empty marker only after the copy.
  std::memmove(b.bytes + b.size, o.bytes + first, static_cast<size_t>(count));
  b.bytes[b.size - 2] = 0x06;
  b.size += count;
  return kRcOk;
}

Rc CutTrack(int32_t tick) {
  TrackBuffer& b = TrackBufferAt(CurrentTrackBuffer());
  int32_t first = 0;
  int32_t limit = 0;
  if (!TrackSpan(b, &first, &limit)) return kRcUnsupportedFile;
  NoteCounters& counters = TrackScratchSpace().counters;
  counters.Clear();
  // The last few kept events, so that room for the end of track can be made
  // in a full buffer by dropping them.
  constexpr int kBackoff = 8;
  int32_t kept_offset[kBackoff] = {};
  int64_t kept_before[kBackoff] = {};
  int kept = 0;

  midibytes::TrackWalker reader(b.bytes, limit, first);
  midibytes::SmfEvent event;
  int64_t last_time = 0;
  int32_t cut_at = first;
  for (;;) {
    const midibytes::SmfStep step = reader.Next(&event);
    if (step != midibytes::SmfStep::kEvent || event.time >= tick) {
      cut_at = event.offset;
      break;
    }
    kept_offset[kept % kBackoff] = event.offset;
    kept_before[kept % kBackoff] = last_time;
    ++kept;
    if (event.IsChannel() && event.length == 2) {
      counters.Count(event.status, b.bytes[event.data], b.bytes[event.data + 1]);
    }
    last_time = event.time;
  }
  constexpr int32_t kEndRoom = 7;
  for (int back = 0; cut_at > kTrackBufferSize - kEndRoom && back < kBackoff && kept > 0; ++back) {
    --kept;
    cut_at = kept_offset[kept % kBackoff];
    last_time = kept_before[kept % kBackoff];
  }
  b.size = cut_at;
  TrackWriter out(b);
  out.Resume(last_time);
  counters.WriteNoteOffs(out, tick);
  out.End(tick);
  return kRcOk;
}

Rc StripTempo() {
  TrackBuffer& b = TrackBufferAt(CurrentTrackBuffer());
  int32_t first = 0;
  int32_t limit = 0;
  if (!TrackSpan(b, &first, &limit)) return kRcUnsupportedFile;
  midibytes::TrackWalker reader(b.bytes, limit, first);
  midibytes::SmfEvent event;
  while (reader.Next(&event) == midibytes::SmfStep::kEvent) {
    if (event.status == 0xFF && event.type == 0x51) b.bytes[event.body + 1] = 0x06;
  }
  return kRcOk;
}

void ClockTrack(int32_t start, int32_t end, int32_t step) {
  static const uint8_t kClock[3] = {0xF7, 0x01, 0xF8};
  TrackWriter out(TrackBufferAt(CurrentTrackBuffer()));
  out.Start();
  if (step >= 1) {
    for (int64_t t = start; t < end; t += step) {
      if (!out.Raw(t, kClock, 3)) break;
    }
  }
  out.End(end);
}

Rc MergeTracks(int a, int b) {
  if (!SourcesUsable(a, b)) return kRcError;
  const TrackBuffer* const src[2] = {&TrackBufferAt(a), &TrackBufferAt(b)};
  midibytes::TrackWalker reader[2] = {ReaderFor(*src[0]), ReaderFor(*src[1])};
  // Each source's pending event; its end of track takes its turn in time
  // order too, and closes the source.
  midibytes::SmfEvent next[2];
  bool ending[2];
  bool open[2] = {true, true};
  for (int i = 0; i < 2; ++i) ending[i] = reader[i].Next(&next[i]) != midibytes::SmfStep::kEvent;
  int64_t end_time = 0;

  TrackWriter out(TrackBufferAt(CurrentTrackBuffer()));
  out.Start();
  while (open[0] || open[1]) {
    const int i = !open[1] || (open[0] && next[0].time <= next[1].time) ? 0 : 1;
    if (ending[i]) {
      open[i] = false;
      end_time = next[i].time;
      continue;
    }
    if (next[i].IsChannel()) {
      out.CopyChannel(next[i].time, src[i]->bytes, next[i], true);
    } else {
      out.CopyWhole(next[i].time, src[i]->bytes, next[i]);
    }
    ending[i] = reader[i].Next(&next[i]) != midibytes::SmfStep::kEvent;
  }
  out.End(end_time);
  return kRcOk;
}

Rc ChannelTrack(int source, int channel) {
  if (!SourcesUsable(source, source) || channel < 0 || channel > 15) return kRcError;
  const TrackBuffer& src = TrackBufferAt(source);
  midibytes::TrackWalker reader = ReaderFor(src);
  TrackWriter out(TrackBufferAt(CurrentTrackBuffer()));
  out.Start();
  midibytes::SmfEvent event;
  while (reader.Next(&event) == midibytes::SmfStep::kEvent) {
    if (event.IsChannel() && event.Channel() == channel) {
      out.CopyChannel(event.time, src.bytes, event, false);
    }
  }
  out.End(event.time);
  return kRcOk;
}

}  // namespace qm3
