// Wave input over in-process audio sources: a device thread per open handle
// fills each queued buffer once the clock has passed the interval it covers,
// so on the virtual clock every frame lines up exactly with MIDI events.
#include <algorithm>
#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "platform/audio_source.h"
#include "platform/clock.h"
#include "platform/mmddk.h"

namespace platform {

struct AudioSourceEntry {
  std::string name;
  WAVEFORMATEX format;
  std::mutex mu;  // held while rendering, so unregistering waits for a render
  AudioSourceOps ops;
};

struct WaveHandle {
  WaveHandle(std::shared_ptr<AudioSourceEntry> s, const WAVEFORMATEX& f, DWORD_PTR cb,
             DWORD_PTR inst, DWORD fl)
      : source(std::move(s)), format(f), callback(cb), instance(inst), flags(fl) {}
  std::shared_ptr<AudioSourceEntry> source;
  WAVEFORMATEX format;
  DWORD_PTR callback;
  DWORD_PTR instance;
  DWORD flags;

  std::mutex mu;
  ConditionVariable cv;
  Thread thread;
  bool closing = false;
  bool started = false;
  uint64_t start_us = 0;  // clock time of frame 0
  uint64_t frames = 0;    // frames delivered since the last reset
  std::deque<WAVEHDR*> queue;

