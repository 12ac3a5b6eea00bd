// The three work buffers and the byte-level writing of the current one.
#include "song/track_buffer.h"

#include <array>
#include <cstring>
#include <stdexcept>

#include "core/middleware.h"
#include "midibytes/number.h"
#include "midibytes/track_walker.h"
#include "midibytes/track_writer.h"
#include "song/track_writer.h"

namespace qm3 {

// One system-exclusive message gathered byte by byte, F0 excluded.
constexpr int32_t kGatherSize = 4096;

struct TrackBuffers {
  std::array<TrackBuffer, kTrackBufferCount> buffers;
  int current = 0;
  uint8_t gather[kGatherSize];
  int32_t gathered = 0;
  bool gathering = false;
  TrackScratch scratch;
};

PartState<TrackBuffers> MakeTrackBuffers() {
  return MakePartState<TrackBuffers>();
}

namespace {

TrackBuffers& T() {
  return *TheMiddleware().tracks;
}

TrackBuffer& Current() {
  TrackBuffers& t = T();
  return t.buffers[t.current];
}

}  // namespace

Rc SelectTrackBuffer(int number) {
  if (!IsTrackNumber(number)) return kRcError;
  T().current = number;
  return kRcOk;
}

int CurrentTrackBuffer() {
  return T().current;
}

TrackBuffer& TrackBufferAt(int number) {
  if (!IsTrackNumber(number)) throw std::out_of_range("no such track buffer");
  return T().buffers[number];
}

TrackScratch& TrackScratchSpace() {
  return T().scratch;
}

const TrackBuffer& CurrentTrack() {
  return Current();
}

void NewTrack() {
  TrackWriter(Current()).Start();
}

void PutByte(uint8_t byte) {
  TrackBuffer& b = Current();
  if (b.size < kTrackBufferSize) b.bytes[b.size++] = byte;
}

void PutBytes(const uint8_t* bytes, int32_t count) {
  for (int32_t i = 0; i < count; ++i) PutByte(bytes[i]);
}

void PutPacked(uint32_t value, int count) {
  for (int i = 0; i < count && i < 4; ++i) PutByte(static_cast<uint8_t>(value >> (8 * i)));
}

void PutDelta(int64_t ticks) {
  uint8_t number[4];
  PutBytes(number, midibytes::EncodeNumber(ticks, number));
}

void PutSysExByte(uint8_t byte) {
  TrackBuffers& t = T();
  if (byte == 0xF0) {
    t.gathering = true;
    t.gathered = 0;
    return;
  }
  if (!t.gathering) return;
  // The last place is kept for F7, so an over-long message still ends.
  if (byte == 0xF7 || t.gathered < kGatherSize - 1) t.gather[t.gathered++] = byte;
  if (byte != 0xF7) return;
  t.gathering = false;
  PutByte(0xF0);
  PutDelta(t.gathered);
  PutBytes(t.gather, t.gathered);
}

void PutSystemExclusive(const uint8_t* message, int32_t count) {
  for (int32_t i = 0; i < count; ++i) PutSysExByte(message[i]);
}

void PutTempo(uint32_t microseconds_per_quarter) {
  const uint8_t event[6] = {0xFF,
                            0x51,
                            0x03,
                            static_cast<uint8_t>(microseconds_per_quarter >> 16),
                            static_cast<uint8_t>(microseconds_per_quarter >> 8),
                            static_cast<uint8_t>(microseconds_per_quarter)};
  PutBytes(event, 6);
}

void PutEndOfTrack() {
  const uint8_t event[3] = {0xFF, 0x2F, 0x00};
  PutBytes(event, 3);
}

void FinishTrack() {
  FinishTrackIn(Current());
}

Rc CopyTrack(int from, int to) {
  if (!IsTrackNumber(from) || !IsTrackNumber(to)) return kRcError;
  if (from == to) return kRcOk;
  TrackBuffers& t = T();
  std::memcpy(t.buffers[to].bytes, t.buffers[from].bytes, t.buffers[from].size);
  t.buffers[to].size = t.buffers[from].size;
  return kRcOk;
}

int GetTrackByte(int32_t offset) {
  const TrackBuffer& b = Current();
  return offset >= 0 && offset < b.size ? b.bytes[offset] : -1;
}

void SetTrackByte(int32_t offset, uint8_t value) {
  TrackBuffer& b = Current();
  if (offset >= 0 && offset < b.size) b.bytes[offset] = value;
}

int32_t GetTrackNumber(int32_t* offset) {
  uint32_t value = 0;
  if (!midibytes::ReadNumber(Current().bytes, Current().size, offset, &value)) return -1;
  return static_cast<int32_t>(value);
}

int32_t FirstEvent() {
  return midibytes::FirstTrackEvent(Current().bytes, Current().size);
}

}  // namespace qm3
