// The conversion in progress (song to SMF or to WAV): its progress values
// while the song plays, completion when the host reads the progress after the
// song has played through, and cancel.
//
// Thread rules: Begin/End on the host thread; the play thread reports
// positions and the end of the play; completion runs on the host thread in
// the read of 0x0801. A mutex orders cancel against completion.
#pragma once
#include <cstdint>
#include <string>

namespace qm3 {

// kConversionSmfWav: one play records the module's MIDI for an SMF and its
// audio for a WAV at once.
enum ConversionKind : int {
  kConversionNone = 0,
  kConversionSmf = 1,
  kConversionWav = 2,
  kConversionSmfWav = 3,
};

// What a conversion keeps of the song it plays in full: the range [from, to)
// in song ticks (to = 0: the whole song), and for a WAV the release tail.
struct ConversionCut {
  uint32_t from = 0;
  uint32_t to = 0;
  bool keep_tail = false;
};

// How long a WAV capture goes on after the song: when the tail is kept, and
// otherwise, so that the song's last frames are in the recording.
inline constexpr uint32_t kReleaseTailMs = 4000;
inline constexpr uint32_t kEndMarginMs = 200;
// How long an SMF capture goes on after the song.
inline constexpr uint32_t kMidiEndMarginMs = 1000;

// The part of the recording of a whole-song play that becomes the WAV file
// for `cut` (convert_wav.cpp); read when the song has played through.
struct WavCut;
WavCut WavCutOf(const ConversionCut& cut);

// An SMF conversion asked to ride along with the next WAV conversion: its
// target and the song range packed for the capture (PackSongRange).
struct PendingSmf {
  std::string path;
  uint64_t range = 0;
};
// Kept until the next conversion starts, which takes it (or drops it when it
// is an SMF conversion of its own).
void SetPendingSmf(const PendingSmf& smf);
bool TakePendingSmf(PendingSmf* smf);

// Resets the progress values; the whole song plays, `cut` is what is kept.
void BeginConversion(ConversionKind kind, const std::string& path, const ConversionCut& cut = {});
void EndConversion();
ConversionKind CurrentConversion();

}  // namespace qm3
