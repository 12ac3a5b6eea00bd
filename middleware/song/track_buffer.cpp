// The three work buffers and the byte-level writing of the current one.
#include "song/track_buffer.h"

#include <cstring>

#include "midibytes/number.h"
#include "midibytes/track_walker.h"
#include "midibytes/track_writer.h"
#include "song/track_writer.h"

namespace qm3 {

namespace {

TrackBuffer g_buffers[kTrackBufferCount];
int g_current = 0;

// One system-exclusive message gathered byte by byte, F0 excluded.
constexpr int32_t kGatherSize = 4096;
uint8_t g_gather[kGatherSize];
int32_t g_gathered = 0;
bool g_gathering = false;

TrackBuffer& Current() {
  return g_buffers[g_current];
}

}  // namespace

void SelectTrackBuffer(int number) {
  if (IsTrackNumber(number)) g_current = number;
}

int CurrentTrackBuffer() {
  return g_current;
}

TrackBuffer& TrackBufferAt(int number) {
  return g_buffers[IsTrackNumber(number) ? number : g_current];
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
  if (byte == 0xF0) {
    g_gathering = true;
    g_gathered = 0;
    return;
  }
  if (!g_gathering) return;
  // The last place is kept for F7, so an over-long message still ends.
  if (byte == 0xF7 || g_gathered < kGatherSize - 1) g_gather[g_gathered++] = byte;
  if (byte != 0xF7) return;
  g_gathering = false;
  PutByte(0xF0);
  PutDelta(g_gathered);
  PutBytes(g_gather, g_gathered);
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

void CopyTrack(int from, int to) {
  if (!IsTrackNumber(from) || !IsTrackNumber(to) || from == to) return;
  std::memcpy(g_buffers[to].bytes, g_buffers[from].bytes, g_buffers[from].size);
  g_buffers[to].size = g_buffers[from].size;
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
