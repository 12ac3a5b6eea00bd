// Transport buttons and the output-port controls as reactions of the value
// table, and the main volume route.
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "midi/module_sender.h"
#include "midi/transport.h"

namespace qm3::midi {
namespace {

int OnPlay(ControlId, int32_t) {
  if (ReadValue(kPlay) == 0) return 0;
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

QM3_REACTION(kPlay, OnPlay, kStageDevice);
QM3_REACTION(kStop, OnStop, kStageDevice);
QM3_REACTION(kMainVolume, OnMainVolume, kStageDevice);

int PlayingNow(long* a, long*) {
  *a = PlaybackRunning() ? 1 : 0;
  return 0;
}

QM3_PROCESS(39, PlayingNow);

int ShutDown() {
  StopAndWait();
  ShutDownModule();
  return 0;
}

QM3_SHUTDOWN_STEP(ShutDown);

}  // namespace
}  // namespace qm3::midi
