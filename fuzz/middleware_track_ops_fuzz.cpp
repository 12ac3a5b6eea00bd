// Arbitrary bytes loaded as a track image, then cut, merged, range-extracted,
// meter-converted, channel-extracted, joined and fetched. The last bytes pick
// the ticks, so the fuzzer steers the cut points too.
#include <cstddef>
#include <cstdint>

#include "song/track_buffer.h"

namespace {

int32_t Pick(const uint8_t* data, size_t size, size_t back) {
  if (size < back) return 100;
  return static_cast<int32_t>(data[size - back]) * 16;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace qm3;
  if (size > static_cast<size_t>(kTrackBufferSize)) return 0;
  const int32_t a = Pick(data, size, 1);
  const int32_t b = Pick(data, size, 2);
  const int beats = 1 + (Pick(data, size, 3) / 16) % 8;

  SelectTrackBuffer(0);
  LoadTrackBytes(data, static_cast<int64_t>(size));
  StripTempo();
  SelectTrackBuffer(1);
  RangeTrack(0, a, a + b, 384, static_cast<uint16_t>(b));
  SelectTrackBuffer(2);
  MergeTracks(0, 1);
  CutTrack(b);
  JoinTrack(0);
  FinishTrack();
  SelectTrackBuffer(1);
  MeterTrack(0, beats, 4);
  ChannelTrack(2, a & 15);
  SelectTrackBuffer(0);
  CutTrack(a);
  JoinTrack(0);
  FetchEvent(0, kFetchRewind);
  for (int i = 0; i < 64; ++i) {
    if (FetchEvent(a + b, kFetchLong) == 0) break;
  }
  while (FetchEvent(0, kFetchNoteOff) != 0) {
  }
  return 0;
}
