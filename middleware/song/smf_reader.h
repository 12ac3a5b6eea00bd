// A checked reader for Standard MIDI File bytes from outside: finds the first
// track and walks its events with every length checked against what is left.
// Variable-length numbers have at most 4 bytes, data bytes are below 0x80,
// running status is only accepted after a channel message, and a track that
// stops without an end of track ends where the last whole event ended.
//
// Thread rules: reentrant; reads only the bytes it is given; never allocates.
#pragma once
#include <cstdint>

namespace qm3 {

// Data bytes after a channel status 0x80..0xEF; 0 for anything else.
int SmfChannelDataLength(uint8_t status);

// Reads a variable-length number of at most 4 bytes at *pos, below `limit`.
// On success advances *pos; false (and *pos unchanged) when it runs past the
// limit or has a fifth byte.
bool SmfReadNumber(const uint8_t* bytes, int32_t limit, int32_t* pos, int32_t* value);

// Offset of the first event of the first track: "MThd" at 0, or after a
// 128-byte prefix; its length skipped; then "MTrk" and its length field.
// -1 when any of that is missing or runs past `size`.
int32_t SmfFirstEvent(const uint8_t* bytes, int32_t size);

// Where the first track's events stop being readable: normally `size`, but
// the declared track length when another chunk ("MTrk") starts right there,
// so that a first track without an end of track does not run into the next.
int32_t SmfTrackLimit(const uint8_t* bytes, int32_t size, int32_t first_event);

struct SmfEvent {
  int64_t time = 0;  // absolute ticks
  int32_t delta = 0;
  int32_t offset = 0;  // where the event starts (its delta)
  int32_t body = 0;    // after the delta: the status byte, or data under running status
  int32_t end = 0;     // just after the event
  uint8_t status = 0;  // 0x80..0xEF (running status resolved), 0xF0, 0xF7 or 0xFF
  uint8_t type = 0;    // meta type for 0xFF
  int32_t data = 0;    // offset of the data: channel data bytes, system-exclusive or meta payload
  int32_t length = 0;  // number of data bytes
  bool running = false;

  bool IsChannel() const { return status >= 0x80 && status < 0xF0; }
  int Channel() const { return status & 0x0F; }
  int Kind() const { return status & 0xF0; }
};

enum class SmfStep {
  kEvent,      // `event` holds the next event
  kEnd,        // end of track: `event` is the FF 2F event
  kTruncated,  // no further whole event: the track ends at the last time read;
               // `event.offset` is where reading stopped
};

class SmfTrackReader {
 public:
  // Reads from `first_event` up to `limit` (see SmfTrackLimit); event times
  // count from `start_time`.
  SmfTrackReader(const uint8_t* bytes, int32_t limit, int32_t first_event, int64_t start_time = 0);
  // For a whole image: finds the first track itself; Valid() tells whether it
  // did.
  SmfTrackReader(const uint8_t* bytes, int32_t size);

  bool Valid() const { return valid_; }
  SmfStep Next(SmfEvent* event);
  int64_t time() const { return time_; }
  int32_t position() const { return pos_; }

 private:
  SmfStep Stop(SmfEvent* event);

  const uint8_t* bytes_;
  int32_t limit_;
  int32_t pos_;
  int64_t time_ = 0;
  uint8_t running_ = 0;
  bool valid_ = true;
  bool done_ = false;
};

}  // namespace qm3
