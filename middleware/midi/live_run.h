// The live run of the real-time song window: the sound module is the clock
// master and every MIDI clock it sends drives this engine, which feeds the
// melody and chords six ticks ahead, switches the module's rhythm sections at
// bar lines, moves the section lamps, fades out, and records which section
// each measure used.
//
// Thread rules: Start, Stop, the requests and every accessor run on the host
// thread. The clock handler runs on the input port's device thread; once the
// input has started it alone sends on the run's output port and writes the
// section state. The host hands requests over through a short locked queue
// (never held across a wait), and reads lamps, song length and the end of the
// run through atomics. Stop waits (on the platform clock) until no clock is
// being handled, then owns everything again. The recording is read on the
// host thread only while no run is active.
#pragma once
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/result.h"
#include "platform/clock.h"
#include "platform/mmsystem.h"

namespace qm3::midi {

// Section numbers of a run.
enum LiveSection : int {
  kSectionNone = 0,
  kSectionIntro1 = 1,   // .. 4
  kSectionEnding1 = 5,  // .. 8
  kSectionFillDown = 9,
  kSectionFillUp = 10,
  kSectionVariation1 = 11,  // .. 14
  kSectionFinished = 15,
};

// A run ends itself after this many measures, which bounds the recording.
inline constexpr int kMaxRunMeasures = 997;
// Without a clock for this long, the module's input counts as gone.
inline constexpr uint64_t kInputSilenceUs = 1000000;

// What a run needs of its rhythm, gathered on the host thread at start.
struct LiveRhythm {
  int beats = 4;  // beats per measure b
  int tempo_bpm = 120;
  int transpose = 0;  // semitones
  uint8_t key_b = 0;  // the rhythm set-up's two values
  uint8_t key_c = 0;
  uint8_t melody_program = 0;
  uint8_t melody_bank = 0;
  // Part volumes for channels 1, 16, 15, 12, 13 and 14.
  std::array<uint8_t, 6> part_volumes{120, 118, 118, 113, 113, 113};
  std::array<int, 4> intro_measures{1, 1, 1, 1};
  std::array<int, 4> ending_measures{1, 1, 1, 1};
  // The run ends itself after this many measures (at most kMaxRunMeasures;
  // fewer when the song length could not hold them in a wide meter).
  int max_measures = kMaxRunMeasures;
};

// One entry per recorded measure: the section and the variation index.
struct LiveRecording {
  int count = 0;
  std::array<uint8_t, kMaxRunMeasures> sections{};
  std::array<uint8_t, kMaxRunMeasures> variations{};
};

// How the last run ended (kNone while it runs or before any run).
enum class LiveEnd : int { kNone, kStopped, kAtBarLine, kMeasureLimit, kInputLost };

// Watches a run from its device thread (tests and benchmarks): every clock
// handled, every message sent with the clock that sent it, every section
// change. Any member may be null.
struct LiveObserver {
  void* context = nullptr;
  void (*clock)(void* context, uint64_t n, uint64_t time_us) = nullptr;
  void (*sent)(void* context, uint64_t n, uint64_t time_us, uint32_t message) = nullptr;
  void (*sent_long)(void* context, uint64_t n, const uint8_t* bytes, size_t size) = nullptr;
  void (*section)(void* context, uint64_t n, int section) = nullptr;
};

class LiveRun {
 public:
  // Where the run sends and listens, and what prepares its material (the
  // melody cycle in track buffer 1, the intro measure in buffer 0); the
  // preparer returns kRcOk or the failure.
  struct Ports {
    uint32_t output_device = 0;
    uint32_t input_device = 0;
    Rc (*prepare_material)() = nullptr;
  };

  LiveRun() = default;
  ~LiveRun();
  LiveRun(const LiveRun&) = delete;
  LiveRun& operator=(const LiveRun&) = delete;

  // Entering the window: no section, variation index 1, nothing recorded,
  // recording off.
  void Reset();

  // kRcMidiDeviceNotOpened when a port does not open, kRcNoMemory without
  // memory; kRcOk also when a run is already active.
  Rc Start(const Ports& ports, const LiveRhythm& rhythm);
  // Ends the run (sound off, ports closed); the recording stays.
  void Stop();
  // True between Start and Stop (also after the run ended itself, until
  // Stop closes its ports).
  bool active() const { return active_; }
  // The run ended by itself (at a bar line, at the measure limit, or with
  // its input gone): nothing sounds any more, Stop still has to close it.
  bool ended() const { return end_.load() != LiveEnd::kNone; }
  LiveEnd end_reason() const { return end_.load(); }

