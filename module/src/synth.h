// The module's sound: FluidSynth with a General MIDI SoundFont, driven by
// synth commands and rendered in whole 64-frame blocks of 16-bit stereo, so
// that the same commands at the same frames give the same bytes.
//
// Thread rules: not locked; the audio timeline owns it and serialises every
// call. Render never allocates; Open/Close allocate (start and stop only).
// With more than one core, FluidSynth's own mixer threads render voices
// during a Render call and are idle between calls; Open joins a helper thread
// of the SoundFont load (see sound_font_file.h).
#pragma once
#include <cstdint>
#include <string>

typedef struct _fluid_hashtable_t fluid_settings_t;
typedef struct _fluid_synth_t fluid_synth_t;

namespace corvane {

inline constexpr uint32_t kSampleRate = 44100;
inline constexpr uint32_t kBlockFrames = 64;
inline constexpr uint32_t kMaxRunFrames = 64 * kBlockFrames;

enum class SynthOp : uint8_t {
  kNoteOn,
  kNoteOff,
  kControl,
  kProgram,  // a = SoundFont bank (128 = drum kits), b = program
  kPitchBend,
  kChannelPressure,
  kKeyPressure,
  kChannelType,  // a = 1: drum channel
  kGain,         // a = main volume 0..127
  kReset,        // every voice off, controllers and programs reset
};

struct SynthCommand {
  uint64_t frame = 0;  // the block starting at or after it applies it
  SynthOp op = SynthOp::kNoteOn;
  uint8_t channel = 0;
  uint16_t a = 0;
  uint16_t b = 0;
};

class Synth {
 public:
  Synth() = default;
  ~Synth();
  Synth(const Synth&) = delete;
  Synth& operator=(const Synth&) = delete;

  // An empty path opens a silent synth (no FluidSynth at all). `cores`
  // threads share each render call; any number gives the same samples.
  bool Open(const std::string& sound_font, int cores);
  void Close();
  bool audible() const { return synth_ != nullptr; }

  // `skip_notes`: applied while nobody listens, so new notes are not started.
  void Apply(const SynthCommand& command, bool skip_notes);
  // One block of kBlockFrames interleaved stereo frames.
  void RenderBlock(int16_t* out) { Render(out, kBlockFrames); }
  // `frames` (a multiple of kBlockFrames, at most kMaxRunFrames) in one
  // call: the same samples as block by block, with less overhead.
  void Render(int16_t* out, uint32_t frames);
  fluid_settings_t* settings() { return settings_; }
  fluid_synth_t* fluid() { return synth_; }

 private:
  bool HasPreset(int bank, int program) const;

  fluid_settings_t* settings_ = nullptr;
  fluid_synth_t* synth_ = nullptr;
  int sfont_id_ = -1;
};

}  // namespace corvane
