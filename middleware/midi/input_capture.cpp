#include "midi/input_capture.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "core/device_result.h"
#include "core/middleware.h"
#include "core/result.h"
#include "midi/module_sender.h"
#include "platform/clock.h"
#include "platform/mmsystem.h"

namespace qm3::midi {

using platform::HMIDIIN;

// The capture of the module's input; owned by the middleware instance. The
// input callback (a device thread) fills the words and moves `used`.
struct InputCaptureState {
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

PartState<InputCaptureState> MakeInputCaptureState() {
  return MakePartState<InputCaptureState>();
}

namespace {

using namespace platform;

InputCaptureState& C() {
  return *TheMiddleware().input_capture;
}

void OnInput(HMIDI, UINT msg, DWORD_PTR, DWORD_PTR message, DWORD_PTR time_ms) {
  if (msg != MIM_DATA || !C().active.load(std::memory_order_acquire)) return;
  // Only channel messages make the file; real-time and system bytes take no room.
  const uint32_t status = static_cast<uint32_t>(message) & 0xFF;
  if (status < 0x80 || status >= 0xF0) return;
  const size_t used = C().used.load(std::memory_order_relaxed);
  if (used + 2 > C().capacity) {
    C().overflowed.store(true, std::memory_order_relaxed);
    return;
  }
  uint32_t* words = C().words.get();
  words[used] = static_cast<uint32_t>(time_ms);
  words[used + 1] = static_cast<uint32_t>(message);
  C().used.store(used + 2, std::memory_order_release);
}

void StopAndResetPort() {
  midiInStop(C().port);
  platform::Sleep(50);
  midiInReset(C().port);
  platform::Sleep(50);
}

}  // namespace

size_t CaptureWordsFor(double seconds) {
  if (!(seconds > 0)) return kCaptureWords;
  const double words = std::ceil((seconds + 60) * kCaptureWordsPerSecond);
  return std::max(kCaptureWords, static_cast<size_t>(std::min(words, 1e9)));
}

void LimitCaptureWords(size_t words) {
  C().limit = words;
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

Rc OpenCapture(size_t words) {
  if (C().port != nullptr) return kRcOk;
  if (C().limit != 0) words = std::min(words, C().limit);
  // The capture only keeps time stamps: the driver may hand them over late.
  const Rc opened =
      MidiDeviceRc(midiInOpen(&C().port, FindModuleInput(), reinterpret_cast<DWORD_PTR>(&OnInput),
                              0, CALLBACK_FUNCTION | MIDI_IO_BATCHED));
  if (opened != kRcOk) {
    C().port = nullptr;
    return opened;
  }
  C().words.reset(new (std::nothrow) uint32_t[words]);
  C().capacity = C().words ? words : 0;
  if (!C().words) {
    midiInClose(C().port);
    C().port = nullptr;
    return kRcNoMemory;
  }
  return kRcOk;
}

Rc StartCapture(const std::string& path, uint64_t parameter, CaptureWriter writer) {
  if (C().port == nullptr) return kRcMidiDeviceNotOpened;
  C().path = path;
  C().parameter = parameter;
  C().writer = writer;
  C().used.store(0);
  C().overflowed.store(false);
  C().active.store(true, std::memory_order_release);
  return MidiDeviceRc(midiInStart(C().port));
}

Rc StopCapture(bool keep) {
  if (!C().active.load()) return kRcFileNotWritten;
  // The stop hands over what the driver still holds from before it.
  midiInStop(C().port);
  C().active.store(false, std::memory_order_release);
  StopAndResetPort();
  // Nothing is at the path before the writer runs: a file the user had
  // there stays untouched when the capture is dropped.
  if (!keep) return kRcOk;
  if (C().overflowed.load()) return kRcNoMemory;
  if (C().writer == nullptr) return kRcFileNotWritten;
  return C().writer(C().words.get(), C().used.load(), C().path, C().parameter);
}

void CloseCapture() {
  if (C().port == nullptr) return;
  C().active.store(false);
  StopAndResetPort();
  midiInClose(C().port);
  C().port = nullptr;
  C().words.reset();
  C().capacity = 0;
}

bool CaptureActive() {
  return C().active.load();
}
size_t CapturedWords() {
  return C().used.load();
}

}  // namespace qm3::midi
