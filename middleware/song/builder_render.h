// When the song's MIDI data is made: right after a song is built, opened or
// edited. A render that failed leaves the data stale until the next one.
//
// Thread rules: host thread only; rendering writes work files (blocking I/O).
#pragma once
#include <string>
#include <vector>

#include "core/result.h"

namespace qm3 {

// Renders the current phrase list and song values now. Returns kRcOk or the
// render's code (kRcDiskFull when a work file cannot be created). The source files it
// could not read are listed by process 48 until the next render (and
// notified when there are any).
Rc RenderSongNow();

// Runs `load` (a render, or the material of a live run), which adds every
// source file it could not read to the list it is given. That list replaces
// the one process 48 hands out, and the host is notified when it is not
// empty. Returns what `load` returns.
Rc LoadSongSources(Rc (*load)(std::vector<std::string>* skipped));

// The rendered data no longer matches the song.
void MarkSongDataStale();
// Renders when the data is stale (for playback and conversions); 0 otherwise.
Rc EnsureSongRendered();

}  // namespace qm3
