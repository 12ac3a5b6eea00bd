// Screens: the change of screen (process 25) with the transport buttons of
// each screen and the work on entering and leaving, the start-up choice
// (process 26), and the enabled-state rules of the play-time window.
#include <cmath>

#include "core/control_ids.h"
#include "core/core_state.h"

namespace qm3 {
namespace {

constexpr double kFramesPerSecond[] = {24.0, 25.0, 29.97, 30.0};

void SetLocateButtons(bool alive) {
  WriteAlive(kReturnToTop, alive);
  WriteAlive(kRewind, alive);
  WriteAlive(kFastForward, alive);
}

void PressStop() {
  WriteValue(kStop, 0);
}

void SetTransportFor(int screen) {
  switch (screen) {
    case kScreenPlayTime:
      SetLocateButtons(false);
      PressStop();
      WriteAlive(kPlay, true);
      WriteAlive(kFadeOut, true);
      break;
    case kScreenRealTime:
      SetLocateButtons(false);
      PressStop();
      WriteAlive(kPlay, false);
      WriteAlive(kTempo, true);
      WriteAlive(kStandardTempoButton, true);
      break;
    case kScreenSongEdit:
    case kScreenSmfEdit:
      // Its reaction refreshes the synchronisation fields.
      WriteValue(kSyncMethod, ReadValue(kSyncMethod));
      SetLocateButtons(ReadValue(kSongLength) >= 1);
      PressStop();
      break;
    default:
      break;
  }
}

Rc EnterScreen(int screen) {
  Rc rc = kRcOk;
  switch (screen) {
    case kScreenRealTime:
      for (ControlId lamp = kFirstLamp; lamp <= kLastLamp; lamp += 2) WriteValue(lamp, 0, false);
      WriteAlive(kPlay, false);
      WriteAlive(kRealTimeOk, false);
      WriteValue(kSongLength, 0, false);
      WriteValue(kEndTime, TimeOfTick(0), false);
      break;
    case kScreenSongEdit:
      if (ReadValue(kSongLength) != 0) {
        for (ControlId id = kPhraseAccomp1; id <= kPhraseDrums; ++id) WriteAlive(id, true);
      }
      DisableUndo();
      break;
    case kScreenSmfEdit:
      DisableUndo();
      break;
    default:
      break;
  }
  // Opening MIDI input and resetting the arrangement belong to their owners.
  rc = RunScreenEnter(screen);
  switch (screen) {
    case kScreenPlayTime:
    case kScreenRealTime:
    case kScreenSongEdit:
    case kScreenSmfEdit:
      RedrawScreen();
      break;
    default:
      break;
  }
  return rc;
}

// Process 25: a = the new screen's identifier 0x42nn.
Rc ChangeWindow(long* a, long*) {
  if ((*a & ~0xFFL) != ScreenId(0)) return kRcOk;
  RunScreenLeave(CurrentScreen());
  const int screen = static_cast<int>(*a & 0xFF);
  SetCurrentScreen(screen);
  SetTransportFor(screen);
  return EnterScreen(screen);
}

// Process 26: a = the start-up choice of the welcome window.
Rc InitialMenu(long* a, long*) {
  WaitHardwareReady();
  const long choice = *a;
  if (choice != 0 && choice != 1) return kRcOk;
  ResetPlayer();
  if (choice == 0) {
    const int32_t base = ReadValue(kTimeBase);
    const double fps = kFramesPerSecond[base >= 0 && base <= 3 ? base : 3];
    WriteValue(kEndTime, static_cast<int32_t>(std::floor(fps * 60.0 + 0.5)), false);
  }
  return WriteValue(kRhythm, RememberedRhythm());
}

// Fade-out on/off: its length is usable only when it is on.
Rc OnFadeOut(ControlId, int32_t) {
  WriteAlive(kFadeOutSeconds, ReadValue(kFadeOut) == 1);
  RedrawScreen();
  return kRcOk;
}

// Start time on the real-time screen: the end follows at start + song length.
Rc OnRealTimeStartTime(ControlId, int32_t) {
  if (CurrentScreen() != kScreenRealTime) return kRcOk;
  WriteValue(kEndTime, TimeOfTick(ReadValue(kSongLength)), false);
  Notify(kRealTimeEndTime, kNotifyValue);
  return kRcOk;
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterScreens() {
  RegisterProcess(kProcChangeWindow, ChangeWindow);
  RegisterProcess(kProcInitialMenu, InitialMenu);
  RegisterReaction(kFadeOut, OnFadeOut, kStageValues);
  RegisterReaction(kEditFadeOut, OnFadeOut, kStageValues);
  RegisterReaction(kStartTime, OnRealTimeStartTime, kStageValues);
}

}  // namespace qm3
