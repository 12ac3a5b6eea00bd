#include "song/track_writer.h"

#include <cstring>

#include "midibytes/number.h"
#include "midibytes/status.h"
#include "midibytes/track_writer.h"

namespace qm3 {

namespace {
// Room kept for the end of track: a 4-byte delta and FF 2F 00.
constexpr int32_t kEndReserve = 7;
}  // namespace

bool IsTrackNumber(int number) {
  return number >= 0 && number < kTrackBufferCount;
}

void FinishTrackIn(TrackBuffer& buffer) {
  int32_t first = midibytes::FirstTrackEvent(buffer.bytes, buffer.size);
  if (first < 0) {
    if (buffer.size < kTrackHeaderSize) return;
    first = kTrackHeaderSize;
  }
  midibytes::StoreBe32(buffer.bytes + first - 4, static_cast<uint32_t>(buffer.size - first));
}

void TrackWriter::Start() {
  std::memcpy(buffer_.bytes, midibytes::kSingleTrackTemplate,
              sizeof midibytes::kSingleTrackTemplate);
  buffer_.size = kTrackHeaderSize;
  last_time_ = 0;
  running_ = 0;
  full_ = false;
}

bool TrackWriter::Fits(int32_t count) const {
  return !full_ && buffer_.size <= kTrackBufferSize - kEndReserve - 4 - count;
}

void TrackWriter::Delta(int64_t time) {
  uint8_t number[4];
  const int n = midibytes::EncodeNumber(time - last_time_, number);
  for (int i = 0; i < n; ++i) Put(number[i]);
  if (time > last_time_) last_time_ = time;
}

bool TrackWriter::Raw(int64_t time, const uint8_t* bytes, int32_t count) {
  if (count < 0 || !Fits(count)) {
    full_ = true;
    return false;
  }
  Delta(time);
  for (int32_t i = 0; i < count; ++i) Put(bytes[i]);
  running_ = 0;
  return true;
}

bool TrackWriter::Channel(int64_t time, uint8_t status, uint8_t data1, uint8_t data2,
                          bool use_running) {
  const int data = midibytes::ChannelDataLength(status);
  if (!Fits(1 + data)) {
    full_ = true;
    return false;
  }
  Delta(time);
  if (!use_running || status != running_) Put(status);
  running_ = use_running ? status : 0;
  if (data >= 1) Put(data1 & 0x7F);
  if (data >= 2) Put(data2 & 0x7F);
  return true;
}

bool TrackWriter::CopyChannel(int64_t time, const uint8_t* source, const midibytes::SmfEvent& event,
                              bool use_running) {
  const uint8_t d1 = event.length >= 1 ? source[event.data] : 0;
  const uint8_t d2 = event.length >= 2 ? source[event.data + 1] : 0;
  return Channel(time, event.status, d1, d2, use_running);
}

bool TrackWriter::CopyWhole(int64_t time, const uint8_t* source, const midibytes::SmfEvent& event) {
  return Raw(time, source + event.body, event.end - event.body);
}

void TrackWriter::End(int64_t time) {
  if (buffer_.size <= kTrackBufferSize - kEndReserve) {
    Delta(time < last_time_ ? last_time_ : time);
    Put(0xFF);
    Put(0x2F);
    Put(0x00);
  }
  running_ = 0;
  FinishTrackIn(buffer_);
}

void NoteCounters::Clear() {
  std::memset(count, 0, sizeof count);
}

void NoteCounters::Count(uint8_t status, uint8_t note, uint8_t velocity) {
  const int kind = status & 0xF0;
  uint32_t& c = count[status & 0x0F][note];
  if (kind == 0x90 && velocity > 0) {
    ++c;
  } else if ((kind == 0x80 || kind == 0x90) && c > 0) {
    --c;
  }
}

void NoteCounters::WriteNoteOffs(TrackWriter& out, int64_t time) const {
  for (int channel = 0; channel < 16; ++channel) {
    for (int note = 0; note < 256; ++note) {
      for (uint32_t i = 0; i < count[channel][note]; ++i) {
        if (!out.Channel(time, static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(note), 0,
                         false)) {
          return;
        }
      }
    }
  }
}

}  // namespace qm3
