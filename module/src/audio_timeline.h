// The module's audio as one timeline of frames on the platform clock: synth
// commands apply at the 64-frame block start nearest their frame (so every
// sound starts within half a block, 0.73 ms, of its time), blocks are
// rendered once, in order, into a history ring, and every
// listener (the audio input device, the sound card) reads frames from it.
// Rendering the same commands at the same frames gives the same bytes,
// however the listeners cut their requests.
//
// Thread rules: every call takes the timeline's lock for the length of the
// rendering it needs (about a millisecond per 20 ms of audio); it never
// waits on the clock.
#pragma once
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "synth.h"

namespace corvane {

// Where the timeline gets its commands: the source brings its own state up to
// `now_us` and appends every command it has, in frame order.
class CommandSource {
 public:
  virtual void PullCommands(uint64_t now_us, std::vector<SynthCommand>& out) = 0;

 protected:
  ~CommandSource() = default;
};

uint64_t FrameAt(uint64_t us);  // first frame at or after `us`

// A listener asks for frames only this far behind the clock, so the commands
// of the half block after its last block have arrived.
inline constexpr uint32_t kRenderLookaheadFrames = kBlockFrames;

class AudioTimeline {
 public:
  bool Open(const std::string& sound_font, int render_cores, uint64_t now_us, size_t max_commands);
  void Close();
  Synth& synth() { return synth_; }

  // Frames [from, from + frames) of the interval starting at `from_us`.
  uint32_t Render(uint64_t from_us, int16_t* out, uint32_t frames, CommandSource& source);
  // The sound card's next `frames` frames, following the clock.
  void RenderLive(float* left, float* right, int frames, CommandSource& source);

 private:
  void Pull(CommandSource& source);
  void RenderUntil(uint64_t frame);
  void SkipTo(uint64_t frame);
  void ApplyDue(uint64_t frame, bool skip_notes);
  int16_t* Slot(uint64_t frame);
  bool Held(uint64_t frame) const;

  std::mutex mu_;
  Synth synth_;
  std::vector<int16_t> history_;
  uint64_t cursor_ = 0;         // next frame to render (block aligned)
  uint64_t history_start_ = 0;  // first frame ever rendered since the last skip
  std::vector<SynthCommand> pending_;
  size_t pending_pos_ = 0;
  bool live_started_ = false;
  uint64_t live_frame_ = 0;
};

}  // namespace corvane
