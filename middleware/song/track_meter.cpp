// Meter conversion: every event time moved from one measure length to another.
#include "midibytes/track_walker.h"
#include "song/track_buffer.h"
#include "song/track_writer.h"

namespace qm3 {

namespace {

int64_t MapTime(int64_t t, int m, int n) {
  if (n == m) return t;
  if (n >= 2 * m) return t * n / m;
  const int64_t measure = int64_t{m} * 96;
  const int64_t q = t / measure;
  const int64_t p = t % measure;
  int64_t f = p;
  if (n < m) {
    // Beat 1 kept, beats 2 and 3 squeezed into one, the rest one beat back.
    if (p > 288) {
      f = p - 96;
    } else if (p > 96) {
      f = (p - 96) / 2 + 96;
    }
  } else {
    // Beat 2 stretched over two beats.
    if (p > 192) {
      f = p + 96;
    } else if (p > 96) {
      f = 2 * p - 96;
    }
  }
  return q * n * 96 + f;
}

}  // namespace

Rc MeterTrack(int source, int beats_from, int beats_to) {
  if (!IsTrackNumber(source) || source == CurrentTrackBuffer() || beats_from < 1 || beats_to < 1) {
    return kRcError;
  }
  const TrackBuffer& src = TrackBufferAt(source);
  const int32_t first = midibytes::FirstTrackEvent(src.bytes, src.size);
  midibytes::TrackWalker reader =
      first < 0 ? midibytes::TrackWalker(src.bytes, 0, -1)
                : midibytes::TrackWalker(
                      src.bytes, midibytes::FirstTrackLimit(src.bytes, src.size, first), first);
  TrackWriter out(TrackBufferAt(CurrentTrackBuffer()));
  out.Start();
  midibytes::SmfEvent event;
  while (reader.Next(&event) == midibytes::SmfStep::kEvent) {
    const int64_t time = MapTime(event.time, beats_from, beats_to);
    if (event.IsChannel()) {
      out.CopyChannel(time, src.bytes, event, false);
    } else {
      out.CopyWhole(time, src.bytes, event);
    }
  }
  out.End(MapTime(event.time, beats_from, beats_to));
  return kRcOk;
}

}  // namespace qm3
