// Writing Standard MIDI Files: a track of events at absolute times with
// shortest-form deltas, the header and track chunks around it, and the fixed
// 22-byte start of a single-track file (format 0, division 96).
//
// Thread rules: plain value types; no locking; the writer grows its own
// vector.
#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

namespace midibytes {

// "MThd", 6, format 0, 1 track, division 96, then "MTrk" with length 0.
extern const uint8_t kSingleTrackTemplate[22];

class TrackWriter {
 public:
  // Times never go back: an event before the last one is written at the
  // last one's time.
  void Channel(int64_t time, uint8_t status, uint8_t data1, uint8_t data2 = 0);
  void Meta(int64_t time, uint8_t type, const uint8_t* data, uint32_t length);
  void Meta(int64_t time, uint8_t type, std::string_view text);
  // F0 or F7 followed by its length and `data` (which ends with F7 for a
  // whole message).
  void SysEx(int64_t time, uint8_t status, const uint8_t* data, uint32_t length);
  // FF 2F 00 at `time` (never before the last event). Nothing may follow.
  void End(int64_t time);

  const std::vector<uint8_t>& bytes() const { return bytes_; }
  int64_t last_time() const { return last_time_; }

 private:
  void Delta(int64_t time);

  std::vector<uint8_t> bytes_;
  int64_t last_time_ = 0;
};

// A whole file: header chunk, then one "MTrk" chunk per track body.
std::vector<uint8_t> AssembleFile(uint16_t format, uint16_t division,
                                  const std::vector<std::vector<uint8_t>>& tracks);

}  // namespace midibytes
