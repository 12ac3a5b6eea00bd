// Reads the events of several track chunks merged in time order: at equal
// times the lower track first, within a track file order. Each track is
// walked by a TrackWalker; a track that breaks (a partial or malformed event)
// ends there and is reported once, the others go on.
//
// Thread rules: one caller at a time. Open allocates per track; Next and
// PeekTime never allocate.
#pragma once
#include <cstdint>
#include <vector>

#include "midibytes/smf_file.h"
#include "midibytes/track_walker.h"

namespace midibytes {

struct MergedEvent {
  SmfEvent event;  // offsets are into the image given to Open
  int track = 0;
};

enum class MergedStep {
  kEvent,   // an event, end-of-track events included
  kBroken,  // a track stopped inside an event (`track` says which); call again to go on
  kEnd,     // every track has ended
};

class MergedReader {
 public:
  void Open(const uint8_t* bytes, const std::vector<TrackChunk>& tracks);
  void Rewind();
  MergedStep Next(MergedEvent* out);
  // Time of the event Next would return; false when none is left.
  bool PeekTime(int64_t* time) const;
  bool broken() const { return broken_; }
  // Why the broken track stopped (the first one).
  WalkStop first_break() const { return first_break_; }

 private:
  struct Lane {
    TrackWalker walker{nullptr, 0, 0};
    SmfEvent next;
    bool has_next = false;
  };
  void Advance(int lane);
  bool Later(int a, int b) const;
  void PushHeap(int lane);
  int PopHeap();

  const uint8_t* bytes_ = nullptr;
  std::vector<TrackChunk> chunks_;
  std::vector<Lane> lanes_;
  std::vector<int> heap_;    // lanes with a pending event, earliest (time, lane) on top
  std::vector<int> breaks_;  // lanes that broke and are not reported yet
  bool broken_ = false;
  WalkStop first_break_ = WalkStop::kNone;
};

}  // namespace midibytes
