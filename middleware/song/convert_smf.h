// Songs to Standard MIDI Files: the whole song, recorded from what the sound
// module plays while the song runs and combined with the song's melody and
// part volumes; and a selected range, cut from the playback image.
//
// Thread rules: the host thread starts and cancels; the play thread finishes
// a whole-song conversion when the song has played through. The track buffers
// are used without a lock, as everywhere.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm3 {

inline constexpr char kIdentificationText[] = "Corvane SY-QM3-0001";

// Process 27: 0, 1 (no song), 4, 13, or the play's result.
int ConvertSmfAll(const char* path);
// Process 28: 0, 1, 18 (empty range), 4, 5, 11.
int ConvertSmfPart(const char* path);

// Builds the file from captured (time ms, packed message) pairs; 0 or 11.
int WriteCapturedSmf(const uint32_t* words, size_t count, const std::string& path, int parameter);

// True when the image carries the identification text before its first
// sounding note.
bool HasIdentificationText(const uint8_t* image, int32_t size);

// Range of an image [from, to) in image ticks after a one-measure lead-in,
// with the identification text added when missing; 0, 4, 5 or 11.
int ExportImageRange(const std::string& image_path, int32_t from, int32_t to, int32_t lead_in,
                     const std::string& path);

}  // namespace qm3
