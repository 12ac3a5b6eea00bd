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
#include <vector>

#include "core/result.h"

namespace qm3 {

inline constexpr char kIdentificationText[] = "Corvane SY-QM3-0001";

// Microseconds per beat of the song's tempo (0x0409), as its files carry it.
uint32_t SongTempoMicroseconds();

// True when a file can be made beside `path`; checked before the work.
bool CanWriteBeside(const std::string& path);

// Process 27: 0, 1 (no song), 4, 11, 13, or the play's result. With
// kSmfWithNextWav in `flags` nothing plays yet: the next WAV conversion
// records the file in its own play (the same bytes as a play of its own).
Rc ConvertSmfAll(const char* path, long flags);
// Process 28: 0, 1, 18 (empty range or one that starts past the song), 4, 5,
// 11; a song's range is recorded like the whole song and cut at the end.
// The flag as for process 27 (an opened MIDI file's range is cut at once).
Rc ConvertSmfPart(const char* path, long flags);

// A song range for the capture's parameter: [from, to) in song ticks, to = 0
// for the whole song.
uint64_t PackSongRange(uint32_t from, uint32_t to);

// Builds the file from captured (time ms, packed message) pairs, the whole
// song or the range packed in `range`; 0, 4, 5 or 11.
Rc WriteCapturedSmf(const uint32_t* words, size_t count, const std::string& path, uint64_t range);

// A recorded performance as timed messages: notes that would sound for no
// time (on and off at one tick) and second note-ons of a sounding key at one
// tick are dropped; a note-on of a key still sounding from earlier ends the
// earlier note first; note-offs of keys not sounding are dropped.
struct TimedMessage {
  int64_t tick;
  uint32_t message;  // packed, status in the low byte
};
void CleanNotes(std::vector<TimedMessage>& messages);

// True when the image carries the identification text before its first
// sounding note.
bool HasIdentificationText(const uint8_t* image, int32_t size);

// Range of an image [from, to) in image ticks after a one-measure lead-in,
// with the identification text added when missing; kRcOk, kRcNoMemory,
// kRcFileNotRead or kRcFileNotWritten.
Rc ExportImageRange(const std::string& image_path, int32_t from, int32_t to, int32_t lead_in,
                    const std::string& path);

}  // namespace qm3
