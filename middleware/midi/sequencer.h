// The sequencer: plays a Standard MIDI File (or a memory image) through a
// MIDI stream with two 2048-byte buffers, a growing preroll buffer that
// restores the state at the start tick, an optional count-in, main volume
// insertion, part muting and unplug detection.
//
// Thread rules: Open/Preroll/Start/Stop/Position run on the play thread. The
// stream's buffer-done callback runs on the device thread and refills buffers
// there; it never allocates or blocks. The state and counters are atomics.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "core/result.h"
#include "midi/chase_state.h"
#include "midi/sequence_file.h"
#include "platform/mmsystem.h"

namespace qm3::midi {

enum class SeqState : int {
  kNoFile = 0,
  kOpened = 1,
  kPrerolling = 2,
  kPrerolled = 3,
  kPlaying = 4,
  kPaused = 5,
  kStopping = 6,
  kResetting = 7,
};

struct SequencerOptions {
  int edit_mode = 0;                // 0 song, 1/2 SMF and content
  bool count_in = false;            // the pre-count flag of the play thread
  bool gm_voices = false;           // count-in clicks on key 33 instead of 47
  double tempo_ratio = 1.0;         // SMF tempo ratio; 1.0 for songs
  int32_t tempo_control = 1200000;  // 0x0409, 1/10000 BPM
  // Part play flags (0x4103 + 4n); a muted part's notes are dropped in SMF modes.
  std::array<bool, 16> part_playing{};
  // When set, the parts muted now (bit n: part n + 1), instead of the flags.
  const std::atomic<uint16_t>* muted_parts = nullptr;
  SequencerOptions() { part_playing.fill(true); }
};

class Sequencer {
 public:
  static constexpr size_t kBufferSize = 2048;
  static constexpr int kBufferCount = 2;
  static constexpr size_t kPrerollStart = 4096;
  static constexpr size_t kPrerollMax = 32768;

  Sequencer();
  ~Sequencer();
  Sequencer(const Sequencer&) = delete;
  Sequencer& operator=(const Sequencer&) = delete;

  // kRcOk or kRcMidiDeviceNotOpened (an invalid file stays closed).
  Rc OpenFile(const std::string& path, double scale);
  Rc OpenImage(const uint8_t* image, size_t size, double scale);
  void set_options(const SequencerOptions& o) { options_ = o; }
  void set_output_device(uint32_t device) { device_ = device; }

  // kRcOk; kRcError in the wrong state or for a start beyond the file's
  // end; kRcMidiDeviceNotOpened when the stream fails; kRcNoMemory;
  // kRcUnsupportedFile for events the reader cannot read.
  Rc Preroll(uint32_t start, uint32_t end);
  // kRcOk or kRcMidiDeviceNotOpened.
  Rc StartPlay(uint32_t start, uint32_t end);
  uint32_t GetPosition();
  // The clock time of a position (as GetPosition counts them) once the
  // stream plays at its final tempo; false before or when not playing.
  bool ClockOfPosition(uint32_t position, uint64_t* us);
  // Stops, closes; kRcOk or kRcMidiDeviceNotOpened when the stream does not stop.
  Rc StopPlay();

  SeqState state() const { return state_.load(); }
  bool end_of_file() const { return eof_.load(); }
  uint32_t length() const { return Unscale(file_.length_ticks()); }

 private:
  struct Buffer {
    platform::MIDIHDR header{};
    uint8_t* data = nullptr;
    size_t capacity = 0;
  };

  static void StreamCallback(platform::HMIDI, platform::UINT msg, platform::DWORD_PTR instance,
                             platform::DWORD_PTR p1, platform::DWORD_PTR p2);
  void OnBufferDone(platform::MIDIHDR* header);
  Rc Seek(StreamWriter& w, uint32_t start);
  bool WriteCountIn(StreamWriter& w) const;
  // kRcOk, or kRcUnsupportedFile; sets eof_ at the end.
  Rc ReadIntoBuffer(StreamWriter& w);
  bool ModulePortPresent() const;
  Rc QueueBuffer(Buffer& b, size_t used);
  bool PartMuted(int channel) const;
  uint32_t Scale(uint32_t t) const;
  uint32_t Unscale(uint32_t t) const;
  uint32_t CountInBeat() const;
  uint32_t StreamOffset() const;
  void WaitNoBuffersOut();
  void Close();

  SequencerOptions options_;
  uint32_t device_ = 0;
  double scale_ = 1.0;
  std::vector<uint8_t> owned_image_;
  SequenceFile file_;
  platform::HMIDISTRM stream_ = nullptr;
  std::unique_ptr<uint8_t[]> block_;
  Buffer buffers_[kBufferCount];
  std::mutex free_mu_;  // held for a few instructions by either thread
  std::vector<Buffer*> free_list_;
  std::unique_ptr<uint8_t[]> preroll_data_;
  Buffer preroll_;
  std::atomic<SeqState> state_{SeqState::kNoFile};
  std::atomic<int> buffers_out_{0};
  std::atomic<bool> eof_{false};
  std::atomic<bool> stop_pending_{false};
  uint32_t start_tick_ = 0;
  uint32_t end_tick_ = 0;
  ChaseState chase_;
  // A long message cut at the end of a buffer, continued in the next.
  const uint8_t* cut_bytes_ = nullptr;
  uint32_t cut_left_ = 0;
  // The next event when a long wait before it was cut at a buffer's end.
  SeqEvent held_;
  bool has_held_ = false;
};

}  // namespace qm3::midi
