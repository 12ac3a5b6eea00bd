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

int OpenWavCapture();  // 0, 4, 12
// 0 or 11; `skip_frames` is added to the start of the sound span.
int StartWavCapture(const std::string& target, uint32_t skip_frames);
// complete: trim and write; otherwise cancel. Returns the capture's result:
// 0, 8 (disk full), 11, 12 (the capture thread did not answer), -1 cancelled.
int StopWavCapture(bool complete);
void CloseWavCapture();
bool WavCaptureRunning();

}  // namespace qm3
