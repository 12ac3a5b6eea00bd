#include "synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>

#include "sound_font_file.h"

namespace corvane {
namespace {

// Gain at full main volume: leaves headroom for six parts at once.
constexpr float kFullGain = 0.4f;

int16_t ToSample(float v) {
  const float scaled = std::floor(v * 32767.0f + 0.5f);
  if (scaled > 32767.0f) return 32767;
  if (scaled < -32768.0f) return -32768;
  return static_cast<int16_t>(scaled);
}

}  // namespace

Synth::~Synth() {
  Close();
}

bool Synth::Open(const std::string& sound_font, int cores) {
  Close();
  if (sound_font.empty()) return true;
  // The synthesizer's own chatter (missing presets, driver notes) stays out
  // of the host's output; failures come back as results.
  for (int level : {FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
    fluid_set_log_function(level, nullptr, nullptr);
  settings_ = new_fluid_settings();
  if (settings_ == nullptr) return false;
  fluid_settings_setnum(settings_, "synth.sample-rate", kSampleRate);
  fluid_settings_setnum(settings_, "synth.gain", kFullGain);
  fluid_settings_setint(settings_, "synth.threadsafe-api", 0);
  fluid_settings_setint(settings_, "synth.cpu-cores", std::max(cores, 1));
  fluid_settings_setint(settings_, "synth.midi-channels", 16);
  fluid_settings_setint(settings_, "synth.polyphony", 256);
  synth_ = new_fluid_synth(settings_);
  if (synth_ == nullptr) {
    Close();
    return false;
  }
  InstallSoundFontReader(synth_, settings_);
  sfont_id_ = fluid_synth_sfload(synth_, sound_font.c_str(), 1);
  if (sfont_id_ == FLUID_FAILED) {
    Close();
    return false;
  }
  return true;
}

void Synth::Close() {
  if (synth_ != nullptr) delete_fluid_synth(synth_);
  if (settings_ != nullptr) delete_fluid_settings(settings_);
  synth_ = nullptr;
  settings_ = nullptr;
  sfont_id_ = -1;
}

bool Synth::HasPreset(int bank, int program) const {
  fluid_sfont_t* sfont = fluid_synth_get_sfont_by_id(synth_, sfont_id_);
  return sfont != nullptr && fluid_sfont_get_preset(sfont, bank, program) != nullptr;
}

void Synth::Apply(const SynthCommand& c, bool skip_notes) {
  if (synth_ == nullptr) return;
  const int ch = c.channel & 0x0F;
  switch (c.op) {
    case SynthOp::kNoteOn:
      if (!skip_notes) fluid_synth_noteon(synth_, ch, c.a & 0x7F, c.b & 0x7F);
      break;
    case SynthOp::kNoteOff:
      fluid_synth_noteoff(synth_, ch, c.a & 0x7F);
      break;
    case SynthOp::kControl:
      fluid_synth_cc(synth_, ch, c.a & 0x7F, c.b & 0x7F);
      break;
    case SynthOp::kProgram: {
      int bank = c.a;
      int program = c.b & 0x7F;
      // A kit the SoundFont lacks falls back to its first kit, a variation
      // it lacks to the same program in bank 0.
      if (!HasPreset(bank, program)) {
        if (bank == 128) {
          program = 0;
        } else {
          bank = 0;
        }
      }
      if (HasPreset(bank, program))
        fluid_synth_program_select(synth_, ch, sfont_id_, bank, program);
      break;
    }
    case SynthOp::kPitchBend:
      fluid_synth_pitch_bend(synth_, ch, c.a & 0x3FFF);
      break;
    case SynthOp::kChannelPressure:
      fluid_synth_channel_pressure(synth_, ch, c.a & 0x7F);
      break;
    case SynthOp::kKeyPressure:
      fluid_synth_key_pressure(synth_, ch, c.a & 0x7F, c.b & 0x7F);
      break;
    case SynthOp::kChannelType:
      fluid_synth_set_channel_type(synth_, ch, c.a ? CHANNEL_TYPE_DRUM : CHANNEL_TYPE_MELODIC);
      break;
    case SynthOp::kGain:
      fluid_synth_set_gain(synth_, kFullGain * static_cast<float>(c.a & 0x7F) / 127.0f);
      break;
    case SynthOp::kReset:
      fluid_synth_system_reset(synth_);
      break;
  }
}

void Synth::Render(int16_t* out, uint32_t frames) {
  frames = std::min(frames, kMaxRunFrames);
  if (synth_ == nullptr) {
    for (uint32_t i = 0; i < 2 * frames; ++i) out[i] = 0;
    return;
  }
  float left[kMaxRunFrames];
  float right[kMaxRunFrames];
  fluid_synth_write_float(synth_, static_cast<int>(frames), left, 0, 1, right, 0, 1);
  for (uint32_t i = 0; i < frames; ++i) {
    out[2 * i] = ToSample(left[i]);
    out[2 * i + 1] = ToSample(right[i]);
  }
}

}  // namespace corvane
