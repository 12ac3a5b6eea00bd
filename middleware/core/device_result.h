// Where the middleware calls a device (MIDI ports, the audio input), the
// device's result becomes the middleware's return code here and nowhere else.
//
// Thread rules: pure functions; usable from any thread.
#pragma once
#include "core/result.h"
#include "platform/mmsystem.h"

namespace qm3 {

// Any failure of a MIDI port (open, prepare, send, start) is the one code the
// host shows for it.
inline Rc MidiDeviceRc(platform::MMRESULT result) {
  return result == platform::MMSYSERR_NOERROR ? kRcOk : kRcMidiDeviceNotOpened;
}

// Likewise for the audio input the recordings are made from.
inline Rc AudioDeviceRc(platform::MMRESULT result) {
  return result == platform::MMSYSERR_NOERROR ? kRcOk : kRcAudioDeviceNotOpened;
}

}  // namespace qm3
