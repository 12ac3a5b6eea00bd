#include "midibytes/merged_reader.h"

#include <algorithm>

namespace midibytes {

void MergedReader::Open(const uint8_t* bytes, const std::vector<TrackChunk>& tracks) {
  bytes_ = bytes;
  chunks_ = tracks;
  lanes_.assign(chunks_.size(), Lane{});
  heap_.clear();
  heap_.reserve(chunks_.size());
  breaks_.reserve(chunks_.size());
  Rewind();
}

void MergedReader::Rewind() {
  heap_.clear();
  breaks_.clear();
  broken_ = false;
  first_break_ = WalkStop::kNone;
  for (size_t i = 0; i < chunks_.size(); ++i) {
    const TrackChunk& c = chunks_[i];
    lanes_[i] = Lane{};
    lanes_[i].walker = TrackWalker(bytes_, c.data + c.length, c.data);
  }
  for (size_t i = 0; i < lanes_.size(); ++i) Advance(static_cast<int>(i));
}

void MergedReader::Advance(int lane) {
  Lane& l = lanes_[lane];
  const SmfStep step = l.walker.Next(&l.next);
  l.has_next = step != SmfStep::kTruncated;
  if (l.has_next) {
    PushHeap(lane);
  } else if (l.walker.stop() != WalkStop::kEndOfData && l.walker.stop() != WalkStop::kNone) {
    breaks_.push_back(lane);
  }
}

bool MergedReader::Later(int a, int b) const {
  const int64_t ta = lanes_[a].next.time;
  const int64_t tb = lanes_[b].next.time;
  return ta != tb ? ta > tb : a > b;
}

void MergedReader::PushHeap(int lane) {
  heap_.push_back(lane);
  std::push_heap(heap_.begin(), heap_.end(), [this](int a, int b) { return Later(a, b); });
}

int MergedReader::PopHeap() {
  std::pop_heap(heap_.begin(), heap_.end(), [this](int a, int b) { return Later(a, b); });
  const int lane = heap_.back();
  heap_.pop_back();
  return lane;
}

bool MergedReader::PeekTime(int64_t* time) const {
  if (heap_.empty()) return false;
  *time = lanes_[heap_.front()].next.time;
  return true;
}

MergedStep MergedReader::Next(MergedEvent* out) {
  // A lane that broke while reading ahead is reported before the events
  // that come after its last whole event.
  if (!breaks_.empty()) {
    const int lane = breaks_.back();
    breaks_.pop_back();
    if (!broken_) first_break_ = lanes_[lane].walker.stop();
    broken_ = true;
    out->track = lane;
    out->event = lanes_[lane].next;
    return MergedStep::kBroken;
  }
  if (heap_.empty()) return MergedStep::kEnd;
  const int lane = PopHeap();
  out->event = lanes_[lane].next;
  out->track = lane;
  if (out->event.IsEndOfTrack()) {
    lanes_[lane].has_next = false;
  } else {
    Advance(lane);
  }
  return MergedStep::kEvent;
}

}  // namespace midibytes
