#include "midi/input_capture.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "midi/module_sender.h"
#include "platform/clock.h"
#include "platform/mmsystem.h"

namespace qm3::midi {
namespace {

using namespace platform;

struct Capture {
  HMIDIIN port = nullptr;
  std::unique_ptr<uint32_t[]> words;
  size_t capacity = 0;
  size_t limit = 0;  // 0: none
  std::atomic<size_t> used{0};
  std::atomic<bool> active{false};
  std::atomic<bool> overflowed{false};
  std::string path;
  uint64_t parameter = 0;
  CaptureWriter writer = nullptr;
};

Capture g_capture;

void OnInput(HMIDI, UINT msg, DWORD_PTR, DWORD_PTR message, DWORD_PTR time_ms) {
  if (msg != MIM_DATA || !g_capture.active.load(std::memory_order_acquire)) return;
  // Only channel messages make the file; real-time and system bytes take no room.
  const uint32_t status = static_cast<uint32_t>(message) & 0xFF;
  if (status < 0x80 || status >= 0xF0) return;
  const size_t used = g_capture.used.load(std::memory_order_relaxed);
  if (used + 2 > g_capture.capacity) {
    g_capture.overflowed.store(true, std::memory_order_relaxed);
    return;
  }
  uint32_t* words = g_capture.words.get();
  words[used] = static_cast<uint32_t>(time_ms);
  words[used + 1] = static_cast<uint32_t>(message);
  g_capture.used.store(used + 2, std::memory_order_release);
}

void StopAndResetPort() {
  midiInStop(g_capture.port);
  platform::Sleep(50);
  midiInReset(g_capture.port);
  platform::Sleep(50);
}

}  // namespace

size_t CaptureWordsFor(double seconds) {
  if (!(seconds > 0)) return kCaptureWords;
  const double words = std::ceil((seconds + 60) * kCaptureWordsPerSecond);
  return std::max(kCaptureWords, static_cast<size_t>(std::min(words, 1e9)));
}

void LimitCaptureWords(size_t words) {
  g_capture.limit = words;
}

uint32_t FindModuleInput() {
  const UINT n = midiInGetNumDevs();
  for (UINT i = 0; i < n; ++i) {
    MIDIINCAPS caps{};
    if (midiInGetDevCaps(i, &caps, sizeof caps) != MMSYSERR_NOERROR) continue;
    caps.szPname[MAXPNAMELEN - 1] = '\0';
    if (std::strcmp(caps.szPname, kModuleInputName) == 0) return i;
  }
  return n + 1;
}

int OpenCapture(size_t words) {
  if (g_capture.port != nullptr) return 0;
  if (g_capture.limit != 0) words = std::min(words, g_capture.limit);
  if (midiInOpen(&g_capture.port, FindModuleInput(), reinterpret_cast<DWORD_PTR>(&OnInput), 0,
                 CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    g_capture.port = nullptr;
    return kResultMidiOpen;
  }
  g_capture.words.reset(new (std::nothrow) uint32_t[words]);
  g_capture.capacity = g_capture.words ? words : 0;
  if (!g_capture.words) {
    midiInClose(g_capture.port);
    g_capture.port = nullptr;
    return kResultNoMemory;
  }
  return 0;
}

int StartCapture(const std::string& path, uint64_t parameter, CaptureWriter writer) {
  if (g_capture.port == nullptr) return kResultMidiOpen;
  g_capture.path = path;
  g_capture.parameter = parameter;
  g_capture.writer = writer;
  g_capture.used.store(0);
  g_capture.overflowed.store(false);
  g_capture.active.store(true, std::memory_order_release);
  return midiInStart(g_capture.port) == MMSYSERR_NOERROR ? 0 : kResultMidiOpen;
}

int StopCapture(bool keep) {
  if (!g_capture.active.load()) return 11;
  g_capture.active.store(false, std::memory_order_release);
  StopAndResetPort();
  // Nothing is at the path before the writer runs: a file the user had
  // there stays untouched when the capture is dropped.
  if (!keep) return 0;
  if (g_capture.overflowed.load()) return kResultNoMemory;
  if (g_capture.writer == nullptr) return 11;
  return g_capture.writer(g_capture.words.get(), g_capture.used.load(), g_capture.path,
                          g_capture.parameter);
}

void CloseCapture() {
  if (g_capture.port == nullptr) return;
  g_capture.active.store(false);
  StopAndResetPort();
  midiInClose(g_capture.port);
  g_capture.port = nullptr;
  g_capture.words.reset();
  g_capture.capacity = 0;
}

bool CaptureActive() {
  return g_capture.active.load();
}
size_t CapturedWords() {
  return g_capture.used.load();
}

}  // namespace qm3::midi
