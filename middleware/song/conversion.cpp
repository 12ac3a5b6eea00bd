#include "song/conversion.h"

#include <algorithm>
#include <mutex>

#include "core/control_ids.h"
#include "core/device_handover.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/time_base.h"
#include "midi/input_capture.h"
#include "midi/transport.h"
#include "platform/clock.h"
#include "song/wav_capture.h"

namespace qm3 {

struct ConversionState {
  std::mutex mu;
  ConversionKind kind = kConversionNone;
  std::string path;
  uint32_t start = 0;
  uint32_t end = 0;
  ConversionCut cut;
  bool played_through = false;
};

PartState<ConversionState> MakeConversionState() {
  return MakePartState<ConversionState>();
}

namespace {

ConversionState& S() {
  return *TheMiddleware().conversion;
}

void SetProgress(int32_t percent, int32_t remaining_seconds) {
  WriteValue(kConvertProgress, percent, false);
  WriteValue(kConvertRemaining, remaining_seconds, false);
}

// Whole seconds of playing time.
int32_t SecondsOfTicks(uint32_t ticks) {
  return static_cast<int32_t>(TicksToFrames(ticks) / CurrentFramesPerSecond());
}

// Finishes the capture: keep the result (complete) or throw it away.
int FinishCapture(ConversionKind kind, bool complete, const ConversionCut& cut) {
  int rc = 0;
  if (kind == kConversionSmf) {
    rc = midi::StopCapture(complete);
    midi::CloseCapture();
  } else if (kind == kConversionWav) {
    if (complete) SetWavCut(WavCutOf(cut));
    rc = StopWavCapture(complete);
    CloseWavCapture();
  }
  return rc < 0 ? 0 : rc;  // a cancel is not an error
}

void OnPosition(uint32_t pos) {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  if (s.kind == kConversionNone || s.end <= s.start) return;
  const uint32_t p = std::clamp(pos, s.start, s.end);
  const int32_t percent = static_cast<int32_t>((p - s.start) * 90 / (s.end - s.start));
  const int32_t r = SecondsOfTicks(s.end - p);
  PostToOwner([percent, r] { SetProgress(percent, 5 * (r / 5 + 1)); });
}

void OnPlayEnded(bool reached_end) {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  if (s.kind == kConversionNone) return;
  if (reached_end) {
    s.played_through = true;
    PostToOwner([] { SetProgress(90, 5); });
    return;
  }
  FinishCapture(s.kind, false, s.cut);
  s.kind = kConversionNone;
}

// Reading the progress after the song has played through completes the
// conversion; the read returns its result.
int OnProgressRead(ControlId) {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  if (s.kind == kConversionNone || !s.played_through) return 0;
  if (s.kind == kConversionSmf) platform::Sleep(1000);
  // The audio device hands over frames a little behind the clock: a margin
  // past the song's end (or the whole release tail) is recorded before the
  // capture stops.
  if (s.kind == kConversionWav) platform::Sleep(s.cut.keep_tail ? kReleaseTailMs : kEndMarginMs);
  const int rc = FinishCapture(s.kind, true, s.cut);
  s.kind = kConversionNone;
  SetProgress(100, 0);
  return rc;
}

int OnCancel(ControlId, int32_t) {
  if (CurrentConversion() != kConversionNone) midi::StopAndWait();
  return 0;
}

bool AudioCaptureRunning() {
  return WavCaptureRunning();
}
bool InputCaptureRunning() {
  return midi::CaptureActive();
}
uint32_t RangeEnd() {
  return 0;  // a conversion plays the whole song and keeps its cut
}

struct Links {
  Links() {
    midi::SetPlayObserver({OnPosition, OnPlayEnded});
    midi::SetCaptureHooks({AudioCaptureRunning, InputCaptureRunning, RangeEnd});
    RegisterReadHook(kConvertProgress, OnProgressRead);
  }
} g_links;

QM3_REACTION(kConvertCancel, OnCancel, kStageDevice);

}  // namespace

void BeginConversion(ConversionKind kind, const std::string& path, const ConversionCut& cut) {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  s.kind = kind;
  s.path = path;
  s.cut = cut;
  s.start = 0;
  s.end = static_cast<uint32_t>(std::max(0, ReadValue(kSongLength)));
  s.played_through = false;
  WriteRange(kConvertProgress, 0, 100);
  WriteRange(kConvertRemaining, 0, 0x7FFFFFFF);
  SetProgress(0, 5 * (SecondsOfTicks(s.end - s.start) / 5 + 1));
}

void EndConversion() {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  s.kind = kConversionNone;
}

ConversionKind CurrentConversion() {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  return s.kind;
}

}  // namespace qm3
