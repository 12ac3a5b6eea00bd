#include "midibytes/track_walker.h"

#include "midibytes/number.h"
#include "midibytes/smf_file.h"
#include "midibytes/status.h"

namespace midibytes {

int32_t FirstTrackEvent(const uint8_t* bytes, int32_t size) {
  int64_t at = 0;
  if (!HasTag(bytes, size, at, "MThd")) {
    at = kPrefixSize;
    if (!HasTag(bytes, size, at, "MThd")) return -1;
  }
  if (at + kChunkHeadSize > size) return -1;
  const int64_t track = at + kChunkHeadSize + LoadBe32(bytes + at + 4);
  if (!HasTag(bytes, size, track, "MTrk") || track + kChunkHeadSize > size) return -1;
  return static_cast<int32_t>(track + kChunkHeadSize);
}

int32_t FirstTrackLimit(const uint8_t* bytes, int32_t size, int32_t first_event) {
  if (first_event < kChunkHeadSize || first_event > size) return size;
  const int64_t end = first_event + int64_t{LoadBe32(bytes + first_event - 4)};
  if (end > first_event && end < size && HasTag(bytes, size, end, "MTrk")) {
    return static_cast<int32_t>(end);
  }
  return size;
}

TrackWalker::TrackWalker(const uint8_t* bytes, int32_t limit, int32_t first_event,
                         int64_t start_time)
    : bytes_(bytes), limit_(limit), pos_(first_event), time_(start_time) {
  valid_ = first_event >= 0 && first_event <= limit;
  done_ = !valid_;
}

TrackWalker::TrackWalker(const uint8_t* bytes, int32_t size)
    : TrackWalker(bytes, size, FirstTrackEvent(bytes, size)) {
  if (valid_) limit_ = FirstTrackLimit(bytes, size, pos_);
}

SmfStep TrackWalker::Stop(SmfEvent* event, WalkStop why) {
  if (!done_) stop_ = (why != WalkStop::kEndOfData && pos_ >= limit_) ? WalkStop::kEndOfData : why;
  done_ = true;
  *event = SmfEvent{};
  event->time = time_;
  event->offset = event->body = event->end = event->data = pos_;
  return SmfStep::kTruncated;
}

SmfStep TrackWalker::Next(SmfEvent* event) {
  if (done_) return Stop(event, stop_);
  SmfEvent ev;
  ev.offset = pos_;
  int32_t p = pos_;
  uint32_t number = 0;
  if (!ReadNumber(bytes_, limit_, &p, &number)) return Stop(event, WalkStop::kBadNumber);
  ev.delta = static_cast<int32_t>(number);
  if (p >= limit_) return Stop(event, WalkStop::kMissingEvent);
  ev.body = p;
  uint8_t status = bytes_[p];
  if (status < 0x80) {
    if (running_ == 0) return Stop(event, WalkStop::kNoRunningStatus);
    status = running_;
    ev.running = true;
  } else {
    ++p;
  }
  ev.status = status;
  if (status < 0xF0) {
    ev.length = ChannelDataLength(status);
    if (p + ev.length > limit_) return Stop(event, WalkStop::kBadDataByte);
    for (int i = 0; i < ev.length; ++i) {
      if (bytes_[p + i] >= 0x80) return Stop(event, WalkStop::kBadDataByte);
    }
    ev.data = p;
    p += ev.length;
    running_ = status;
  } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
    if (status == 0xFF) {
      if (p >= limit_) return Stop(event, WalkStop::kLengthPastEnd);
      ev.type = bytes_[p++];
    }
    if (!ReadNumber(bytes_, limit_, &p, &number)) return Stop(event, WalkStop::kLengthPastEnd);
    if (number > static_cast<uint32_t>(limit_ - p)) return Stop(event, WalkStop::kLengthPastEnd);
    ev.length = static_cast<int32_t>(number);
    ev.data = p;
    p += ev.length;
    running_ = 0;
  } else {
    return Stop(event, WalkStop::kSystemMessage);
  }
  ev.end = p;
  ev.time = time_ + ev.delta;
  time_ = ev.time;
  pos_ = p;
  *event = ev;
  if (ev.IsEndOfTrack()) {
    done_ = true;
    return SmfStep::kEnd;
  }
  return SmfStep::kEvent;
}

}  // namespace midibytes
