#include "builtin_ports.h"

#include <cstring>

#include "midibytes/status.h"
#include "platform/clock.h"

namespace platform {

// ---- output ---------------------------------------------------------------------

MMRESULT BuiltinOutPort::GetCaps(MIDIOUTCAPS* caps) {
  *caps = MIDIOUTCAPS{};
  caps->wMid = 0xFFFF;
  caps->wPid = 0xFFFF;
  caps->vDriverVersion = 0x0100;
  CopyPortName(caps->szPname, name_);
  caps->wTechnology = technology_;
  caps->wChannelMask = 0xFFFF;
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinOutPort::Open(const ClientCallback& cb, DWORD, DWORD_PTR* driver_user) {
  Client* c;
  {
    std::lock_guard lock(mu_);
    c = &clients_.emplace_back();
    c->cb = cb;
  }
  *driver_user = reinterpret_cast<DWORD_PTR>(c);
  cb.Send(MOM_OPEN, 0, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinOutPort::Close(DWORD_PTR driver_user) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  const ClientCallback cb = c->cb;
  {
    std::lock_guard lock(mu_);
    clients_.remove_if([c](const Client& x) { return &x == c; });
  }
  cb.Send(MOM_CLOSE, 0, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinOutPort::Data(DWORD_PTR driver_user, DWORD msg) {
  const uint8_t bytes[3] = {uint8_t(msg), uint8_t(msg >> 8), uint8_t(msg >> 16)};
  const int n = midibytes::MessageLength(bytes[0]);
  if (n == 0) return MMSYSERR_NOERROR;  // running status is not carried over
  const uint8_t kind = bytes[0] & 0xF0;
  if (kind == 0x80 || kind == 0x90) {
    auto* c = reinterpret_cast<Client*>(driver_user);
    const uint16_t bit = uint16_t(1u << (bytes[0] & 0x0F));
    std::lock_guard lock(mu_);
    uint16_t& held = c->held[bytes[1] & 0x7F];
    held = (kind == 0x90 && bytes[2] != 0) ? uint16_t(held | bit) : uint16_t(held & ~bit);
  }
  return Emit(bytes, size_t(n));
}

MMRESULT BuiltinOutPort::LongData(DWORD_PTR driver_user, MIDIHDR* hdr) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  hdr->dwFlags = (hdr->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  const MMRESULT r =
      Emit(reinterpret_cast<const uint8_t*>(hdr->lpData), size_t(hdr->dwBufferLength));
  hdr->dwFlags = (hdr->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  c->cb.Send(MOM_DONE, reinterpret_cast<DWORD_PTR>(hdr), 0);
  return r;
}

MMRESULT BuiltinOutPort::Reset(DWORD_PTR driver_user) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  std::array<uint16_t, 128> held;
  {
    std::lock_guard lock(mu_);
    held = c->held;
    c->held.fill(0);
  }
  for (int ch = 0; ch < 16; ++ch) {
    for (int key = 0; key < 128; ++key) {
      if ((held[size_t(key)] & (1u << ch)) == 0) continue;
      const uint8_t off[3] = {uint8_t(0x80 | ch), uint8_t(key), 0};
      Emit(off, 3);
    }
  }
  return MMSYSERR_NOERROR;
}

// ---- input ------------------------------------------------------------------------

MMRESULT BuiltinInPort::GetCaps(MIDIINCAPS* caps) {
  *caps = MIDIINCAPS{};
  caps->wMid = 0xFFFF;
  caps->wPid = 0xFFFF;
  caps->vDriverVersion = 0x0100;
  CopyPortName(caps->szPname, name_);
  return MMSYSERR_NOERROR;
}

bool BuiltinInPort::HasClients() {
  std::lock_guard lock(mu_);
  return !clients_.empty();
}

MMRESULT BuiltinInPort::Open(const ClientCallback& cb, DWORD, DWORD_PTR* driver_user) {
  Client* c;
  bool first;
  {
    std::lock_guard lock(mu_);
    first = clients_.empty();
    c = &clients_.emplace_back();
    c->cb = cb;
  }
  if (first) Activate(true);
  *driver_user = reinterpret_cast<DWORD_PTR>(c);
  cb.Send(MIM_OPEN, 0, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinInPort::Close(DWORD_PTR driver_user) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  ClientCallback cb;
  bool last;
  {
    std::lock_guard lock(mu_);
    if (!c->queue.empty()) return MIDIERR_STILLPLAYING;
    cb = c->cb;
    clients_.remove_if([c](const Client& x) { return &x == c; });
    last = clients_.empty();
  }
  if (last) Activate(false);
  cb.Send(MIM_CLOSE, 0, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinInPort::AddBuffer(DWORD_PTR driver_user, MIDIHDR* hdr) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  std::lock_guard lock(mu_);
  hdr->dwFlags = (hdr->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  hdr->dwBytesRecorded = 0;
  hdr->lpNext = nullptr;
  c->queue.push_back(hdr);
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinInPort::Start(DWORD_PTR driver_user) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  std::lock_guard lock(mu_);
  if (!c->started) {
    c->started = true;
    c->start_us = GetMicroseconds();
  }
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinInPort::Stop(DWORD_PTR driver_user) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  std::vector<Callback> out;
  {
    std::lock_guard lock(mu_);
    // The buffer being filled goes back with what it holds; empty ones stay.
    if (!c->queue.empty() && c->queue.front()->dwBytesRecorded > 0) {
      HandBack(*c, out, c->sysex_stamp);
    }
    c->in_sysex = false;
    c->status = 0;
    c->started = false;
  }
  for (const Callback& cb : out) cb.cb.Send(cb.msg, cb.p1, cb.p2);
  return MMSYSERR_NOERROR;
}

MMRESULT BuiltinInPort::Reset(DWORD_PTR driver_user) {
  auto* c = reinterpret_cast<Client*>(driver_user);
  std::vector<Callback> out;
  {
    std::lock_guard lock(mu_);
    const DWORD now = c->started ? DWORD((GetMicroseconds() - c->start_us) / 1000) : 0;
    while (!c->queue.empty()) HandBack(*c, out, now);
    c->in_sysex = false;
    c->status = 0;
    c->started = false;
  }
  for (const Callback& cb : out) cb.cb.Send(cb.msg, cb.p1, cb.p2);
  return MMSYSERR_NOERROR;
}

void BuiltinInPort::HandBack(Client& c, std::vector<Callback>& out, DWORD stamp) {
  MIDIHDR* hdr = c.queue.front();
  c.queue.pop_front();
  hdr->dwFlags = (hdr->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  out.push_back({c.cb, MIM_LONGDATA, reinterpret_cast<DWORD_PTR>(hdr), stamp});
}

void BuiltinInPort::AppendSysex(Client& c, uint8_t b, std::vector<Callback>& out) {
  if (c.queue.empty()) return;  // no buffer: the byte is lost, as on any port
  MIDIHDR* hdr = c.queue.front();
  if (hdr->lpData == nullptr || hdr->dwBytesRecorded >= hdr->dwBufferLength) return;
  hdr->lpData[hdr->dwBytesRecorded++] = char(b);
  // A full buffer goes back at once; the block continues in the next one.
  if (hdr->dwBytesRecorded == hdr->dwBufferLength) HandBack(c, out, c.sysex_stamp);
}

void BuiltinInPort::FeedClient(Client& c, uint8_t b, uint64_t time_us, std::vector<Callback>& out) {
  const DWORD stamp = DWORD((time_us - c.start_us) / 1000);
  if (b >= 0xF8) {  // real-time: at once, even inside a system-exclusive block
    out.push_back({c.cb, MIM_DATA, b, stamp});
    return;
  }
  if (b < 0x80) {
    if (c.in_sysex) {
      AppendSysex(c, b, out);
      return;
    }
    if (c.status == 0 || c.missing == 0) return;  // no status to attach it to
    if (c.missing == midibytes::MessageLength(c.status) - 1) c.stamp = stamp;
    const int index = midibytes::MessageLength(c.status) - c.missing;  // 1 or 2
    c.message |= DWORD(b) << (8 * index);
    if (--c.missing == 0) {
      out.push_back({c.cb, MIM_DATA, c.message, c.stamp});
      // Running status for channel messages; system common ends it.
      if (c.status < 0xF0) {
        c.missing = midibytes::MessageLength(c.status) - 1;
        c.message = c.status;
      } else {
        c.status = 0;
      }
    }
    return;
  }
  if (c.in_sysex) {
    c.in_sysex = false;
    if (b == 0xF7) {
      AppendSysex(c, b, out);
      if (!c.queue.empty() && c.queue.front()->dwBytesRecorded > 0) HandBack(c, out, c.sysex_stamp);
      return;
    }
    if (!c.queue.empty() && c.queue.front()->dwBytesRecorded > 0) HandBack(c, out, c.sysex_stamp);
  }
  if (b == 0xF0) {
    c.in_sysex = true;
    c.sysex_stamp = stamp;
    c.status = 0;
    AppendSysex(c, b, out);
    return;
  }
  if (b == 0xF7) return;  // end of a block that never began
  const int len = midibytes::MessageLength(b);
  if (len == 1) {  // F4..F6: complete by themselves
    c.status = 0;
    out.push_back({c.cb, MIM_DATA, b, stamp});
    return;
  }
  c.status = b;
  c.missing = len - 1;
  c.message = b;
}

void BuiltinInPort::Feed(const uint8_t* bytes, size_t n, uint64_t time_us) {
  std::vector<Callback> out;
  {
    std::lock_guard lock(mu_);
    for (Client& c : clients_) {
      if (!c.started) continue;
      for (size_t i = 0; i < n; ++i) FeedClient(c, bytes[i], time_us, out);
    }
  }
  for (const Callback& cb : out) cb.cb.Send(cb.msg, cb.p1, cb.p2);
}

}  // namespace platform
