// The MIDI track buffers: three fixed 1 MiB work buffers, each holding one
// single-track Standard MIDI File image (format 0, division 96), and the track
// operations every song, conversion and recording is built with.
//
// The buffers belong to the middleware instance (core/middleware.h).
//
// Thread rules: the buffers are unlocked; every operation
// runs on the host thread (or with the middleware lock held), except Fetch,
// which the real-time run drives from the MIDI input callback while no other
// operation runs. Nothing allocates or blocks, except LoadTrack/SaveTrack,
// which do file I/O.
#pragma once
#include <cstdint>
#include <string>

#include "core/result.h"

namespace qm3 {

constexpr int kTrackBufferCount = 3;
constexpr int32_t kTrackBufferSize = 1048576;
// A fresh image: 14-byte header chunk plus the 8-byte track chunk header.
constexpr int32_t kTrackHeaderSize = 22;
// Largest delta time a variable-length number of four bytes holds.
constexpr int32_t kMaxDelta = 0x0FFFFFFF;

// Track operations answer kRcOk; kRcNoMemory when a result would not fit
// into a buffer; kRcUnsupportedFile when there is no "MThd"/"MTrk" where
// they belong, or no end of track; kRcError for an unknown buffer, a source
// that is also the target, or meter 0.

struct TrackBuffer {
  uint8_t bytes[kTrackBufferSize];
  int32_t size;
};

// ---- buffers ----------------------------------------------------------------
// kRcError for a number outside 0..2; the current buffer stays.
Rc SelectTrackBuffer(int number);
int CurrentTrackBuffer();
// Direct access for readers that walk an image themselves (playback, export).
// Callers check the number first: an unknown one throws std::out_of_range
// (a fault of the caller, which the C boundary turns into the error code).
TrackBuffer& TrackBufferAt(int number);
const TrackBuffer& CurrentTrack();

// ---- writing the current buffer ---------------------------------------------
// Size 0, then the 22-byte header template with track length 0.
void NewTrack();
// Appends; a byte that does not fit (buffer full) is dropped silently.
void PutByte(uint8_t byte);
void PutBytes(const uint8_t* bytes, int32_t count);
// Appends `count` (0..4) bytes of `value`, lowest byte first: a channel
// message packed as status + data1 * 256 + data2 * 65536.
void PutPacked(uint32_t value, int count);
// Variable-length delta; negative values write 0, values above kMaxDelta
// write kMaxDelta.
void PutDelta(int64_t ticks);
// Gathers one system-exclusive message byte by byte from F0 on; at F7 writes
// F0, the variable-length count of the bytes after F0 (F7 included), then
// those bytes. Bytes before an F0 are ignored.
void PutSysExByte(uint8_t byte);
void PutSystemExclusive(const uint8_t* message, int32_t count);  // F0 ... F7
// FF 51 03 and the 24-bit value, most significant byte first.
void PutTempo(uint32_t microseconds_per_quarter);
void PutEndOfTrack();  // FF 2F 00 (the delta is the caller's)
// Writes the event byte count into the track length field.
void FinishTrack();

// ---- whole-track operations ---------------------------------------------------
// Appends `other`'s events after the current track's end: its end of track
// becomes an empty marker (FF 06 00). kRcNoMemory when the result would not
// fit, kRcUnsupportedFile when the current track does not end with FF 2F 00 or
// `other` has no track; nothing changes then. The length field is left for
// FinishTrack.
Rc JoinTrack(int other);
// kRcError for an unknown buffer.
Rc CopyTrack(int from, int to);
// Cuts the current track at `tick`: events at or after it are dropped, notes
// still sounding get note offs at `tick`, and the track ends exactly there
// (also when it ended earlier). Finished.
Rc CutTrack(int32_t tick);
// Every tempo event (FF 51) becomes a marker event (FF 06) of the same length.
Rc StripTempo();
// New track: F7 01 F8 at start, start + step, ... while below end; the end of
// track at end; finished. A step below 1 writes no clock.
void ClockTrack(int32_t start, int32_t end, int32_t step);
// New track in the current buffer with the events of `a` and `b` in time
// order, `a` first at equal times. Neither may be the current buffer.
Rc MergeTracks(int a, int b);
// New track with channel `channel` (0..15) of `source` only.
Rc ChannelTrack(int source, int channel);
// New track with the events of [from, to) of `source` at time - from + offset,
// preceded at time 0 by the state in force at `from` (tempo, time signature,
// registered parameters, pitch bend, bank and program, controllers). Note on
// and note off events of the channels set in `drop_note_channels` (bit n =
// channel n) are left out. The header chunk is the source's.
Rc RangeTrack(int source, int32_t from, int32_t to, int32_t offset,
              uint16_t drop_note_channels = 0);
// New track with every event time of `source` mapped from `beats_from` to
// `beats_to` beats per measure. Beat counts below 1 are refused.
Rc MeterTrack(int source, int beats_from, int beats_to);

// ---- byte access --------------------------------------------------------------
int GetTrackByte(int32_t offset);  // -1 outside the current size
void SetTrackByte(int32_t offset, uint8_t value);
// Reads a variable-length number (at most 4 bytes) at *offset and advances
// it; -1 when the number runs past the size or is longer than 4 bytes.
int32_t GetTrackNumber(int32_t* offset);
// Offset of the first event of the first track ("MThd" at 0 or after a
// 128-byte prefix, then "MTrk"), or -1.
int32_t FirstEvent();

// ---- files ----------------------------------------------------------------------
// Writes the whole image (through a temporary file renamed into place); false
// when the file cannot be created or not every byte was written.
bool SaveTrack(const std::string& path);
// Reads the whole file into the current buffer. A file that cannot be opened
// or is larger than a buffer leaves the buffer as it was and gives false.
bool LoadTrack(const std::string& path);
// The same from memory (at most kTrackBufferSize bytes, else false).
bool LoadTrackBytes(const uint8_t* bytes, int64_t count);

// ---- fetch: the current buffer as a looping event source --------------------------
enum FetchMode : int {
  kFetchRewind = 0,       // back to the first event; counters cleared
  kFetchShort = 1,        // next due channel message, packed; 0 when none is due
  kFetchLong = 2,         // as kFetchShort, and system exclusive up to 1022 bytes
  kFetchMessage = 3,      // see FetchMessage
  kFetchNoteOff = 65536,  // one note off for a note still sounding, 0 when none
};
// Mode kFetchLong returns (bytes copied * 256 + status) for a system-exclusive
// event, whose bytes FetchMessage() then holds (with a leading F0 when its
// status is F0). At the end of the track reading restarts at the first event
// with no gap; a call that wraps twice without finding a channel message
// returns 0, so a track without one never loops endlessly.
uint32_t FetchEvent(int64_t limit, int mode);
const uint8_t* FetchMessage();
// Running time of the fetch (ticks, growing across loops) and loops completed.
int64_t FetchTime();
int32_t FetchLoops();

}  // namespace qm3
