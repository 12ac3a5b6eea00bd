// Walks the events of one track chunk with every length checked against
// what is left: variable-length numbers of at most 4 bytes, data bytes below
// 0x80, running status only after a channel message, meta and system-
// exclusive lengths inside the track. A track that stops without an end of
// track ends where the last whole event ended, and says why it stopped.
//
// Thread rules: reentrant; reads only the bytes it is given; never allocates.
#pragma once
#include <cstdint>

namespace midibytes {

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
  bool IsEndOfTrack() const { return status == 0xFF && type == 0x2F; }
  int Channel() const { return status & 0x0F; }
  int Kind() const { return status & 0xF0; }
};

enum class SmfStep {
  kEvent,      // `event` holds the next event
  kEnd,        // end of track: `event` is the FF 2F event
  kTruncated,  // no further whole event: the track ends at the last time read;
               // `event.offset` is where reading stopped, stop() says why
};

// Why a walk stopped without an end of track.
enum class WalkStop {
  kNone,             // still walking, or ended by FF 2F
  kEndOfData,        // the bytes ended exactly after a whole event
  kBadNumber,        // a delta or length runs past the end or has 5+ bytes
  kMissingEvent,     // a delta with nothing after it
  kNoRunningStatus,  // a data byte where a status is needed
  kBadDataByte,      // a channel data byte of 0x80 or more, or data past the end
  kLengthPastEnd,    // a meta or system-exclusive length larger than what is left
  kSystemMessage,    // F1..F6, F8..FE have no place in a file
};

// Offset of the first event of the first track: "MThd" at 0, or after a
// 128-byte prefix; its length skipped; then "MTrk" and its length field.
// -1 when any of that is missing or runs past `size`.
int32_t FirstTrackEvent(const uint8_t* bytes, int32_t size);

// Where the first track's events stop being readable: normally `size`, but
// the declared track length when another chunk ("MTrk") starts right there,
// so that a first track without an end of track does not run into the next.
int32_t FirstTrackLimit(const uint8_t* bytes, int32_t size, int32_t first_event);

class TrackWalker {
 public:
  // Reads from `first_event` up to `limit`; event times count from
  // `start_time`.
  TrackWalker(const uint8_t* bytes, int32_t limit, int32_t first_event, int64_t start_time = 0);
  // For a whole image: finds the first track itself; Valid() tells whether it
  // did.
  TrackWalker(const uint8_t* bytes, int32_t size);

  bool Valid() const { return valid_; }
  SmfStep Next(SmfEvent* event);
  int64_t time() const { return time_; }
  int32_t position() const { return pos_; }
  int32_t limit() const { return limit_; }
  WalkStop stop() const { return stop_; }

 private:
  SmfStep Stop(SmfEvent* event, WalkStop why);

  const uint8_t* bytes_;
  int32_t limit_;
  int32_t pos_;
  int64_t time_ = 0;
  uint8_t running_ = 0;
  bool valid_ = true;
  bool done_ = false;
  WalkStop stop_ = WalkStop::kNone;
};

}  // namespace midibytes
