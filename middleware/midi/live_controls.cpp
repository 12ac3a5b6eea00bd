// The real-time song window's controls: entering and leaving the window, the
// section buttons and their lamps, fade-out, the record switch, stop, OK and
// cancel, and the recording handed to hosts (process 47).
//
// Thread rules: host thread. The live run's device thread only posts
// notifications; the lamps, the song length and the end time reach the value
// table here, when the host reads them.
#include <algorithm>
#include <memory>

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "core/result.h"
#include "midi/input_capture.h"
#include "midi/live_run.h"
#include "midi/module_sender.h"
#include "midi/transport.h"
#include "song/builder_content.h"
#include "song/live_song.h"

namespace qm3::midi {
namespace {

// The window's run and what the window remembers around it. Made by the
// first initialisation, freed at the end.
struct LiveWindow {
  LiveRun run;
  uint32_t input_device = 0;
  bool accepted = false;  // OK made the recording the song
  bool input_lost = false;
  QM3LiveRecording published{};
};

}  // namespace

// The window's slot in the middleware instance.
struct LiveWindowSlot {
  std::unique_ptr<LiveWindow> window;
  ~LiveWindowSlot() {
    if (window != nullptr) window->run.Stop();
  }
};

PartState<LiveWindowSlot> MakeLiveWindowSlot() {
  return MakePartState<LiveWindowSlot>();
}

namespace {

std::unique_ptr<LiveWindow>& Window() {
  return TheMiddleware().live->window;
}

// Controls the record switch disables while it records.
constexpr ControlId kLockedWhileRecording[] = {kRealTimeStartTime,   kRealTimeRhythm,
                                               kRealTimeMood,        kRealTimeMelodyChoice,
                                               kRealTimeUserMelody,  kTempo,
                                               kStandardTempoButton, kRealTimeOk,
                                               kRealTimeCancel,      kRealTimeStartPhrase};

bool OnWindow() {
  return CurrentScreen() == kScreenRealTime && Window() != nullptr;
}

LiveRhythm CurrentLiveRhythm() {
  LiveRhythm r;
  const int32_t rhythm = ReadValue(kRhythm);
  RhythmFacts facts;
  if (Content().Rhythm(rhythm, &facts)) {
    r.beats = facts.beats >= 1 ? facts.beats : 4;
    r.intro_measures = facts.intro_measures;
    r.ending_measures = facts.ending_measures;
    r.key_b = static_cast<uint8_t>(facts.keys[1]);
    r.key_c = static_cast<uint8_t>(facts.keys[2]);
  }
  if (const QM3RhythmData* data = FindRhythm(rhythm)) {
    r.melody_program = data->cParam2;
    r.melody_bank = data->cParam3;
    for (int i = 0; i < 6; ++i) r.part_volumes[i] = data->cPart[i];
  }
  r.transpose = CurrentRhythmTranspose();
  r.tempo_bpm = static_cast<int>(ReadValue(kTempo) * 0.0001 + 0.5);
  // A recording must fit the song length's range as a song.
  int32_t lo = 0, hi = 0;
  if (ReadRange(kSongLength, &lo, &hi)) {
    r.max_measures = std::min<int>(kMaxRunMeasures, hi / (r.beats * 96));
  }
  return r;
}

void SyncPlayedValues() {
  const LiveRun& run = Window()->run;
  const uint32_t lamps = run.lamps();
  for (int i = 0; i < 10; ++i) WriteValue(kFirstLamp + 2 * i, (lamps >> i) & 1u, false);
  if (run.active()) {
    WriteValue(kSongLength, run.played_ticks(), false);
    WriteValue(kEndTime, TimeOfTick(ReadValue(kSongLength)), false);
  }
}

// The window's controls back to usable, OK only with something recorded.
void RestoreControls() {
  for (ControlId id : kLockedWhileRecording) WriteAlive(id, true);
  WriteAlive(kRealTimeOk, Window()->run.recorded().count > 0);
  RedrawScreen();
}

// Recording off: the fade-out of the run becomes the song's.
void EndRecording() {
  LiveRun& run = Window()->run;
  if (!run.recording()) return;
  run.SetRecording(false);
  if (ReadValue(kRecordButton) != 0) {
    WriteValue(kRecordButton, 0, false);
    Notify(kRecordButton, kNotifyValue);
  }
  const int fade = run.fade_clocks();
  const double tempo = ReadValue(kTempo) * 0.0001;
  if (fade > 0 && tempo > 0) {
    WriteValue(kFadeOut, 1, false);
    WriteValue(kFadeOutSeconds, static_cast<int32_t>(fade * 2.5 / tempo), false);
    WriteAlive(kFadeOutSeconds, true);
  } else {
    WriteValue(kFadeOut, 0, false);
    WriteAlive(kFadeOutSeconds, false);
  }
  Notify(kFadeOut, kNotifyValue);
  Notify(kFadeOutSeconds, kNotifyValue);
  RestoreControls();
}

// Stops the run (if any) and settles what its end leaves: the song length of
// the recording, the recording switch, the lamps.
void StopRun() {
  LiveRun& run = Window()->run;
  if (!run.active()) return;
  const bool lost = run.end_reason() == LiveEnd::kInputLost;
  run.Stop();
  Window()->input_lost = lost;
  SyncPlayedValues();
  if (run.recording()) {
    const int32_t length = run.beats() * run.recorded().count * 96;
    WriteValue(kSongLength, length, false);
    WriteValue(kEndTime, TimeOfTick(length), false);
  }
  Notify(kSongLength, kNotifyValue);
  Notify(kRealTimeEndTime, kNotifyValue);
  EndRecording();
}

Rc StartRun() {
  LiveWindow& w = *Window();
  LiveRun::Ports ports;
  ports.output_device = CurrentOutputDevice();
  ports.input_device = w.input_device;
  ports.prepare_material = PrepareLiveMaterial;
  w.accepted = false;
  w.input_lost = false;
  return w.run.Start(ports, CurrentLiveRhythm());
}

// ---- reactions -------------------------------------------------------------

Rc EnterWindow(int) {
  if (Window() == nullptr) return kRcMidiDeviceNotOpened;
  LiveWindow& w = *Window();
  w.run.Stop();
  w.run.Reset();
  w.accepted = false;
  w.input_lost = false;
  w.input_device = FindModuleInput();
  return w.input_device < platform::midiInGetNumDevs() ? kRcOk : kRcMidiDeviceNotOpened;
}

Rc LeaveWindow(int) {
  if (Window() == nullptr) return kRcOk;
  LiveWindow& w = *Window();
  StopRun();
  EndRecording();
  for (ControlId id : kLockedWhileRecording) WriteAlive(id, true);
  if (w.accepted) DisableUndo();
  w.run.ClearRecorded();
  w.accepted = false;
  return kRcOk;
}

// Buttons 0x040C..0x041E: intro (ending while a run is on), variation and
// fill-in, each starting a run when none is on.
Rc OnSectionButton(ControlId id, int32_t) {
  if (!OnWindow()) return kRcOk;
  if (CurrentOutputDevice() != ModulePort()) return kRcWrongOutputDevice;
  LiveRun& run = Window()->run;
  // A run that ended by itself is closed before anything else happens.
  if (run.active() && run.ended()) StopRun();
  const int index = ((id & 0xFFFF) - IntroButton(1)) / 2;  // 0..9
  if (index < 4) {
    if (run.active()) {
      run.RequestEnding(index);
    } else {
      run.RequestIntro(index);
    }
  } else if (index < 8) {
    run.RequestVariation(index - 4);
  } else {
    run.RequestFill(index - 8);
  }
  return run.active() ? kRcOk : StartRun();
}

Rc OnFadeButton(ControlId, int32_t) {
  if (OnWindow() && Window()->run.active()) Window()->run.RequestFade();
  return kRcOk;
}

Rc OnRecordSwitch(ControlId, int32_t old_value) {
  if (!OnWindow()) return kRcOk;
  LiveRun& run = Window()->run;
  // The window's switch is one button that always writes 1: pressed while
  // recording, it stops (a write of 0 stops as well).
  if (ReadValue(kRecordButton) != 0 && old_value != 0 && run.recording()) {
    WriteValue(kRecordButton, 0, false);
    Notify(kRecordButton, kNotifyValue);
  }
  if (ReadValue(kRecordButton) != 0) {
    for (ControlId id : kLockedWhileRecording) WriteAlive(id, false);
    WriteAlive(kPlay, false);
    RedrawScreen();
    run.SetRecording(true);
    return kRcOk;
  }
  if (run.active() && !run.ended()) {
    run.StopAtBarEnd();  // the run's end settles the recording
    return kRcOk;
  }
  StopRun();
  EndRecording();
  return kRcOk;
}

// Stop on the window ends the run; a run whose input went away says so.
Rc OnStopButton(ControlId, int32_t) {
  if (!OnWindow() || ReadValue(kStop) != 0) return kRcOk;
  StopRun();
  return Window()->input_lost ? kRcMidiDeviceNotOpened : kRcOk;
}

Rc OnOk(ControlId, int32_t) {
  if (!OnWindow()) return kRcOk;
  StopRun();
  LiveWindow& w = *Window();
  const LiveRecording& rec = w.run.recorded();
  if (rec.count == 0) return kRcOk;
  const Rc rc = MakeSongFromRecording(rec.sections.data(), rec.variations.data(), rec.count);
  if (rc == 0) w.accepted = true;
  return rc;
}

Rc OnCancel(ControlId, int32_t) {
  if (!OnWindow()) return kRcOk;
  StopRun();
  Window()->run.ClearRecorded();
  Window()->accepted = false;
  return kRcOk;
}

Rc SyncOnRead(ControlId) {
  if (OnWindow()) SyncPlayedValues();
  return kRcOk;
}

// Process 47: a = the recording of the last run.
Rc GetLiveRecording(long* a, long*) {
  *a = 0;
  if (Window() == nullptr) return kRcOk;
  LiveWindow& w = *Window();
  if (w.run.active()) {
    w.published = QM3LiveRecording{};
  } else {
    const LiveRecording& rec = w.run.recorded();
    w.published = QM3LiveRecording{rec.count, rec.sections.data(), rec.variations.data()};
  }
  *a = reinterpret_cast<long>(&w.published);
  return kRcOk;
}

// The main volume goes through the run's port while a run holds it.
bool RouteVolumeThroughRun(uint8_t volume) {
  if (Window() == nullptr || !Window()->run.active() || Window()->run.ended()) {
    return false;
  }
  Window()->run.SendMainVolume(volume);
  return true;
}

Rc MakeLiveWindow() {
  if (Window() == nullptr) Window() = std::make_unique<LiveWindow>();
  return kRcOk;
}

Rc FreeLiveWindow() {
  if (Window() != nullptr) Window()->run.Stop();
  Window().reset();
  return kRcOk;
}

}  // namespace

void SetLiveRunObserver(const LiveObserver& observer) {
  if (Window() != nullptr) Window()->run.SetObserver(observer);
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterLiveControls() {
  RegisterInitStep(kInitVoiceTables, MakeLiveWindow);
  RegisterShutdownStep(FreeLiveWindow);
  SetRunVolumeRoute(RouteVolumeThroughRun);
  RegisterScreenEnter(kScreenRealTime, EnterWindow);
  RegisterScreenLeave(kScreenRealTime, LeaveWindow);
  for (int k = 1; k <= 4; ++k) {
    RegisterReaction(IntroButton(k), OnSectionButton, kStageDevice);
    RegisterReaction(VariationButton(k), OnSectionButton, kStageDevice);
  }
  RegisterReaction(FillInButton(1), OnSectionButton, kStageDevice);
  RegisterReaction(FillInButton(2), OnSectionButton, kStageDevice);
  RegisterReaction(kFadeOutButton, OnFadeButton, kStageDevice);
  RegisterReaction(kRecordButton, OnRecordSwitch, kStageDevice);
  RegisterReaction(kStop, OnStopButton, kStageDevice);
  RegisterReaction(kRealTimeOk, OnOk, kStageSong);
  RegisterReaction(kRealTimeCancel, OnCancel, kStageSong);
  for (ControlId lamp = kFirstLamp; lamp <= kLastLamp; lamp += 2) {
    RegisterReadHook(lamp, SyncOnRead);
  }
  RegisterReadHook(kSongLength, SyncOnRead);
  RegisterReadHook(kEndTime, SyncOnRead);
  RegisterReadHook(kRealTimeEndTime, SyncOnRead);
  RegisterProcess(kProcGetLiveRecording, GetLiveRecording);
}

}  // namespace qm3::midi
