#include "midi/input_capture.h"

#include <atomic>
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
  std::atomic<size_t> used{0};
  std::atomic<bool> active{false};
  std::string path;
  uint64_t parameter = 0;
  CaptureWriter writer = nullptr;
};

Capture g_capture;

void OnInput(HMIDI, UINT msg, DWORD_PTR, DWORD_PTR message, DWORD_PTR time_ms) {
  if (msg != MIM_DATA || !g_capture.active.load(std::memory_order_acquire)) return;
  uint32_t* words = g_capture.words.get();
  size_t used = g_capture.used.load(std::memory_order_relaxed);
  // Each word only while there is room for it (a full store drops the rest).
  if (used < kCaptureWords) words[used++] = static_cast<uint32_t>(time_ms);
  if (used < kCaptureWords) words[used++] = static_cast<uint32_t>(message);
  g_capture.used.store(used, std::memory_order_release);
}

void StopAndResetPort() {
  midiInStop(g_capture.port);
  platform::Sleep(50);
  midiInReset(g_capture.port);
  platform::Sleep(50);
}

}  // namespace

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

int OpenCapture() {
  if (g_capture.port != nullptr) return 0;
  if (midiInOpen(&g_capture.port, FindModuleInput(), reinterpret_cast<DWORD_PTR>(&OnInput), 0,
                 CALLBACK_FUNCTION) != MMSYSERR_NOERROR) {
    g_capture.port = nullptr;
    return kResultMidiOpen;
  }
  g_capture.words.reset(new (std::nothrow) uint32_t[kCaptureWords]);
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
  g_capture.active.store(true, std::memory_order_release);
  return midiInStart(g_capture.port) == MMSYSERR_NOERROR ? 0 : kResultMidiOpen;
}

int StopCapture(bool keep) {
  if (!g_capture.active.load()) return 11;
  g_capture.active.store(false, std::memory_order_release);
  StopAndResetPort();
  if (!keep) {
    std::remove(g_capture.path.c_str());
    return 0;
  }
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
}

bool CaptureActive() {
  return g_capture.active.load();
}
size_t CapturedWords() {
  return g_capture.used.load();
}

}  // namespace qm3::midi
