// Bringing a Standard MIDI File in for part editing, as pure functions over
// bytes: the normalisation that merges the tracks into one and gives every
// channel a program, volume and pan at the start; the checks and the
// conversion to the middleware's 96 ticks per beat (tempo list, metre, note
// activity for the time line); the system's own marker; sound-set and
// drum-part detection; and reading and rewriting a part's program and
// controllers in the file image.
//
// Thread rules: pure functions over caller bytes; they allocate their results
// only, never lock or block. Every length is checked against the bytes given.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/result.h"

namespace qm3::midi {

// Results are the middleware's return codes: kRcFileNotRead for truncated or
// malformed bytes and division 0, kRcUnsupportedFile for bytes that are not a
// file of this kind, frames or format 2.

// Sound sets of a file (which messages precede its first note).
inline constexpr int kSoundSetNative = 1;
inline constexpr int kSoundSetGeneralMidi = 2;
inline constexpr int kSoundSetGs = 3;

// The note activity the time line draws: (delta, part, loudness) records.
inline constexpr size_t kMaxEventListBytes = 307200;
// The text meta event this system's own writer puts before the first note.
inline constexpr char kOwnMarker[] = "Corvane SY-QM3-0001";
inline constexpr uint16_t kMaxImportTracks = 0xFFFF;

// Merges the tracks of a file (bare, after a 128-byte prefix, or in RIFF
// "RMID") into one track in time order, inserts at its start, per channel and
// only where the file has none, bank select 0/0 and program 0, volume 100 and
// pan 64, and ends it with one end of track. The header keeps its format and
// division; its track count becomes 1. kRcOk, kRcFileNotRead or
// kRcUnsupportedFile.
Rc NormaliseSmf(const uint8_t* bytes, size_t size, std::vector<uint8_t>* out);

struct TempoPoint {
  int32_t tick;   // middleware ticks
  int32_t tempo;  // 1/10000 beats per minute
};

struct ConvertedSmf {
  uint16_t division = 96;
  double tempo_ratio = 1.0;  // middleware ticks per file tick
  bool own_marker = false;   // the file's first four beats lie before position 0
  int64_t length_ticks = 0;  // middleware ticks
  int32_t beats_per_measure = 4;
  std::vector<TempoPoint> tempos;  // in time order; empty: no tempo event
  // Time-line records: variable-length delta (middleware ticks), part 0..15,
  // loudness 1..127; one per sounding note-on.
  std::vector<uint8_t> time_line;
};

// Checks a normalised image and converts it. kRcOk, kRcFileNotRead,
// kRcUnsupportedFile or kRcSongTooLong (the note activity exceeds
// kMaxEventListBytes). The song-length limit is the
// caller's to apply to `length_ticks`.
Rc ConvertSmf(const uint8_t* image, size_t size, ConvertedSmf* out);

// 1 native, 2 General MIDI, 3 GS: the last General MIDI System On or GS reset
// before the first note-on decides.
int DetectSoundSet(const uint8_t* image, size_t size);

struct DrumScan {
  std::array<bool, 16> drums{};  // channel 10 always
  bool gm_system_off = false;    // the file uses the module's native voices
};
DrumScan ScanDrumParts(const uint8_t* image, size_t size);

// A part's selection at a position: the last bank selects, program, volume
// and pan met up to the first sounding note at or after the position (with
// the rest of that note's tick).
struct PartSettings {
  uint8_t bank = 0;
  uint8_t fine = 0;
  uint8_t program = 0;
  uint8_t volume = 100;
  uint8_t pan = 64;
};
std::array<PartSettings, 16> PartSettingsAt(const uint8_t* image, size_t size, int64_t file_tick);

// Rewrites the data byte of the last event of `kind` (0xB0 with
// `controller`, or 0xC0) on `channel` met up to the first sounding note at or
// after `file_tick` (with the rest of that note's tick). False, image unchanged, when there is
// none.
bool RewritePartEvent(std::vector<uint8_t>* image, int channel, uint8_t kind, int controller,
                      int64_t file_tick, uint8_t value);

}  // namespace qm3::midi
