// The software sound module as one object: its engine behind one lock, its
// audio timeline behind another, and the three faces the outside sees (bulk
// OUT, bulk IN, audio render).
//
// Thread rules: WriteOut and ReadIn run on the driver's (or the socket
// server's) threads; ReadIn waits on the platform clock only, never holding a
// lock. RenderAudio and RenderLive run on audio device threads. Open and
// Close run on the controlling thread while no face is registered.
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "audio_timeline.h"
#include "module_engine.h"
#include "style_bank.h"

namespace corvane {

class SoundModule final : private CommandSource {
 public:
  SoundModule() = default;
  ~SoundModule();

  // False when the synth cannot be set up (an unreadable SoundFont).
  bool Open(const std::string& data_dir, const std::string& sound_font, int render_cores);
  void Close();
  bool is_open() const { return open_.load(); }

  // Bulk OUT: the bytes accepted, or -1 when the module is closed.
  int WriteOut(const uint8_t* data, int len);
  // Bulk IN: whole packets due by now, waiting up to `timeout_ms` for the
  // first; 0 on time-out, -1 when closed.
  int ReadIn(uint8_t* data, int capacity, unsigned timeout_ms);
  // Bulk IN: whole packets due by now, at once, with the time each was sent
  // at; -1 when closed.
  int ReadInTimed(uint8_t* data, int capacity, uint64_t* sent_us);
  // When bulk IN may next have data unless something is written first
  // (~0: nothing scheduled). Takes the engine lock briefly.
  uint64_t NextInMicroseconds();
  uint32_t RenderAudio(uint64_t from_us, int16_t* out, uint32_t frames);
  void RenderLive(float* left, float* right, int frames);

  Synth& synth() { return audio_.synth(); }

 private:
  void PullCommands(uint64_t now_us, std::vector<SynthCommand>& out) override;

  std::atomic<bool> open_{false};
  std::mutex engine_mu_;
  StyleBank bank_;
  std::unique_ptr<ModuleEngine> engine_;
  AudioTimeline audio_;
};

}  // namespace corvane
