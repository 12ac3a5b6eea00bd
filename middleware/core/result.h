// The middleware's one error vocabulary. Every failure inside the middleware
// is an Rc, numbered as the host's return-code table numbers it
// (qm3middle_ids.h, process 24), so the six exported calls hand it out as it
// is. Device results (MMRESULT and the like) become an Rc where the device is
// called; nothing else inside the middleware has codes of its own.
//
// Thread rules: value types only; usable from any thread.
#pragma once
#include <optional>
#include <utility>

#include "qm3middle.h"
#include "qm3middle_ids.h"

namespace qm3 {

enum Rc : int {
  kRcOk = QM3_RC_OK,
  kRcError = QM3_RC_ERROR,  // a refused request, a bad argument, a wrong state
  kRcConfirm = QM3_RC_CONFIRM,
  kRcRecordingErased = QM3_RC_RECORDING_ERASED,
  kRcNoMemory = QM3_RC_NO_MEMORY,  // also: a result that does not fit its buffer
  kRcFileNotRead = QM3_RC_FILE_NOT_READ,
  kRcUnsupportedFile = QM3_RC_UNSUPPORTED_FILE,  // bytes that are no usable MIDI file
  kRcPart10IsDrums = QM3_RC_PART10_IS_DRUMS,
  kRcDiskFull = QM3_RC_DISK_FULL,
  kRcModuleNotFound = QM3_RC_MODULE_NOT_FOUND,
  kRcModuleNotFoundContinue = QM3_RC_MODULE_NOT_FOUND_CONTINUE,
  kRcFileNotWritten = QM3_RC_FILE_NOT_WRITTEN,
  kRcAudioDeviceNotOpened = QM3_RC_AUDIO_DEVICE_NOT_OPENED,
  kRcMidiDeviceNotOpened = QM3_RC_MIDI_DEVICE_NOT_OPENED,  // any failure of the MIDI port
  kRcDrumSoundOutsidePart10 = QM3_RC_DRUM_SOUND_OUTSIDE_PART10,
  kRcSongFileVersion = QM3_RC_SONG_FILE_VERSION,
  kRcSongFileBroken = QM3_RC_SONG_FILE_BROKEN,
  kRcNoRange = QM3_RC_NO_RANGE,
  kRcSongTooLong = QM3_RC_SONG_TOO_LONG,
  kRcDoesNotFit = QM3_RC_DOES_NOT_FIT,
  kRcIntroEndingChanged = QM3_RC_INTRO_ENDING_CHANGED,
  kRcTimesChanged = QM3_RC_TIMES_CHANGED,
  kRcTimesIntroEndingChanged = QM3_RC_TIMES_INTRO_ENDING_CHANGED,
  kRcWrongOutputDevice = QM3_RC_WRONG_OUTPUT_DEVICE,
  kRcNotInitialised = QM3_RC_NOT_INITIALISED,
};

constexpr int kReturnCodeCount = QM3_RETURN_CODE_COUNT;

// A value, or the code saying why there is none (never kRcOk).
template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}                       // NOLINT: implicit by design
  Result(Rc failure) : rc_(failure == kRcOk ? kRcError : failure) {}  // NOLINT
  bool ok() const { return rc_ == kRcOk; }
  Rc rc() const { return rc_; }
  // Only when ok().
  T& value() { return *value_; }
  const T& value() const { return *value_; }
  T value_or(T fallback) const { return ok() ? *value_ : std::move(fallback); }

 private:
  std::optional<T> value_;
  Rc rc_ = kRcOk;
};

}  // namespace qm3
