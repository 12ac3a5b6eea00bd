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
  // How far past an interval's end the clock must be before the interval is
  // asked for: a source that places each event at its nearest block needs to
  // have seen the events slightly ahead of the frames it renders.
  uint32_t lookahead_frames = 0;
};

// 0 on success, -1 when the name is taken. The device is listed by waveIn*
// under `name` (capabilities truncated to 31 characters).
int RegisterAudioSource(const char* name, const WAVEFORMATEX& format, const AudioSourceOps& ops);
void UnregisterAudioSource(const char* name);
// True when wave-input device `id` is such a source: its frame n is the clock
// time of waveInStart plus n / sample rate, exactly.
bool IsInProcessAudioSource(UINT id);

}  // namespace platform
