// midiStream*: buffers of timed events played by a device thread. Event
// times are computed from the tick at the last tempo change, never from the
// time an event was actually sent, so lateness never accumulates.
#include "midi_stream.h"

#include <cstring>

namespace platform {
namespace {

using Kind = MidiHandle::Kind;
constexpr DWORD kEventHead = 12;  // delta, stream id, event word

uint64_t TimeOfTick(const StreamState& s, uint64_t tick) {
  return s.seg_us + (tick - s.seg_tick) * s.rate.num / s.rate.den;
}

uint64_t TickNow(const StreamState& s, uint64_t now_us) {
  if (!s.running) return s.paused_tick;
  if (now_us < s.seg_us) return s.seg_tick;
  return s.seg_tick + (now_us - s.seg_us) * s.rate.den / s.rate.num;
}

// Starts a new segment at `tick`, due at `us` (rate changes keep the past).
void Resegment(StreamState& s, uint64_t tick, uint64_t us) {
  s.seg_tick = tick;
  s.seg_us = us;
}

DWORD ReadWord(const MIDIHDR* hdr, DWORD offset) {
  DWORD w;
  std::memcpy(&w, hdr->lpData + offset, 4);
  return w;
}

// Internal callback of the stream's own port: only long events use it.
void PortCallback(HMIDIOUT, UINT msg, DWORD_PTR instance, DWORD_PTR, DWORD_PTR) {
  if (msg == MOM_DONE) reinterpret_cast<StreamState*>(instance)->long_done.Set();
}

struct Pending {
  UINT msg;
  MIDIHDR* hdr;
};

void Deliver(MidiHandle* h, std::unique_lock<std::mutex>& lock, const Pending& p) {
  lock.unlock();
  h->callback.Send(p.msg, reinterpret_cast<DWORD_PTR>(p.hdr), 0);
  lock.lock();
}

// Plays one event whose time has come; returns a callback to deliver, if any.
bool PlayEvent(MidiHandle* h, StreamState& s, MIDIHDR* hdr, uint64_t due_us, Pending* cb) {
  const DWORD ev = ReadWord(hdr, s.cursor + 8);
  const BYTE kind = MEVT_EVENTTYPE(ev) & ~BYTE(MEVT_F_CALLBACK >> 24);
  DWORD size = kEventHead;
  if (ev & MEVT_F_LONG) {
    const DWORD len = MEVT_EVENTPARM(ev);
    const DWORD padded = (len + 3) & ~DWORD{3};
    if (padded > hdr->dwBytesRecorded - s.cursor - kEventHead) {
      s.cursor = hdr->dwBytesRecorded;  // runs past the buffer: the rest is not played
      return false;
    }
    if ((kind & ~BYTE(MEVT_F_CALLBACK >> 24)) == MEVT_LONGMSG && len > 0) {
      s.long_hdr = MIDIHDR{};
      s.long_hdr.lpData = hdr->lpData + s.cursor + kEventHead;
      s.long_hdr.dwBufferLength = s.long_hdr.dwBytesRecorded = len;
      s.long_hdr.dwFlags = MHDR_PREPARED;
      s.long_done.Reset();
      if (h->out->LongData(h->driver_user, &s.long_hdr) == MMSYSERR_NOERROR &&
          !(s.long_hdr.dwFlags & MHDR_DONE)) {
        s.long_done.Wait(1000);
      }
    }
    size += padded;
  } else if (kind == MEVT_SHORTMSG) {
    h->out->Data(h->driver_user, MEVT_EVENTPARM(ev));
  } else if (kind == MEVT_TEMPO) {
    const DWORD tempo = MEVT_EVENTPARM(ev);
    TickRate rate;
    // A zero tempo would make every later event due at once; it is ignored.
    if (RateOf(s.timediv, tempo, &rate) && !(s.timediv & 0x8000)) {
      Resegment(s, s.event_tick, due_us);
      s.tempo = tempo;
      s.rate = rate;
    }
  }
  const DWORD at = s.cursor;
  s.cursor += size;
  s.last_tick = s.event_tick;
  s.event_pending = false;
  if (ev & MEVT_F_CALLBACK) {
    hdr->dwOffset = at;
    *cb = {MOM_POSITIONCB, hdr};
    return true;
  }
  return false;
}

void DeviceThread(MidiHandle* h) {
  StreamState& s = *h->stream;
  std::unique_lock lock(s.mu);
  while (!s.closing) {
    if (!s.running || s.queue.empty()) {
      s.cv.Wait(lock);
      continue;
    }
    MIDIHDR* hdr = s.queue.front();
    if (s.cursor + kEventHead > hdr->dwBytesRecorded) {
      s.queue.pop_front();
      s.cursor = 0;
      hdr->dwFlags = (hdr->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
      Deliver(h, lock, {MOM_DONE, hdr});
      continue;
    }
    if (!s.event_pending) {
      s.event_tick = s.last_tick + ReadWord(hdr, s.cursor);
      s.event_pending = true;
    }
    const uint64_t due = TimeOfTick(s, s.event_tick);
    if (GetMicroseconds() < due) {
      s.cv.WaitUntilMicroseconds(lock, due);
      continue;  // the stream may have changed meanwhile
    }
    Pending cb;
    if (PlayEvent(h, s, hdr, due, &cb)) Deliver(h, lock, cb);
  }
}

MidiHandle* Stream(HMIDISTRM h) {
  MidiHandle* mh = FindHandle(h, Kind::kStream);
  return mh;
}

}  // namespace

MidiHandle::MidiHandle(Kind k, std::shared_ptr<OutPort> o, std::shared_ptr<InPort> i)
    : kind(k), out(std::move(o)), in(std::move(i)) {}
MidiHandle::~MidiHandle() = default;

bool RateOf(DWORD timediv, DWORD tempo, TickRate* out) {
  if (timediv > 0xFFFF) return false;
  if (timediv & 0x8000) {
    const int fps = -static_cast<int8_t>(timediv >> 8);
    const uint64_t tpf = timediv & 0xFF;
    if (tpf == 0) return false;
    if (fps == 29) {
      *out = {100000000, 2997 * tpf};  // 29.97 frames per second
    } else if (fps == 24 || fps == 25 || fps == 30) {
      *out = {1000000, uint64_t(fps) * tpf};
    } else {
      return false;
    }
    return true;
  }
  if (timediv == 0 || tempo == 0) return false;
  *out = {tempo, timediv};
  return true;
}

MMRESULT StreamStop(MidiHandle* h) {
  StreamState& s = *h->stream;
  std::deque<MIDIHDR*> returned;
  {
    std::lock_guard lock(s.mu);
    returned.swap(s.queue);
    for (MIDIHDR* hdr : returned) hdr->dwFlags = (hdr->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    s.running = false;
    s.paused_tick = 0;
    s.played_us = 0;
    s.cursor = 0;
    s.last_tick = 0;
    s.event_pending = false;
    s.cv.NotifyAll();
  }
  h->out->Reset(h->driver_user);
  for (MIDIHDR* hdr : returned) h->callback.Send(MOM_DONE, reinterpret_cast<DWORD_PTR>(hdr), 0);
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamOpen(HMIDISTRM* phms, UINT* puDeviceID, DWORD cMidi, DWORD_PTR dwCallback,
                        DWORD_PTR dwInstance, DWORD fdwOpen) {
  if (phms == nullptr || puDeviceID == nullptr || cMidi != 1) return MMSYSERR_INVALPARAM;
  *phms = nullptr;
  auto ports = OutPorts();
  if (*puDeviceID >= ports.size()) return MMSYSERR_BADDEVICEID;
  if (MMRESULT r = CheckOpenCallback(dwCallback, fdwOpen)) return r;
  auto* h = new MidiHandle(Kind::kStream, ports[*puDeviceID], nullptr);
  h->stream = std::make_unique<StreamState>();
  StreamState& s = *h->stream;
  h->callback = ClientCallback{dwCallback, dwInstance, fdwOpen, h};
  s.client = h->callback;
  RateOf(s.timediv, s.tempo, &s.rate);
  const ClientCallback port_cb{reinterpret_cast<DWORD_PTR>(&PortCallback),
                               reinterpret_cast<DWORD_PTR>(&s), CALLBACK_FUNCTION, h};
  if (MMRESULT r = h->out->Open(port_cb, CALLBACK_FUNCTION, &h->driver_user)) {
    delete h;
    return r;
  }
  RegisterHandle(h);
  s.thread = Thread([h] { DeviceThread(h); });
  h->callback.Send(MOM_OPEN, 0, 0);
  *phms = h;
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamClose(HMIDISTRM hms) {
  MidiHandle* h = Stream(hms);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  StreamStop(h);
  UnregisterHandle(h);
  {
    std::lock_guard lock(h->stream->mu);
    h->stream->closing = true;
    h->stream->cv.NotifyAll();
  }
  h->stream->thread.Join();
  h->out->Close(h->driver_user);
  h->callback.Send(MOM_CLOSE, 0, 0);
  delete h;
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM hms, BYTE* lppropdata, DWORD dwProperty) {
  MidiHandle* h = Stream(hms);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (lppropdata == nullptr) return MMSYSERR_INVALPARAM;
  const bool get = dwProperty & MIDIPROP_GET;
  const bool set = dwProperty & MIDIPROP_SET;
  if (get == set) return MMSYSERR_INVALPARAM;
  StreamState& s = *h->stream;
  const DWORD which = dwProperty & ~(MIDIPROP_GET | MIDIPROP_SET);
  std::lock_guard lock(s.mu);
  if (which == MIDIPROP_TIMEDIV) {
    auto* p = reinterpret_cast<MIDIPROPTIMEDIV*>(lppropdata);
    if (p->cbStruct < sizeof(MIDIPROPTIMEDIV)) return MMSYSERR_INVALPARAM;
    if (get) {
      p->dwTimeDiv = s.timediv;
      return MMSYSERR_NOERROR;
    }
    TickRate rate;
    if (!RateOf(p->dwTimeDiv, s.tempo, &rate)) return MMSYSERR_INVALPARAM;
    const uint64_t now = GetMicroseconds();
    const uint64_t tick = TickNow(s, now);
    if (s.running) Resegment(s, tick, now);
    s.timediv = p->dwTimeDiv;
    s.rate = rate;
    s.cv.NotifyAll();
    return MMSYSERR_NOERROR;
  }
  if (which == MIDIPROP_TEMPO) {
    auto* p = reinterpret_cast<MIDIPROPTEMPO*>(lppropdata);
    if (p->cbStruct < sizeof(MIDIPROPTEMPO)) return MMSYSERR_INVALPARAM;
    if (get) {
      p->dwTempo = s.tempo;
      return MMSYSERR_NOERROR;
    }
    TickRate rate;
    if (p->dwTempo == 0 || p->dwTempo > 0xFFFFFF) return MMSYSERR_INVALPARAM;
    if (!(s.timediv & 0x8000) && RateOf(s.timediv, p->dwTempo, &rate)) {
      const uint64_t now = GetMicroseconds();
      if (s.running) Resegment(s, TickNow(s, now), now);
      s.rate = rate;
    }
    s.tempo = p->dwTempo;
    s.cv.NotifyAll();
    return MMSYSERR_NOERROR;
  }
  return MMSYSERR_INVALPARAM;
}

MMRESULT midiStreamOut(HMIDISTRM hms, MIDIHDR* hdr, UINT cbMidiHdr) {
  MidiHandle* h = Stream(hms);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (MMRESULT r = CheckHeader(hdr, cbMidiHdr)) return r;
  if (!(hdr->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
  if (hdr->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  if (hdr->lpData == nullptr || hdr->dwBytesRecorded > hdr->dwBufferLength) {
    return MMSYSERR_INVALPARAM;
  }
  StreamState& s = *h->stream;
  std::lock_guard lock(s.mu);
  hdr->dwFlags = (hdr->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE | MHDR_ISSTRM;
  hdr->dwOffset = 0;
  hdr->lpNext = nullptr;
  s.queue.push_back(hdr);
  s.cv.NotifyAll();
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamRestart(HMIDISTRM hms) {
  MidiHandle* h = Stream(hms);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  StreamState& s = *h->stream;
  std::lock_guard lock(s.mu);
  if (!s.running) {
    const uint64_t now = GetMicroseconds();
    Resegment(s, s.paused_tick, now);
    s.run_start_us = now;
    s.running = true;
    s.cv.NotifyAll();
  }
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamPause(HMIDISTRM hms) {
  MidiHandle* h = Stream(hms);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  StreamState& s = *h->stream;
  std::lock_guard lock(s.mu);
  if (s.running) {
    const uint64_t now = GetMicroseconds();
    s.paused_tick = TickNow(s, now);
    s.played_us += now - s.run_start_us;
    s.running = false;
    s.cv.NotifyAll();
  }
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamStop(HMIDISTRM hms) {
  MidiHandle* h = Stream(hms);
  return h == nullptr ? MMSYSERR_INVALHANDLE : StreamStop(h);
}

MMRESULT midiStreamTickTime(HMIDISTRM hms, DWORD tick, uint64_t* us) {
  MidiHandle* h = Stream(hms);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (us == nullptr) return MMSYSERR_INVALPARAM;
  StreamState& s = *h->stream;
  std::lock_guard lock(s.mu);
  if (!s.running || tick < s.seg_tick || (s.timediv & 0x8000)) return MMSYSERR_INVALPARAM;
  *us = TimeOfTick(s, tick);
  return MMSYSERR_NOERROR;
}

MMRESULT midiStreamPosition(HMIDISTRM hms, MMTIME* pmmt, UINT cbmmt) {
  MidiHandle* h = Stream(hms);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (pmmt == nullptr || cbmmt < sizeof(MMTIME)) return MMSYSERR_INVALPARAM;
  StreamState& s = *h->stream;
  std::lock_guard lock(s.mu);
  const uint64_t now = GetMicroseconds();
  if (pmmt->wType == TIME_MS) {
    const uint64_t us = s.played_us + (s.running ? now - s.run_start_us : 0);
    pmmt->u.ms = static_cast<DWORD>(us / 1000);
    return MMSYSERR_NOERROR;
  }
  pmmt->wType = TIME_TICKS;
  pmmt->u.ticks = static_cast<DWORD>(TickNow(s, now));
  return MMSYSERR_NOERROR;
}

}  // namespace platform
