// Recording the sound module's audio: the input device found by name, four
// one-second buffers, a spool file written by a capture thread, and at the
// end the sound span trimmed with the count-in clicks as reference and
// written as a 16-bit stereo 44.1 kHz RIFF WAVE file.
//
// Thread rules: Open/Start/Stop/Close on the host or play thread; the device
// callback only advances the ring index; the capture thread spools and writes
// the file. Waits poll on the platform clock and time out.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/result.h"

namespace qm3 {

inline constexpr uint32_t kWavRate = 44100;
inline constexpr uint32_t kWavBytesPerSecond = 176400;
inline constexpr size_t kWavHeaderSize = 46;

// Frames of one count-in measure: floor(10584000 / bpm).
uint32_t CountInSkipFrames(double bpm);

struct SoundSpan {
  size_t start = 0;
  size_t end = 0;
};
// Over 16-bit stereo frames: noise floor from the first 22050 frames, start
// at the first later frame louder than 5 x floor, end at the last later frame
// louder than `end_threshold`; byte offsets.
SoundSpan FindSoundSpan(const int16_t* frames, size_t frame_count, int end_threshold);

// The same, fed in pieces (whole frames) so a long recording is never held
// in memory at once.
class SoundSpanScanner {
 public:
  explicit SoundSpanScanner(int end_threshold) : end_threshold_(end_threshold) {}
  void Feed(const int16_t* frames, size_t frame_count);
  SoundSpan Result() const;

 private:
  int end_threshold_;
  size_t frame_ = 0;
  int noise_ = 0;
  bool found_ = false;
  size_t start_ = 0;
  size_t end_ = 0;
};

// The 46-byte header for `data_size` bytes of audio.
void MakeWavHeader(uint32_t data_size, uint8_t out[kWavHeaderSize]);

// The index of the input device whose name starts with the module's audio
// names (tried in order for each device), or the device count (invalid).
uint32_t FindModuleAudioDevice();

// Which frames of the recording become the file.
struct WavCut {
  // The device's frames are on the platform clock: the file starts
  // `offset_frames` after the frame of clock time `first_us`. Otherwise it
  // starts `offset_frames` after the first loud frame of the recording (the
  // first count-in click).
  bool clock_exact = false;
  uint64_t first_us = 0;
  int64_t offset_frames = 0;
  // Frames in the file; 0: up to the last sound of the recording.
  uint32_t frames = 0;
  // Keep the sound that rings on past `frames` (else the last frames fade).
  bool keep_tail = false;
};

// Frames of the fade that ends a file whose sound goes on past its end.
inline constexpr uint32_t kWavEndFadeFrames = 441;  // 10 ms

// Copies `count` frames from `in` to `out`, fading those that fall into the
// last `fade` frames of a file `total` frames long (`at`: index of in[0]).
void FadeOutFrames(const int16_t* in, int16_t* out, size_t count, uint64_t at, uint64_t total,
                   uint32_t fade);

// kRcOk, kRcNoMemory or kRcAudioDeviceNotOpened.
Rc OpenWavCapture();
// True when the open device's frames are on the platform clock.
bool WavCaptureClockExact();
// kRcOk, kRcFileNotWritten (the target's folder cannot take a file; nothing
// is written then) or kRcAudioDeviceNotOpened.
// The file is written beside the target under a temporary name and renamed
// over it only when complete, so a failed capture leaves an earlier file.
Rc StartWavCapture(const std::string& target);
// Sets the cut a complete capture writes; call before StopWavCapture(true).
void SetWavCut(const WavCut& cut);
// complete: trim and write; otherwise cancel (kRcOk). Returns the capture's
// result: kRcOk, kRcDiskFull, kRcFileNotWritten, kRcAudioDeviceNotOpened (the
// capture thread did not answer).
Rc StopWavCapture(bool complete);
void CloseWavCapture();
bool WavCaptureRunning();

}  // namespace qm3
