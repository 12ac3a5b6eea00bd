// Placeholder device table: no ports yet. Every call validates its handle and
// reports the published code, so callers can link and handle absence.
#include "platform/audio_source.h"
#include "platform/mmddk.h"
#include "platform/mmsystem.h"

namespace platform {

UINT midiOutGetNumDevs() {
  return 0;
}
MMRESULT midiOutGetDevCaps(UINT, MIDIOUTCAPS* caps, UINT) {
  return caps == nullptr ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
}
MMRESULT midiOutOpen(HMIDIOUT* phmo, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
  return phmo == nullptr ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
}
MMRESULT midiOutClose(HMIDIOUT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiOutShortMsg(HMIDIOUT, DWORD) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiOutPrepareHeader(HMIDIOUT, MIDIHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiOutUnprepareHeader(HMIDIOUT, MIDIHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiOutLongMsg(HMIDIOUT, MIDIHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiOutReset(HMIDIOUT) {
  return MMSYSERR_INVALHANDLE;
}

MMRESULT midiStreamOpen(HMIDISTRM* phms, UINT* puDeviceID, DWORD, DWORD_PTR, DWORD_PTR, DWORD) {
  return phms == nullptr || puDeviceID == nullptr ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
}
MMRESULT midiStreamClose(HMIDISTRM) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiStreamProperty(HMIDISTRM, BYTE*, DWORD) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiStreamOut(HMIDISTRM, MIDIHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiStreamRestart(HMIDISTRM) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiStreamPause(HMIDISTRM) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiStreamStop(HMIDISTRM) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiStreamPosition(HMIDISTRM, MMTIME*, UINT) {
  return MMSYSERR_INVALHANDLE;
}

UINT midiInGetNumDevs() {
  return 0;
}
MMRESULT midiInGetDevCaps(UINT, MIDIINCAPS* caps, UINT) {
  return caps == nullptr ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
}
MMRESULT midiInOpen(HMIDIIN* phmi, UINT, DWORD_PTR, DWORD_PTR, DWORD) {
  return phmi == nullptr ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
}
MMRESULT midiInClose(HMIDIIN) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiInPrepareHeader(HMIDIIN, MIDIHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiInUnprepareHeader(HMIDIIN, MIDIHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiInAddBuffer(HMIDIIN, MIDIHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiInStart(HMIDIIN) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiInStop(HMIDIIN) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT midiInReset(HMIDIIN) {
  return MMSYSERR_INVALHANDLE;
}

UINT waveInGetNumDevs() {
  return 0;
}
MMRESULT waveInGetDevCaps(UINT, WAVEINCAPS* caps, UINT) {
  return caps == nullptr ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
}
MMRESULT waveInOpen(HWAVEIN* phwi, UINT, const WAVEFORMATEX*, DWORD_PTR, DWORD_PTR, DWORD) {
  return phwi == nullptr ? MMSYSERR_INVALPARAM : MMSYSERR_BADDEVICEID;
}
MMRESULT waveInClose(HWAVEIN) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT waveInPrepareHeader(HWAVEIN, WAVEHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT waveInUnprepareHeader(HWAVEIN, WAVEHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT waveInAddBuffer(HWAVEIN, WAVEHDR*, UINT) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT waveInStart(HWAVEIN) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT waveInStop(HWAVEIN) {
  return MMSYSERR_INVALHANDLE;
}
MMRESULT waveInReset(HWAVEIN) {
  return MMSYSERR_INVALHANDLE;
}

int RegisterAudioSource(const char*, const WAVEFORMATEX&, const AudioSourceOps&) {
  return 0;
}
void UnregisterAudioSource(const char*) {}

}  // namespace platform

extern "C" int DriverCallback(platform::DWORD_PTR, platform::DWORD, platform::HDRVR,
                              platform::DWORD, platform::DWORD_PTR, platform::DWORD_PTR,
                              platform::DWORD_PTR) {
  return 0;
}

extern "C" platform::LRESULT DefDriverProc(platform::DWORD_PTR, platform::HDRVR,
                                           platform::UINT uMsg, platform::LPARAM,
                                           platform::LPARAM) {
  switch (uMsg) {
    case platform::DRV_LOAD:
    case platform::DRV_FREE:
    case platform::DRV_OPEN:
    case platform::DRV_CLOSE:
    case platform::DRV_ENABLE:
    case platform::DRV_DISABLE:
      return 1;
    default:
      return 0;
  }
}