  // The section buttons (k counts from 0) and the fade-out button. While no
  // run is active they only choose the first section.
  void RequestIntro(int k);
  void RequestEnding(int k);
  void RequestVariation(int k);
  void RequestFill(int k);
  void RequestFade();
  void StopAtBarEnd();
  // The main volume parameter message, sent on the run's port.
  void SendMainVolume(uint8_t volume);

  bool recording() const { return recording_.load(); }
  // Switched on during a run, the recording starts again from the measure
  // that comes next; switched off, it keeps what it has.
  void SetRecording(bool on);
  // Valid while no run is active.
  const LiveRecording& recorded() const { return *recorded_; }
  void ClearRecorded() { recorded_->count = 0; }
  // Length in clocks of the fade-out the last run performed; 0 when none.
  int fade_clocks() const { return fade_clocks_.load(); }

  // Lamp bits: bit i is the lamp 0x040B + 2 i.
  uint32_t lamps() const { return lamps_.load(); }
  // Ticks played (4 per clock), as the song length shows them.
  int32_t played_ticks() const { return played_ticks_.load(); }
  int beats() const { return rhythm_.beats; }
  int current_section() const { return current_.load(); }

  void SetObserver(const LiveObserver& observer) { observer_ = observer; }

 private:
  enum class Request : uint8_t {
    kIntro,
    kEnding,
    kVariation,
    kFill,
    kFade,
    kStopAtBar,
    kVolume,
    kRecordFromNextMeasure,
  };
  struct Pending {
    Request request;
    int value;
  };

  static void OnInput(platform::HMIDI port, platform::UINT message, platform::DWORD_PTR instance,
                      platform::DWORD_PTR data, platform::DWORD_PTR time);
  Rc OpenPorts(const Ports& ports);
  void ClosePorts();
  void Watch();

  // Device thread (or the host before the input starts / after it stopped).
  void OnClock();
  void Apply(const Pending& p, int r);
  void SetPending(Request request, int k);
  void ChangeSection(int s);
  void SetLamps(uint32_t bits);
  void SendShort(uint32_t message);
  void SendLong(const uint8_t* bytes, size_t size);
  void SendSection(const uint8_t address[4], uint8_t value);
  void SendVariation(int v);
  void SendDue(int64_t position);
  void ReleaseHeld();
  void SwitchSource(int source);
  void SoundOff();
  void EndFromDevice(LiveEnd reason);

  LiveRhythm rhythm_;
  LiveObserver observer_;

  // Ports: owned by the host while the input is stopped, by the device
  // thread while it runs.
  platform::HMIDIOUT out_ = nullptr;
  platform::HMIDIIN in_ = nullptr;
  std::unique_ptr<char[]> long_buffer_;
  platform::MIDIHDR long_header_{};

  bool active_ = false;
  std::atomic<bool> recording_{false};
  std::atomic<bool> stopping_{false};
  std::atomic<int> in_handler_{0};
  std::atomic<LiveEnd> end_{LiveEnd::kNone};
  std::atomic<bool> sound_off_{false};
  std::atomic<uint64_t> last_clock_us_{0};
  std::unique_ptr<platform::Thread> watchdog_;
  std::atomic<bool> watchdog_quit_{false};

  std::mutex requests_mu_;  // guards requests_ only; never held across a wait
  std::vector<Pending> requests_;

  // Section state (device thread while running).
  uint64_t n_ = 0;
  int measure_clocks_ = 96;  // M
  std::atomic<int> current_{0};
  int previous_ = 0;
  int pending_ = 0;
  int variation_ = 1;
  int stay_ = 0;
  int source_ = 1;
  int64_t base_ = 0;
  bool fade_request_ = false;
  bool fade_active_ = false;
  int fade_steps_ = 20;
  int64_t fade_length_ = 0;
  uint64_t fade_start_ = 0;
  bool stop_at_bar_ = false;
  std::array<uint8_t, 16> volumes_{};
  std::unique_ptr<LiveRecording> recorded_ = std::make_unique<LiveRecording>();
  std::atomic<int> fade_clocks_{0};
  std::atomic<uint32_t> lamps_{0};
  std::atomic<int32_t> played_ticks_{0};
};

// The lamp of a section: its bit index 0..9, or -1 for none.
int LampOfSection(int section);

// Watches the real-time window's runs (tests and benchmarks); host thread,
// while no run is active.
void SetLiveRunObserver(const LiveObserver& observer);

}  // namespace qm3::midi
