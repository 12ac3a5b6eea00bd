#include "song/conversion.h"

#include <algorithm>
#include <mutex>
#include <utility>

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
  bool smf_pending = false;
  PendingSmf pending;
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

// Finishes the capture: keep the result (complete) or throw it away; a cancel
// is kRcOk. With both captures the audio one's failure comes first.
Rc FinishCapture(ConversionKind kind, bool complete, const ConversionCut& cut) {
  Rc rc = kRcOk;
  if (kind == kConversionWav || kind == kConversionSmfWav) {
    if (complete) SetWavCut(WavCutOf(cut));
    rc = StopWavCapture(complete);
    CloseWavCapture();
  }
  if (kind == kConversionSmf || kind == kConversionSmfWav) {
    const Rc smf_rc = midi::StopCapture(complete);
    midi::CloseCapture();
    if (rc == kRcOk) rc = smf_rc;
  }
  return rc;
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
Rc OnProgressRead(ControlId) {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  if (s.kind == kConversionNone || !s.played_through) return kRcOk;
  // The module's last messages arrive within a second of the end. The audio
  // device hands over frames a little behind the clock: a margin past the
  // song's end (or the whole release tail) is recorded before the capture
  // stops. Together, each capture stops when it would alone.
  const uint32_t audio_ms = s.cut.keep_tail ? kReleaseTailMs : kEndMarginMs;
  Rc rc = kRcOk;
  if (s.kind == kConversionSmf) {
    platform::Sleep(kMidiEndMarginMs);
    rc = FinishCapture(kConversionSmf, true, s.cut);
  } else if (s.kind == kConversionWav) {
    platform::Sleep(audio_ms);
    rc = FinishCapture(kConversionWav, true, s.cut);
  } else if (s.kind == kConversionSmfWav) {
    const bool audio_first = audio_ms <= kMidiEndMarginMs;
    platform::Sleep(std::min(audio_ms, kMidiEndMarginMs));
    rc = FinishCapture(audio_first ? kConversionWav : kConversionSmf, true, s.cut);
    platform::Sleep(std::max(audio_ms, kMidiEndMarginMs) - std::min(audio_ms, kMidiEndMarginMs));
    const Rc rest = FinishCapture(audio_first ? kConversionSmf : kConversionWav, true, s.cut);
    if (rc == kRcOk) rc = rest;
  }
  s.kind = kConversionNone;
  SetProgress(100, 0);
  return rc;
}

Rc OnCancel(ControlId, int32_t) {
  if (CurrentConversion() != kConversionNone) midi::StopAndWait();
  return kRcOk;
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

}  // namespace

void SetPendingSmf(const PendingSmf& smf) {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  s.pending = smf;
  s.smf_pending = true;
}

bool TakePendingSmf(PendingSmf* smf) {
  ConversionState& s = S();
  std::lock_guard lock(s.mu);
  if (!s.smf_pending) return false;
  s.smf_pending = false;
  *smf = std::move(s.pending);
  return true;
}

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

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterConversion() {
  RegisterReaction(kConvertCancel, OnCancel, kStageDevice);
  midi::SetPlayObserver({OnPosition, OnPlayEnded});
  midi::SetCaptureHooks({AudioCaptureRunning, InputCaptureRunning, RangeEnd});
  RegisterReadHook(kConvertProgress, OnProgressRead);
}

}  // namespace qm3