  void Send(UINT msg, DWORD_PTR p1) const {
    const DWORD type = (flags & CALLBACK_TYPEMASK) >> 16;
    if (type == DCB_NULL) return;
    if (type == DCB_FUNCTION) {
      // A wave client's function takes the wave handle: called with its own
      // type, not through the MIDI-typed DriverCallback.
      reinterpret_cast<WaveCallback>(callback)(const_cast<WaveHandle*>(this), msg, instance, p1, 0);
      return;
    }
    DriverCallback(callback, type, reinterpret_cast<HDRVR>(const_cast<WaveHandle*>(this)), msg,
                   instance, p1, 0);
  }
  uint64_t TimeOfFrame(uint64_t f) const { return start_us + f * 1000000 / format.nSamplesPerSec; }
};

namespace {

std::mutex g_mu;  // guards the source list and the set of live handles
std::vector<std::shared_ptr<AudioSourceEntry>>& Sources() {
  static std::vector<std::shared_ptr<AudioSourceEntry>> sources;
  return sources;
}
std::unordered_set<const void*>& Handles() {
  static std::unordered_set<const void*> handles;
  return handles;
}

WaveHandle* Find(HWAVEIN h) {
  std::lock_guard lock(g_mu);
  return Handles().count(h) != 0 ? h : nullptr;
}

std::shared_ptr<AudioSourceEntry> SourceAt(UINT id) {
  std::lock_guard lock(g_mu);
  return id < Sources().size() ? Sources()[id] : nullptr;
}

bool SameFormat(const WAVEFORMATEX& a, const WAVEFORMATEX& b) {
  return a.wFormatTag == b.wFormatTag && a.nChannels == b.nChannels &&
         a.nSamplesPerSec == b.nSamplesPerSec && a.wBitsPerSample == b.wBitsPerSample &&
         a.nBlockAlign == b.nBlockAlign;
}

// Fills `count` frames of `hdr` after what it holds; caller holds h.mu.
void Render(WaveHandle& h, WAVEHDR* hdr, uint64_t count) {
  const DWORD block = h.format.nBlockAlign;
  char* dst = hdr->lpData + hdr->dwBytesRecorded;
  uint32_t got = 0;
  {
    std::lock_guard lock(h.source->mu);
    if (h.source->ops.render != nullptr && h.format.wBitsPerSample == 16) {
      got = h.source->ops.render(h.source->ops.ctx, h.TimeOfFrame(h.frames),
                                 reinterpret_cast<int16_t*>(dst), static_cast<uint32_t>(count));
      got = std::min<uint32_t>(got, static_cast<uint32_t>(count));
    }
  }
  std::memset(dst + size_t(got) * block, 0, size_t(count - got) * block);
  hdr->dwBytesRecorded += static_cast<DWORD>(count * block);
  h.frames += count;
}

void HandBack(WaveHandle& h, std::unique_lock<std::mutex>& lock) {
  WAVEHDR* hdr = h.queue.front();
  h.queue.pop_front();
  hdr->dwFlags = (hdr->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
  lock.unlock();
  h.Send(WIM_DATA, reinterpret_cast<DWORD_PTR>(hdr));
  lock.lock();
}

void DeviceThread(WaveHandle* hp) {
  WaveHandle& h = *hp;
  std::unique_lock lock(h.mu);
  while (!h.closing) {
    if (!h.started || h.queue.empty()) {
      h.cv.Wait(lock);
      continue;
    }
    WAVEHDR* hdr = h.queue.front();
    const uint64_t room = (hdr->dwBufferLength - hdr->dwBytesRecorded) / h.format.nBlockAlign;
    const uint64_t end = h.TimeOfFrame(h.frames + room + h.source->ops.lookahead_frames);
    if (GetMicroseconds() < end) {
      h.cv.WaitUntilMicroseconds(lock, end);
      continue;
    }
    Render(h, hdr, room);
    HandBack(h, lock);
  }
}

// Stops the flow; the buffer in progress goes back with the frames up to now.
void StopLocked(WaveHandle& h, std::unique_lock<std::mutex>& lock) {
  if (!h.started) return;
  if (!h.queue.empty()) {
    WAVEHDR* hdr = h.queue.front();
    const uint64_t now = GetMicroseconds();
    const uint64_t elapsed = now > h.start_us ? now - h.start_us : 0;
    const uint64_t lookahead = h.source->ops.lookahead_frames;
    const uint64_t heard = elapsed * h.format.nSamplesPerSec / 1000000;
    const uint64_t due = heard > lookahead ? heard - lookahead : 0;
    const uint64_t room = (hdr->dwBufferLength - hdr->dwBytesRecorded) / h.format.nBlockAlign;
    if (due > h.frames) Render(h, hdr, std::min(room, due - h.frames));
    if (hdr->dwBytesRecorded > 0) HandBack(h, lock);
  }
  h.started = false;
  h.cv.NotifyAll();
}

}  // namespace

int RegisterAudioSource(const char* name, const WAVEFORMATEX& format, const AudioSourceOps& ops) {
  if (name == nullptr || format.nBlockAlign == 0 || format.nSamplesPerSec == 0) return -1;
  std::lock_guard lock(g_mu);
  for (auto& s : Sources()) {
    if (s->name == name) return -1;
  }
  auto entry = std::make_shared<AudioSourceEntry>();
  entry->name = name;
  entry->format = format;
  entry->ops = ops;
  Sources().push_back(std::move(entry));
  return 0;
}

void UnregisterAudioSource(const char* name) {
  if (name == nullptr) return;
  std::shared_ptr<AudioSourceEntry> gone;
  {
    std::lock_guard lock(g_mu);
    auto& v = Sources();
    auto it = std::find_if(v.begin(), v.end(), [&](auto& s) { return s->name == name; });
    if (it == v.end()) return;
    gone = *it;
    v.erase(it);
  }
  // Open handles render silence from now on; no render of the source runs
  // once this returns.
  std::lock_guard lock(gone->mu);
  gone->ops.render = nullptr;
}

bool IsInProcessAudioSource(UINT id) {
  return SourceAt(id) != nullptr;
}

UINT waveInGetNumDevs() {
  std::lock_guard lock(g_mu);
  return static_cast<UINT>(Sources().size());
}

MMRESULT waveInGetDevCaps(UINT uDeviceID, WAVEINCAPS* caps, UINT cbCaps) {
  if (caps == nullptr || cbCaps == 0) return MMSYSERR_INVALPARAM;
  auto src = SourceAt(uDeviceID);
  if (!src) return MMSYSERR_BADDEVICEID;
  WAVEINCAPS full{};
  full.wMid = 0xFFFF;
  full.wPid = 0xFFFF;
  full.vDriverVersion = 0x0100;
  const size_t n = std::min<size_t>(src->name.size(), MAXPNAMELEN - 1);
  std::memcpy(full.szPname, src->name.data(), n);
  full.wChannels = src->format.nChannels;
  std::memcpy(caps, &full, std::min<size_t>(cbCaps, sizeof full));
  return MMSYSERR_NOERROR;
}

MMRESULT waveInOpen(HWAVEIN* phwi, UINT uDeviceID, const WAVEFORMATEX* format, DWORD_PTR dwCallback,
                    DWORD_PTR dwInstance, DWORD fdwOpen) {
  if (format == nullptr) return MMSYSERR_INVALPARAM;
  auto src = SourceAt(uDeviceID);
  if (!src) return MMSYSERR_BADDEVICEID;
  if (format->wFormatTag != WAVE_FORMAT_PCM || !SameFormat(*format, src->format)) {
    return WAVERR_BADFORMAT;
  }
  if (fdwOpen & WAVE_FORMAT_QUERY) return MMSYSERR_NOERROR;
  if (phwi == nullptr) return MMSYSERR_INVALPARAM;
  *phwi = nullptr;
  const DWORD type = fdwOpen & CALLBACK_TYPEMASK;
  if (type != CALLBACK_NULL && type != CALLBACK_WINDOW && type != CALLBACK_FUNCTION &&
      type != CALLBACK_EVENT) {
    return MMSYSERR_INVALFLAG;
  }
  if (type != CALLBACK_NULL && dwCallback == 0) return MMSYSERR_INVALPARAM;
  auto* h = new WaveHandle(src, *format, dwCallback, dwInstance, fdwOpen);
  {
    std::lock_guard lock(g_mu);
    Handles().insert(h);
  }
  h->thread = Thread([h] { DeviceThread(h); });
  h->Send(WIM_OPEN, 0);
  *phwi = h;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInClose(HWAVEIN hwi) {
  WaveHandle* h = Find(hwi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  {
    std::lock_guard lock(h->mu);
    if (!h->queue.empty()) return WAVERR_STILLPLAYING;
    h->closing = true;
    h->cv.NotifyAll();
  }
  {
    std::lock_guard lock(g_mu);
    Handles().erase(h);
  }
  h->thread.Join();
  h->Send(WIM_CLOSE, 0);
  delete h;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInPrepareHeader(HWAVEIN hwi, WAVEHDR* hdr, UINT cbwh) {
  if (Find(hwi) == nullptr) return MMSYSERR_INVALHANDLE;
  if (hdr == nullptr || cbwh < sizeof(WAVEHDR) || hdr->lpData == nullptr) {
    return MMSYSERR_INVALPARAM;
  }
  if (hdr->dwFlags & WHDR_PREPARED) return MMSYSERR_NOERROR;
  hdr->dwFlags = (hdr->dwFlags & ~(WHDR_DONE | WHDR_INQUEUE)) | WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInUnprepareHeader(HWAVEIN hwi, WAVEHDR* hdr, UINT cbwh) {
  if (Find(hwi) == nullptr) return MMSYSERR_INVALHANDLE;
  if (hdr == nullptr || cbwh < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (hdr->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  hdr->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT waveInAddBuffer(HWAVEIN hwi, WAVEHDR* hdr, UINT cbwh) {
  WaveHandle* h = Find(hwi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  if (hdr == nullptr || cbwh < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  if (!(hdr->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  if (hdr->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  if (hdr->lpData == nullptr || hdr->dwBufferLength < h->format.nBlockAlign) {
    return MMSYSERR_INVALPARAM;
  }
  std::lock_guard lock(h->mu);
  hdr->dwFlags = (hdr->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
  hdr->dwBytesRecorded = 0;
  hdr->lpNext = nullptr;
  h->queue.push_back(hdr);
  h->cv.NotifyAll();
  return MMSYSERR_NOERROR;
}

MMRESULT waveInStart(HWAVEIN hwi) {
  WaveHandle* h = Find(hwi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  std::lock_guard lock(h->mu);
  if (!h->started) {
    // Resumes where it stopped: frame `frames` is due now.
    const uint64_t now = GetMicroseconds();
    const uint64_t offset = h->frames * 1000000 / h->format.nSamplesPerSec;
    h->start_us = now >= offset ? now - offset : 0;
    h->started = true;
    h->cv.NotifyAll();
  }
  return MMSYSERR_NOERROR;
}

MMRESULT waveInStop(HWAVEIN hwi) {
  WaveHandle* h = Find(hwi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  std::unique_lock lock(h->mu);
  StopLocked(*h, lock);
  return MMSYSERR_NOERROR;
}

MMRESULT waveInReset(HWAVEIN hwi) {
  WaveHandle* h = Find(hwi);
  if (h == nullptr) return MMSYSERR_INVALHANDLE;
  std::unique_lock lock(h->mu);
  StopLocked(*h, lock);
  while (!h->queue.empty()) HandBack(*h, lock);
  h->frames = 0;
  return MMSYSERR_NOERROR;
}

}  // namespace platform
