#include "song/wav_capture.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "core/device_result.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "platform/audio_source.h"
#include "platform/clock.h"
#include "platform/mmsystem.h"
#include "platform/trace.h"

namespace qm3 {
namespace {

using namespace platform;

constexpr int kBuffers = 4;
// The capture's error while it is cancelled: nothing is written, and the
// cancel is no failure for the caller.
constexpr int kCancelled = -1;
constexpr size_t kCopyPiece = 262144;
constexpr int kStateStarting = 0, kStateRunning = 1, kStateFinished = 2;
constexpr uint32_t kWaitLimitMs = 10000;

const char* const kDeviceNames[] = {"Corvane USB Audio", "USB オーディオ デバイス",
                                    "Corvane Musical Instrument"};

}  // namespace

// A recording from the wave input; owned by the middleware instance. The
// device callback advances `ring`; the capture thread spools.
struct WavCaptureState {
  HWAVEIN device = nullptr;
  bool clock_exact = false;
  std::unique_ptr<uint8_t[]> memory;
  WAVEHDR headers[kBuffers]{};
  std::atomic<int> ring{0};  // advanced by the device callback
  int writer = 0;
  FILE* spool = nullptr;
  FILE* target = nullptr;
  std::string spool_path;
  std::string target_path;
  std::string temporary_path;  // beside the target, renamed over it at the end
  uint64_t start_us = 0;       // clock time of the recording's first frame
  WavCut cut;
  std::atomic<int> state{kStateFinished};
  std::atomic<bool> running{false};
  std::atomic<int> error{0};
  std::unique_ptr<platform::Thread> thread;
};

PartState<WavCaptureState> MakeWavCaptureState() {
  return MakePartState<WavCaptureState>();
}

namespace {

WavCaptureState& G() {
  return *TheMiddleware().wav_capture;
}

void PutLe(uint8_t* p, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void OnWaveIn(HWAVEIN, UINT msg, DWORD_PTR, DWORD_PTR header, DWORD_PTR) {
  if (msg != WIM_DATA || !G().running.load()) return;
  // A reset hands back every queued buffer; the empty ones would carry the
  // ring round past the last recorded one.
  const auto* h = reinterpret_cast<const WAVEHDR*>(header);
  if (h == nullptr || h->dwBytesRecorded == 0) return;
  G().ring.store((G().ring.load() + 1) % kBuffers);
}

void Requeue(WAVEHDR& h) {
  waveInUnprepareHeader(G().device, &h, sizeof h);
  h.dwFlags = 0;
  h.dwBytesRecorded = 0;
  waveInPrepareHeader(G().device, &h, sizeof h);
  waveInAddBuffer(G().device, &h, sizeof h);
}

void SpoolCompleted() {
  const int upto = G().ring.load();
  while (G().writer != upto) {
    WAVEHDR& h = G().headers[G().writer];
    if (h.dwBytesRecorded > 0 &&
        std::fwrite(h.lpData, 1, h.dwBytesRecorded, G().spool) != h.dwBytesRecorded) {
      G().error.store(kRcDiskFull);
    }
    if (G().running.load()) Requeue(h);
    G().writer = (G().writer + 1) % kBuffers;
  }
}

// The recording's frame index of clock time `us` (the device rounds its
// start to the nearest frame; a sound due at `us` is due at frame ceil).
int64_t FrameOfClock(uint64_t us) {
  const auto frame = [](uint64_t t, uint64_t round) {
    return static_cast<int64_t>((t * kWavRate + round) / 1000000);
  };
  return frame(us, 999999) - frame(G().start_us, 500000);
}

// The first frame of the file in the recording and its length, from the cut;
// the trimmed route reads the spool once to find its sound.
void PlaceCut(size_t total_frames, int64_t* first, uint64_t* frames) {
  const WavCut& c = G().cut;
  std::vector<uint8_t> piece(kCopyPiece);
  SoundSpan span{0, total_frames * 4};
  if (!c.clock_exact || c.keep_tail || c.frames == 0) {
    SoundSpanScanner scanner(32);
    std::rewind(G().spool);
    for (;;) {
      const size_t n = std::fread(piece.data(), 1, piece.size(), G().spool) & ~size_t{3};
      if (n == 0) break;
      scanner.Feed(reinterpret_cast<const int16_t*>(piece.data()), n / 4);
    }
    span = scanner.Result();
  }
  *first = (c.clock_exact ? FrameOfClock(c.first_us) : static_cast<int64_t>(span.start / 4)) +
           c.offset_frames;
  const int64_t last_sound = static_cast<int64_t>(span.end / 4) + 1;
  int64_t length = c.frames;
  if (length == 0 || c.keep_tail) length = std::max(length, last_sound - *first);
  *frames = static_cast<uint64_t>(std::max<int64_t>(0, length));
  // Where the file starts on the clock's frame count: with the module's
  // block size this tells how far its first sound was moved.
  platform::TraceLog("wav cut: %llu frames from frame %lld of the clock",
                     static_cast<unsigned long long>(*frames),
                     static_cast<long long>(*first) +
                         static_cast<long long>((G().start_us * kWavRate + 500000) / 1000000));
}

// Writes the cut of the spool to the temporary target, in 256 KiB pieces:
// frames before or after the recording are silence; a file that ends while
// the music sounds on fades over its last 10 ms.
void WriteTarget() {
  std::fseek(G().spool, 0, SEEK_END);
  const size_t total_frames = static_cast<size_t>(std::max(0L, std::ftell(G().spool))) / 4;
  int64_t first = 0;
  uint64_t frames = 0;
  PlaceCut(total_frames, &first, &frames);
  if (frames * 4 > 0xFFFFFFFFull - 64) {
    G().error.store(kRcDiskFull);
    return;
  }
  uint8_t header[kWavHeaderSize];
  MakeWavHeader(static_cast<uint32_t>(frames * 4), header);
  bool ok = std::fwrite(header, 1, sizeof header, G().target) == sizeof header;
  const uint32_t fade = G().cut.keep_tail ? 0 : kWavEndFadeFrames;
  std::vector<int16_t> in(kCopyPiece / 2), out(kCopyPiece / 2);
  const size_t piece_frames = kCopyPiece / 4;
  for (uint64_t at = 0; ok && at < frames;) {
    const size_t count = static_cast<size_t>(std::min<uint64_t>(piece_frames, frames - at));
    std::fill(in.begin(), in.begin() + static_cast<long>(count * 2), int16_t{0});
    const int64_t from = first + static_cast<int64_t>(at);
    const int64_t lo = std::max<int64_t>(from, 0);
    const int64_t hi =
        std::min<int64_t>(from + static_cast<int64_t>(count), static_cast<int64_t>(total_frames));
    if (lo < hi) {
      ok = std::fseek(G().spool, static_cast<long>(lo * 4), SEEK_SET) == 0 &&
           std::fread(&in[static_cast<size_t>(lo - from) * 2], 4, static_cast<size_t>(hi - lo),
                      G().spool) == static_cast<size_t>(hi - lo);
    }
    FadeOutFrames(in.data(), out.data(), count, at, frames, fade);
    ok = ok && std::fwrite(out.data(), 4, count, G().target) == count;
    at += count;
  }
  if (!ok) G().error.store(kRcDiskFull);
}

// Puts the finished file in place of the target, or removes it.
void SettleTarget() {
  const bool failed = G().error.load() != 0;
  if (std::fclose(G().target) != 0 && !failed) G().error.store(kRcDiskFull);
  G().target = nullptr;
  if (G().error.load() == 0 &&
      std::rename(G().temporary_path.c_str(), G().target_path.c_str()) != 0) {
    G().error.store(kRcFileNotWritten);
  }
  if (G().error.load() != 0) std::remove(G().temporary_path.c_str());
}

void CaptureThread() {
  if (waveInStart(G().device) == MMSYSERR_NOERROR) {
    G().start_us = platform::GetMicroseconds();  // the device's frame 0 (same clock instant)
    G().state.store(kStateRunning);
    for (;;) {
      SpoolCompleted();
      if (!G().running.load()) break;
      platform::Sleep(500);
    }
    SpoolCompleted();
    if (G().error.load() == 0) WriteTarget();
  } else {
    G().error.store(kRcAudioDeviceNotOpened);
  }
  SettleTarget();
  std::fclose(G().spool);
  G().spool = nullptr;
  std::remove(G().spool_path.c_str());
  G().state.store(kStateFinished);
}

bool WaitState(bool (*done)()) {
  for (uint32_t waited = 0; waited < kWaitLimitMs; waited += 1) {
    if (done()) return true;
    platform::Sleep(1);
  }
  return done();
}

}  // namespace

uint32_t CountInSkipFrames(double bpm) {
  return bpm > 0 ? static_cast<uint32_t>(10584000.0 / bpm) : 0;
}

void SoundSpanScanner::Feed(const int16_t* frames, size_t frame_count) {
  constexpr size_t kFloorFrames = 22050;  // half a second of noise floor
  for (size_t k = 0; k < frame_count; ++k, ++frame_) {
    const int p = std::max(std::abs(int{frames[2 * k]}), std::abs(int{frames[2 * k + 1]}));
    if (frame_ < kFloorFrames) {
      noise_ = std::max(noise_, p);
      continue;
    }
    if (!found_ && p > 5 * noise_) {
      found_ = true;
      start_ = frame_ * 4;
    }
    if (p > end_threshold_) end_ = frame_ * 4;
  }
}

void FadeOutFrames(const int16_t* in, int16_t* out, size_t count, uint64_t at, uint64_t total,
                   uint32_t fade) {
  const uint64_t fade_from = total > fade ? total - fade : 0;
  for (size_t k = 0; k < count; ++k) {
    const uint64_t i = at + k;
    if (fade == 0 || i < fade_from) {
      out[2 * k] = in[2 * k];
      out[2 * k + 1] = in[2 * k + 1];
      continue;
    }
    // Linear to silence at the last frame.
    const int64_t left = static_cast<int64_t>(total - 1 - i);
    const int64_t span = static_cast<int64_t>(std::min<uint64_t>(fade, total));
    out[2 * k] = static_cast<int16_t>(in[2 * k] * left / span);
    out[2 * k + 1] = static_cast<int16_t>(in[2 * k + 1] * left / span);
  }
}

SoundSpan SoundSpanScanner::Result() const {
  if (!found_) return SoundSpan{0, end_};
  return SoundSpan{start_, std::max(end_, start_)};
}

SoundSpan FindSoundSpan(const int16_t* frames, size_t frame_count, int end_threshold) {
  SoundSpanScanner scanner(end_threshold);
  scanner.Feed(frames, frame_count);
  return scanner.Result();
}

void MakeWavHeader(uint32_t data_size, uint8_t out[kWavHeaderSize]) {
  std::memcpy(out, "RIFF", 4);
  PutLe(out + 4, data_size + 38, 4);
  std::memcpy(out + 8, "WAVEfmt ", 8);
  PutLe(out + 16, 18, 4);
  PutLe(out + 20, 1, 2);
  PutLe(out + 22, 2, 2);
  PutLe(out + 24, kWavRate, 4);
  PutLe(out + 28, kWavBytesPerSecond, 4);
  PutLe(out + 32, 4, 2);
  PutLe(out + 34, 16, 2);
  PutLe(out + 36, 0, 2);
  std::memcpy(out + 38, "data", 4);
  PutLe(out + 42, data_size, 4);
}

uint32_t FindModuleAudioDevice() {
  const UINT n = waveInGetNumDevs();
  for (UINT i = 0; i < n; ++i) {
    WAVEINCAPS caps{};
    if (waveInGetDevCaps(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    caps.szPname[MAXPNAMELEN - 1] = '\0';
    for (const char* prefix : kDeviceNames) {
      if (std::strncmp(caps.szPname, prefix, std::strlen(prefix)) == 0) return i;
    }
  }
  return n;
}

Rc OpenWavCapture() {
  if (G().device != nullptr) return kRcOk;
  G().memory.reset(new (std::nothrow) uint8_t[size_t{kWavBytesPerSecond} * kBuffers]);
  if (!G().memory) return kRcNoMemory;
  WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, kWavRate, kWavBytesPerSecond, 4, 16, 0};
  const uint32_t id = FindModuleAudioDevice();
  G().clock_exact = IsInProcessAudioSource(id);
  const Rc opened = AudioDeviceRc(waveInOpen(
      &G().device, id, &format, reinterpret_cast<DWORD_PTR>(&OnWaveIn), 0, CALLBACK_FUNCTION));
  if (opened != kRcOk) {
    G().device = nullptr;
    G().memory.reset();
    return opened;
  }
  for (int i = 0; i < kBuffers; ++i) {
    G().headers[i] = WAVEHDR{};
    G().headers[i].lpData =
        reinterpret_cast<char*>(G().memory.get() + i * size_t{kWavBytesPerSecond});
    G().headers[i].dwBufferLength = kWavBytesPerSecond;
  }
  return kRcOk;
}

bool WavCaptureClockExact() {
  return G().device != nullptr && G().clock_exact;
}

void SetWavCut(const WavCut& cut) {
  G().cut = cut;
}

Rc StartWavCapture(const std::string& target) {
  if (G().device == nullptr) return kRcAudioDeviceNotOpened;
  G().spool_path = WorkDirectory() + "wavetemp.dat";
  G().target_path = target;
  G().temporary_path = target + ".part" + std::to_string(::getpid());
  G().cut = WavCut{};
  G().spool = std::fopen(G().spool_path.c_str(), "w+b");
  if (G().spool == nullptr) return kRcFileNotWritten;
  G().target = std::fopen(G().temporary_path.c_str(), "wb");
  if (G().target == nullptr) {
    std::fclose(G().spool);
    G().spool = nullptr;
    std::remove(G().spool_path.c_str());
    return kRcFileNotWritten;
  }
  for (WAVEHDR& h : G().headers) {
    waveInPrepareHeader(G().device, &h, sizeof h);
    waveInAddBuffer(G().device, &h, sizeof h);
  }
  G().ring.store(0);
  G().writer = 0;
  G().error.store(0);
  G().state.store(kStateStarting);
  G().running.store(true);
  G().thread = std::make_unique<platform::Thread>(CaptureThread);
  if (!WaitState([] { return G().state.load() != kStateStarting; })) {
    return kRcAudioDeviceNotOpened;
  }
  return kRcOk;
}

Rc StopWavCapture(bool complete) {
  if (!G().thread) return kRcFileNotWritten;
  if (!complete) G().error.store(kCancelled);
  waveInReset(G().device);
  G().running.store(false);
  const bool finished = WaitState([] { return G().state.load() == kStateFinished; });
  if (finished) G().thread->Join();
  G().thread.reset();
  platform::Sleep(50);
  if (!finished) return kRcAudioDeviceNotOpened;
  const int error = G().error.load();
  return error == kCancelled ? kRcOk : static_cast<Rc>(error);
}

void CloseWavCapture() {
  if (G().device == nullptr) return;
  for (WAVEHDR& h : G().headers) waveInUnprepareHeader(G().device, &h, sizeof h);
  waveInClose(G().device);
  G().device = nullptr;
  G().memory.reset();
}

bool WavCaptureRunning() {
  return G().running.load();
}

}  // namespace qm3
