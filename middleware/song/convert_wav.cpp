// Processes 29 and 30: the song (or its selected range) played on the sound
// module and recorded from its audio output.
#include <algorithm>
#include <cmath>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "core/time_base.h"
#include "midi/input_capture.h"
#include "midi/module_sender.h"
#include "midi/transport.h"
#include "platform/clock.h"
#include "song/conversion.h"
#include "song/convert_smf.h"
#include "song/wav_capture.h"

namespace qm3 {
namespace {

// Conversions start on a whole multiple of 640 ms of the clock (28224
// frames, 441 blocks of 64): the same song then gives the same samples
// whenever it is converted.
constexpr uint64_t kStartGridUs = 640000;

Rc ConvertWav(const char* path, bool range, long flags) {
  if (path == nullptr || ReadValue(kSongLength) == 0) return kRcError;
  ConversionCut cut;
  cut.keep_tail = (flags & kWavKeepReleaseTail) != 0;
  if (range) {
    const SelectedRange r = ReadSelectedRange();
    if (r.start_ticks == r.end_ticks) return kRcNoRange;
    const int32_t from = std::min(r.start_ticks, r.end_ticks);
    const int32_t to = std::max(r.start_ticks, r.end_ticks);
    if (from < 0 || from >= ReadValue(kSongLength)) return kRcNoRange;
    cut.from = static_cast<uint32_t>(from);
    cut.to = static_cast<uint32_t>(std::min(to, ReadValue(kSongLength)));
  }
  PendingSmf smf;
  const bool with_smf = TakePendingSmf(&smf);
  midi::StopAndWait();
  SetPointerPosition(0);
  // The SMF's start settings go out as a conversion to SMF alone sends them
  // (the song's own settings follow before its first note sounds), before
  // the start on the grid: sending them takes time of its own.
  if (with_smf) {
    midi::SendGmOff();
    midi::SendPlayMode(2);
  }
  const uint64_t now = platform::GetMicroseconds();
  platform::SleepUntilMicroseconds((now / kStartGridUs + 1) * kStartGridUs);
  BeginConversion(with_smf ? kConversionSmfWav : kConversionWav, path, cut);
  platform::Sleep(1000);
  if (Rc rc = OpenWavCapture(); rc != 0) {
    EndConversion();
    return rc;
  }
  if (Rc rc = StartWavCapture(path); rc != 0) {
    CloseWavCapture();
    EndConversion();
    return rc;
  }
  // The song starts a second after the capture, with or without the MIDI
  // recording: opening the module's input takes its own settle time, which
  // falls inside that second, so the module's blocks meet the song's notes
  // on the same frames and the WAV is the WAV made alone, sample for sample.
  const uint64_t play_at = platform::GetMicroseconds() + 1000000;
  if (with_smf) {
    const double seconds = ReadValue(kSongLength) * (SongTempoMicroseconds() / 96.0) / 1e6;
    Rc rc = midi::OpenCapture(midi::CaptureWordsFor(seconds));
    if (rc == 0) rc = midi::StartCapture(smf.path, smf.range, WriteCapturedSmf);
    if (rc != 0) {
      midi::CloseCapture();
      StopWavCapture(false);
      CloseWavCapture();
      EndConversion();
      return rc;
    }
  }
  platform::SleepUntilMicroseconds(play_at);
  const Rc rc = WriteValue(kPlay, 1);
  if (rc != 0 || !midi::PlayRequested()) {
    if (with_smf) {
      midi::StopCapture(false);
      midi::CloseCapture();
    }
    StopWavCapture(false);
    CloseWavCapture();
    EndConversion();
    return rc != 0 ? rc : kRcMidiDeviceNotOpened;
  }
  return kRcOk;
}

}  // namespace

WavCut WavCutOf(const ConversionCut& cut) {
  const double us_per_tick = SongTempoMicroseconds() / 96.0;
  const auto frames_of_ticks = [&](double ticks) {
    return static_cast<int64_t>(std::llround(ticks * us_per_tick * kWavRate / 1e6));
  };
  WavCut c;
  c.keep_tail = cut.keep_tail;
  uint64_t beat_us = 0;
  c.clock_exact = WavCaptureClockExact() && midi::FirstBeatClock(&beat_us);
  c.first_us = beat_us;
  c.offset_frames = frames_of_ticks(cut.from);
  if (!c.clock_exact) c.offset_frames += CountInSkipFrames(ReadValue(kTempo) * 0.0001);
  if (cut.to > cut.from) {
    c.frames = static_cast<uint32_t>(frames_of_ticks(cut.to - cut.from));
    return c;
  }
  // The whole song: the span it was made for, to the sample, while the song
  // still fills it (within a frame of the time base).
  const double fps = CurrentFramesPerSecond();
  const double span = ReadValue(kEndTime) - ReadValue(kStartTime);
  const double played = TicksToFrames(ReadValue(kSongLength));
  const double frames = std::abs(played - span) < 1 ? span : played;
  c.frames = static_cast<uint32_t>(std::llround(frames * kWavRate / fps));
  return c;
}

namespace {

Rc ConvertWavAll(long* a, long* b) {
  return ConvertWav(reinterpret_cast<const char*>(*b), false, *a);
}
Rc ConvertWavPart(long* a, long* b) {
  return ConvertWav(reinterpret_cast<const char*>(*b), true, *a);
}
Rc ConvertSmfAllProcess(long* a, long* b) {
  return ConvertSmfAll(reinterpret_cast<const char*>(*b), *a);
}
Rc ConvertSmfPartProcess(long* a, long* b) {
  return ConvertSmfPart(reinterpret_cast<const char*>(*b), *a);
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterConvertWav() {
  RegisterProcess(kProcConvertSMFAll, ConvertSmfAllProcess);
  RegisterProcess(kProcConvertSMFPart, ConvertSmfPartProcess);
  RegisterProcess(kProcConvertWAVAll, ConvertWavAll);
  RegisterProcess(kProcConvertWAVPart, ConvertWavPart);
}

}  // namespace qm3
