// Transport buttons and the output-port controls as reactions of the value
// table, and the main volume route.
#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "midi/module_sender.h"
#include "midi/transport.h"

namespace qm3::midi {
namespace {

// The play button's handler toggles its flag: 1 starts a play, 0 stops it.
Rc OnPlay(ControlId, int32_t) {
  if (ReadValue(kPlay) == 0) {
    StopAndWait();
    return kRcOk;
  }
  return PressPlay();
}

Rc OnStop(ControlId, int32_t) {
  if (ReadValue(kStop) == 0) StopAndWait();
  return kRcOk;
}

Rc OnMainVolume(ControlId, int32_t) {
  RouteMainVolume(ReadValue(kMainVolume));
  return kRcOk;
}

// Return to top, rewind and fast-forward move the pointer (to 0, one
// measure back, one measure on); a play in progress continues from there.
Rc MovePointer(int32_t ticks) {
  int32_t lo = 0, hi = 0;
  ReadRange(kPointerTicks, &lo, &hi);
  ticks = ticks < lo ? lo : ticks > hi ? hi : ticks;
  const bool was_playing = PlaybackRunning();
  if (was_playing) StopAndWait();
  SetPointerPosition(ticks);
  Notify(0x8003, kNotifyValue);
  if (!was_playing) return kRcOk;
  if (ReadValue(kPlay) == 0) WriteValue(kPlay, 1, false);  // the handler toggles
  return PressPlay();
}

int32_t MeasureTicks() {
  long one = 1, ticks = 0;
  RunProcess(kProcMeas2Tick, &one, &ticks);
  return ticks > 0 ? static_cast<int32_t>(ticks) : 384;
}

Rc OnReturnToTop(ControlId, int32_t) {
  return MovePointer(0);
}
Rc OnRewind(ControlId, int32_t) {
  return MovePointer(ReadValue(kPointerTicks) - MeasureTicks());
}
Rc OnFastForward(ControlId, int32_t) {
  return MovePointer(ReadValue(kPointerTicks) + MeasureTicks());
}

// The output-port controls hold a position in the device list.
Rc OnOutputPort(ControlId, int32_t) {
  const QM3OutDeviceList& list = OutputDeviceList();
  const int32_t index = ReadValue(kMidiOutDevice);
  if (index >= 0 && index < list.nCount) {
    SetCurrentOutputDevice(static_cast<uint32_t>(list.aDevice[index].nDeviceId));
  }
  return kRcOk;
}

Rc ModulePortFound(unsigned device) {
  OnModulePortFound(device);
  return ModulePresent() ? kRcOk : kRcMidiDeviceNotOpened;
}

// Resetting the player (song mode chosen, a new song from the welcome
// window): playback stops, the module's parts are cleared, and the module is
// put in the system's own play mode (General MIDI off, play mode 2), which is
// what a song needs.
Rc ResetPlayerAndModule() {
  StopAndWait();
  ResetAllChannels();
  SendGmOff();
  SendPlayMode(2);
  return kRcOk;
}

Rc ShutDown() {
  StopAndWait();
  ShutDownModule();
  return kRcOk;
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterTransportReactions() {
  RegisterReaction(kReturnToTop, OnReturnToTop, kStageDevice);
  RegisterReaction(kReturnToTopSecond, OnReturnToTop, kStageDevice);
  RegisterReaction(kRewind, OnRewind, kStageDevice);
  RegisterReaction(kFastForward, OnFastForward, kStageDevice);
  RegisterReaction(kMidiOutDevice, OnOutputPort, kStageDevice);
  RegisterReaction(kMidiOutDeviceSecond, OnOutputPort, kStageDevice);
  RegisterReaction(kPlay, OnPlay, kStageDevice);
  RegisterReaction(kStop, OnStop, kStageDevice);
  RegisterReaction(kMainVolume, OnMainVolume, kStageDevice);
  RegisterShutdownStep(ShutDown);
  RegisterModulePortFound(ModulePortFound);
  RegisterPlayerReset(ResetPlayerAndModule);
}

}  // namespace qm3::midi
