// midiIn*: device numbers, handles and header rules in front of every input
// port.
#include <algorithm>
#include <cstring>

#include "midi_ports.h"

namespace platform {
namespace {

using Kind = MidiHandle::Kind;

MidiHandle* In(HMIDIIN h) {
  return FindHandle(h, Kind::kIn);
}

}  // namespace

UINT midiInGetNumDevs() {
  return static_cast<UINT>(InPorts().size());
}

MMRESULT midiInGetDevCaps(UINT uDeviceID, MIDIINCAPS* caps, UINT cbCaps) {
  if (caps == nullptr || cbCaps == 0) return MMSYSERR_INVALPARAM;
  auto ports = InPorts();
  if (uDeviceID >= ports.size()) return MMSYSERR_BADDEVICEID;
  MIDIINCAPS full{};
  if (MMRESULT r = ports[uDeviceID]->GetCaps(&full)) return r;
  std::memcpy(caps, &full, std::min<size_t>(cbCaps, sizeof full));
  return MMSYSERR_NOERROR;
}

MMRESULT midiInOpen(HMIDIIN* phmi, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                    DWORD fdwOpen) {
  if (phmi == nullptr) return MMSYSERR_INVALPARAM;
  *phmi = nullptr;
  auto ports = InPorts();
  if (uDeviceID >= ports.size()) return MMSYSERR_BADDEVICEID;
  const DWORD type = fdwOpen & CALLBACK_TYPEMASK;
  if (type != CALLBACK_NULL && type != CALLBACK_WINDOW && type != CALLBACK_FUNCTION &&
      type != CALLBACK_EVENT) {
    return MMSYSERR_INVALFLAG;
  }
  if (type != CALLBACK_NULL && dwCallback == 0) return MMSYSERR_INVALPARAM;
  auto* h = new MidiHandle(Kind::kIn, nullptr, ports[uDeviceID]);
  h->callback = ClientCallback{dwCallback, dwInstance, fdwOpen, h};
  RegisterHandle(h);
  if (MMRESULT r = h->in->Open(h->callback, fdwOpen, &h->driver_user)) {
    UnregisterHandle(h);
    delete h;
    return r;
  }
  *phmi = h;
  return MMSYSERR_NOERROR;
}

MMRESULT midiInClose(HMIDIIN hmi) {
  MidiHandle* h = In(hmi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = h->in->Close(h->driver_user)) return r;
  UnregisterHandle(h);
  delete h;
  return MMSYSERR_NOERROR;
}

MMRESULT midiInPrepareHeader(HMIDIIN hmi, MIDIHDR* hdr, UINT cbMidiHdr) {
  MidiHandle* h = In(hmi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = CheckHeader(hdr, cbMidiHdr)) return r;
  if (hdr->lpData == nullptr || hdr->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
  if (hdr->dwFlags & MHDR_PREPARED) return MMSYSERR_NOERROR;
  const MMRESULT r = h->in->Prepare(h->driver_user, hdr);
  if (r != MMSYSERR_NOTSUPPORTED) return r;
  hdr->dwFlags = (hdr->dwFlags & ~(MHDR_DONE | MHDR_INQUEUE)) | MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiInUnprepareHeader(HMIDIIN hmi, MIDIHDR* hdr, UINT cbMidiHdr) {
  MidiHandle* h = In(hmi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = CheckHeader(hdr, cbMidiHdr)) return r;
  if (hdr->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (!(hdr->dwFlags & MHDR_PREPARED)) return MMSYSERR_NOERROR;
  const MMRESULT r = h->in->Unprepare(h->driver_user, hdr);
  if (r != MMSYSERR_NOTSUPPORTED) return r;
  hdr->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiInAddBuffer(HMIDIIN hmi, MIDIHDR* hdr, UINT cbMidiHdr) {
  MidiHandle* h = In(hmi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = CheckHeader(hdr, cbMidiHdr)) return r;
  if (hdr->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (!(hdr->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (hdr->lpData == nullptr || hdr->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
  return h->in->AddBuffer(h->driver_user, hdr);
}

MMRESULT midiInStart(HMIDIIN hmi) {
  MidiHandle* h = In(hmi);
  return h == nullptr ? MMSYSERR_INVALHANDLE : h->in->Start(h->driver_user);
}

MMRESULT midiInStop(HMIDIIN hmi) {
  MidiHandle* h = In(hmi);
  return h == nullptr ? MMSYSERR_INVALHANDLE : h->in->Stop(h->driver_user);
}

MMRESULT midiInReset(HMIDIIN hmi) {
  MidiHandle* h = In(hmi);
  return h == nullptr ? MMSYSERR_INVALHANDLE : h->in->Reset(h->driver_user);
}

}  // namespace platform
