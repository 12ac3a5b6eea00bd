// Processes 29 and 30: the song (or its selected range) played on the sound
// module and recorded from its audio output.
#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "midi/transport.h"
#include "platform/clock.h"
#include "song/conversion.h"
#include "song/convert_smf.h"
#include "song/wav_capture.h"

namespace qm3 {
namespace {

int ConvertWav(const char* path, bool range) {
  if (path == nullptr || ReadValue(kSongLength) == 0) return 1;
  uint32_t start = 0;
  uint32_t end = 0;
  if (range) {
    const SelectedRange r = ReadSelectedRange();
    if (r.start_ticks == r.end_ticks) return 18;
    start = static_cast<uint32_t>(r.start_ticks);
    end = static_cast<uint32_t>(r.end_ticks);
  }
  midi::StopAndWait();
  SetPointerPosition(static_cast<int32_t>(start));
  BeginConversion(kConversionWav, path, start, end);
  platform::Sleep(1000);
  if (int rc = OpenWavCapture(); rc != 0) {
    EndConversion();
    return rc;
  }
  if (int rc = StartWavCapture(path, CountInSkipFrames(ReadValue(kTempo) * 0.0001)); rc != 0) {
    CloseWavCapture();
    EndConversion();
    return rc;
  }
  platform::Sleep(1000);
  const int rc = WriteValue(kPlay, 1);
  if (rc != 0 || !midi::PlayRequested()) {
    StopWavCapture(false);
    CloseWavCapture();
    EndConversion();
    return rc != 0 ? rc : kResultPlayFailed;
  }
  return 0;
}

int ConvertWavAll(long*, long* b) {
  return ConvertWav(reinterpret_cast<const char*>(*b), false);
}
int ConvertWavPart(long*, long* b) {
  return ConvertWav(reinterpret_cast<const char*>(*b), true);
}
int ConvertSmfAllProcess(long*, long* b) {
  return ConvertSmfAll(reinterpret_cast<const char*>(*b));
}
int ConvertSmfPartProcess(long*, long* b) {
  return ConvertSmfPart(reinterpret_cast<const char*>(*b));
}

QM3_PROCESS(kProcConvertSMFAll, ConvertSmfAllProcess);
QM3_PROCESS(kProcConvertSMFPart, ConvertSmfPartProcess);
QM3_PROCESS(kProcConvertWAVAll, ConvertWavAll);
QM3_PROCESS(kProcConvertWAVPart, ConvertWavPart);

}  // namespace
}  // namespace qm3
