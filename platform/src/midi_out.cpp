// midiOut*: device numbers, handles and the header-flag rules in front of
// every output port.
#include <algorithm>
#include <cstring>

#include "midi_ports.h"
#include "midi_stream.h"

namespace platform {
namespace {

using Kind = MidiHandle::Kind;

MMRESULT CheckCallbackFlags(DWORD_PTR callback, DWORD flags) {
  switch (flags & CALLBACK_TYPEMASK) {
    case CALLBACK_NULL:
      return MMSYSERR_NOERROR;
    case CALLBACK_WINDOW:
    case CALLBACK_FUNCTION:
    case CALLBACK_EVENT:
      return callback == 0 ? MMSYSERR_INVALPARAM : MMSYSERR_NOERROR;
    default:
      return MMSYSERR_INVALFLAG;  // thread callbacks are not offered
  }
}

}  // namespace

MMRESULT CheckOpenCallback(DWORD_PTR callback, DWORD flags) {
  return CheckCallbackFlags(callback, flags);
}

static MMRESULT OpenOutHandle(UINT id, DWORD_PTR callback, DWORD_PTR instance, DWORD flags,
                              Kind kind, MidiHandle** out) {
  auto ports = OutPorts();
  if (id >= ports.size()) return MMSYSERR_BADDEVICEID;
  if (MMRESULT r = CheckCallbackFlags(callback, flags)) return r;
  auto* h = new MidiHandle(kind, ports[id], nullptr);
  h->callback = ClientCallback{callback, instance, flags, h};
  RegisterHandle(h);
  if (MMRESULT r = h->out->Open(h->callback, flags, &h->driver_user)) {
    UnregisterHandle(h);
    delete h;
    return r;
  }
  *out = h;
  return MMSYSERR_NOERROR;
}

UINT midiOutGetNumDevs() {
  return static_cast<UINT>(OutPorts().size());
}

MMRESULT midiOutGetDevCaps(UINT uDeviceID, MIDIOUTCAPS* caps, UINT cbCaps) {
  if (caps == nullptr || cbCaps == 0) return MMSYSERR_INVALPARAM;
  auto ports = OutPorts();
  if (uDeviceID >= ports.size()) return MMSYSERR_BADDEVICEID;
  MIDIOUTCAPS full{};
  if (MMRESULT r = ports[uDeviceID]->GetCaps(&full)) return r;
  std::memcpy(caps, &full, std::min<size_t>(cbCaps, sizeof full));
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutOpen(HMIDIOUT* phmo, UINT uDeviceID, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                     DWORD fdwOpen) {
  if (phmo == nullptr) return MMSYSERR_INVALPARAM;
  *phmo = nullptr;
  return OpenOutHandle(uDeviceID, dwCallback, dwInstance, fdwOpen, Kind::kOut, phmo);
}

MMRESULT midiOutClose(HMIDIOUT hmo) {
  MidiHandle* h = FindHandle(hmo, Kind::kOut, Kind::kStream);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (h->kind == Kind::kStream) return midiStreamClose(hmo);
  if (MMRESULT r = h->out->Close(h->driver_user)) return r;
  UnregisterHandle(h);
  delete h;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutShortMsg(HMIDIOUT hmo, DWORD dwMsg) {
  MidiHandle* h = FindHandle(hmo, Kind::kOut, Kind::kStream);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  return h->out->Data(h->driver_user, dwMsg);
}

MMRESULT midiOutPrepareHeader(HMIDIOUT hmo, MIDIHDR* hdr, UINT cbMidiHdr) {
  MidiHandle* h = FindHandle(hmo, Kind::kOut, Kind::kStream);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = CheckHeader(hdr, cbMidiHdr)) return r;
  if (hdr->lpData == nullptr || hdr->dwBufferLength == 0) return MMSYSERR_INVALPARAM;
  if (hdr->dwFlags & MHDR_PREPARED) return MMSYSERR_NOERROR;
  const MMRESULT r = h->out->Prepare(h->driver_user, hdr);
  if (r != MMSYSERR_NOTSUPPORTED) return r;
  hdr->dwFlags = (hdr->dwFlags & ~(MHDR_DONE | MHDR_INQUEUE)) | MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT hmo, MIDIHDR* hdr, UINT cbMidiHdr) {
  MidiHandle* h = FindHandle(hmo, Kind::kOut, Kind::kStream);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = CheckHeader(hdr, cbMidiHdr)) return r;
  if (hdr->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (!(hdr->dwFlags & MHDR_PREPARED)) return MMSYSERR_NOERROR;
  const MMRESULT r = h->out->Unprepare(h->driver_user, hdr);
  if (r != MMSYSERR_NOTSUPPORTED) return r;
  hdr->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT midiOutLongMsg(HMIDIOUT hmo, MIDIHDR* hdr, UINT cbMidiHdr) {
  MidiHandle* h = FindHandle(hmo, Kind::kOut, Kind::kStream);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = CheckHeader(hdr, cbMidiHdr)) return r;
  if (!(hdr->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (hdr->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (hdr->lpData == nullptr) return MMSYSERR_INVALPARAM;
  return h->out->LongData(h->driver_user, hdr);
}

MMRESULT midiOutReset(HMIDIOUT hmo) {
  MidiHandle* h = FindHandle(hmo, Kind::kOut, Kind::kStream);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (h->kind == Kind::kStream) return StreamStop(h);
  return h->out->Reset(h->driver_user);
}

}  // namespace platform
