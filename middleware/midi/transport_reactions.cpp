// Transport buttons and the output-port controls as reactions of the value
// table, and the main volume route.
#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/middle_internal.h"
#include "midi/module_sender.h"
#include "midi/transport.h"

namespace qm3::midi {
namespace {

// The play button's handler toggles its flag: 1 starts a play, 0 stops it.
int OnPlay(ControlId, int32_t) {
  if (ReadValue(kPlay) == 0) {
    StopAndWait();
    return 0;
  }
  return PressPlay();
}

int OnStop(ControlId, int32_t) {
  if (ReadValue(kStop) == 0) StopAndWait();
  return 0;
}

int OnMainVolume(ControlId, int32_t) {
  RouteMainVolume(ReadValue(kMainVolume));
  return 0;
}

// The output-port controls hold a position in the device list.
int OnOutputPort(ControlId, int32_t) {
  const QM3OutDeviceList& list = OutputDeviceList();
  const int32_t index = ReadValue(kMidiOutDevice);
  if (index >= 0 && index < list.nCount) {
    SetCurrentOutputDevice(static_cast<uint32_t>(list.aDevice[index].nDeviceId));
  }
  return 0;
}

QM3_REACTION(kMidiOutDevice, OnOutputPort, kStageDevice);
QM3_REACTION(kMidiOutDeviceSecond, OnOutputPort, kStageDevice);
QM3_REACTION(kPlay, OnPlay, kStageDevice);
QM3_REACTION(kStop, OnStop, kStageDevice);
QM3_REACTION(kMainVolume, OnMainVolume, kStageDevice);

int ModulePortFound(unsigned device) {
  OnModulePortFound(device);
  return ModulePresent() ? 0 : kResultMidiOpen;
}

struct Links {
  Links() {
    RegisterModulePortFound(ModulePortFound);
    RegisterPlayerReset([] {
      StopAndWait();
      return 0;
    });
  }
} g_links;

int ShutDown() {
  StopAndWait();
  ShutDownModule();
  return 0;
}

QM3_SHUTDOWN_STEP(ShutDown);

}  // namespace
}  // namespace qm3::midi
