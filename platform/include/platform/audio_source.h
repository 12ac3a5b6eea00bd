// In-process audio sources that appear as wave-input devices (the software
// sound module registers "Corvane USB Audio" here). The wave-input device
// pulls audio from its source as time passes on the platform clock, so that
// under the virtual clock every frame lines up exactly with the MIDI events
// the source received.
//
// Thread rules: render is called on the wave-input device thread, once per
// buffer, after the platform clock has passed the end of the interval it asks
// for; it must not block on the UI. Register/unregister from any thread.
#pragma once
#include <cstdint>

#include "platform/mmsystem.h"

namespace platform {

struct AudioSourceOps {
  void* ctx = nullptr;
  // Fills `frames` interleaved frames (in the registered format) of the
  // source's output for the clock interval that starts at `from_us`
  // (GetMicroseconds time) and lasts frames / sample rate. Successive calls of
  // one consumer ask for contiguous intervals. Returns frames written; the
  // caller zero-fills the rest.
  uint32_t (*render)(void* ctx, uint64_t from_us, int16_t* out, uint32_t frames) = nullptr;
};

// 0 on success, -1 when the name is taken. The device is listed by waveIn*
// under `name` (capabilities truncated to 31 characters).
int RegisterAudioSource(const char* name, const WAVEFORMATEX& format, const AudioSourceOps& ops);
void UnregisterAudioSource(const char* name);

}  // namespace platform
