// The module's behaviour on the wire, as a discrete-event machine on the
// platform clock: bytes from the bulk OUT pipe arrive with their time, the
// engine keeps its own clock (following MIDI clock in song playback, or
// generating it as clock master in a real-time run), plays the style engine,
// routes channel messages to the synth, and queues what the module sends
// back on its bulk IN pipe.
//
// Thread rules: not locked; the sound module's engine lock serialises every
// call. Nothing here waits or reads files; after Open nothing allocates.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "command_queue.h"
#include "style_bank.h"
#include "style_player.h"
#include "usb_midi_codec.h"

namespace corvane {

struct InPacket {
  uint64_t us;
  std::array<uint8_t, 4> bytes;
};

class ModuleEngine final : private MidiMessageSink, private StyleSink {
 public:
  explicit ModuleEngine(const StyleBank& bank);

  // The module as after power-on, at `us`.
  void PowerOn(uint64_t us);
  // Runs every scheduled event up to and including `us`.
  void AdvanceTo(uint64_t us);
  // Bulk OUT bytes that arrived at `us`.
  void Receive(uint64_t us, const uint8_t* data, size_t len);

  // Bulk IN packets due at `us`, at most `max` of them, into `out`, and
  // when `sent_us` is not null the time each was sent at.
  size_t TakeInPackets(uint64_t us, uint8_t* out, size_t max, uint64_t* sent_us = nullptr);
  // Time of the next thing the engine will do or send (for waiting readers).
  std::optional<uint64_t> NextWake() const;
  // Earliest time the engine may queue bulk IN packets unless bytes arrive
  // first: like NextWake, but style ticks that play nothing are passed over.
  std::optional<uint64_t> NextSend() const;

  CommandQueue& commands() { return commands_; }

 private:
  enum class SoundSet { kNative, kGm, kGs };
  struct ChannelState {
    uint8_t bank_coarse = 0;
    uint8_t bank_fine = 0;
    uint8_t rpn_coarse = 0x7F;
    uint8_t rpn_fine = 0x7F;
    bool drums = false;
  };

  void OnMidiMessage(int cable, const uint8_t* bytes, size_t len) override;
  void OnStyleMessage(uint8_t status, uint8_t data1, uint8_t data2) override;

  void HandleSysEx(const uint8_t* bytes, size_t len);
  void HandleChannel(uint8_t status, uint8_t d1, uint8_t d2);
  void HandleChordNote(bool on, uint8_t key);
  void HandleControl(int ch, uint8_t controller, uint8_t value);
  void HandleProgram(int ch, uint8_t program);
  void HandleClockByte();
  void HandleStart();
  void HandleStop();

  void Initialise();
  void SetMood(bool dark);
  void ResetChannels(SoundSet set);
  void SetDrums(int ch, bool drums);
  bool SongMode() const { return sound_set_ == SoundSet::kNative && play_mode_ == 2; }
  int TempoBpm() const;
  uint64_t ClockPeriodUs() const;

  void ClockTick(uint64_t period_us);  // a style tick now, three more to come
  void ScheduleSubTicks(uint64_t period_us);
  void RunSubTick();
  uint64_t MasterClockTime(uint64_t index) const;

  void Emit(SynthOp op, int ch, int a, int b);
  void Send(uint8_t status, uint8_t d1, uint8_t d2);

  const StyleBank& bank_;
  UsbMidiDecoder decoder_;
  StylePlayer player_;
  CommandQueue commands_;
  std::vector<InPacket> in_ring_;
  size_t in_head_ = 0;
  size_t in_count_ = 0;

  uint64_t now_ = 0;  // time of the event being handled
  SoundSet sound_set_ = SoundSet::kNative;
  int play_mode_ = 2;
  bool clock_master_ = false;
  int clock_tempo_ = 0;  // 0: none given since initialisation
  const Style* style_ = nullptr;
  std::optional<std::pair<int, int>> rhythm_keys_;  // the selected rhythm's keys 2 and 3
  // The song's mood, from the chord channel's mood controller: the dark
  // mood plays the style's dark variant.
  bool dark_mood_ = false;
  std::array<ChannelState, 16> channels_{};
  std::array<uint8_t, 128> chord_keys_{};

  bool transport_running_ = false;  // between Start and Stop
  std::optional<uint64_t> last_clock_us_;
  uint64_t follow_period_us_ = 0;
  std::array<uint64_t, 3> sub_ticks_{};
  int sub_tick_count_ = 0;
  int sub_tick_next_ = 0;
  // Clock master: clock i of the current tempo segment sounds at
  // segment_start_ + i * 2500000 / tempo microseconds.
  bool master_running_ = false;
  uint64_t segment_start_us_ = 0;
  uint64_t segment_index_ = 0;
  int segment_tempo_ = 120;
};

}  // namespace corvane
