// The song file (".bgm"): a small CR LF text file holding the song values,
// the phrase list and the catalog identity of the rhythm and the melody, from
// which the render makes the music again. Writes version 3 ("QM3SONG_0003");
// reads versions 1 to 3.
//
// Thread rules: host thread only; reads and writes the value table and the
// phrase list; file I/O blocks; allocates.
#pragma once
#include <string>
#include <string_view>

#include "core/result.h"

namespace qm3 {

// The whole file for the current song, byte for byte.
std::string FormatSongFile();

// Writes the current song to `path` through a temporary file renamed into
// place, so a failed save leaves the previous file as it was. Returns kRcOk or
// kRcFileNotWritten.
Rc SaveSongFile(const std::string& path);

// Reads song file bytes into the value table, the phrase list and the
// catalog selections. Returns kRcOk, kRcNoMemory, kRcFileNotRead (empty),
// kRcSongFileVersion (no known version line) or kRcSongFileBroken (a section header or end marker
// missing, a song length out of range, a phrase count that is not a number or is zero for a song of
// some length, too few phrase lines, an old melody number out of range). Values set before a bad
// line stay set.
Rc ReadSongFile(std::string_view bytes);

// Switches to song mode, reads the file at `path` and renders the song
// (playback and conversions use the rendered data): 0, 4, 5 (also for what
// is not a regular file), 16, 17 (also for a file larger than any song
// file), or the render's 8 when its work files cannot be written.
Rc OpenSongFile(const std::string& path);

}  // namespace qm3
