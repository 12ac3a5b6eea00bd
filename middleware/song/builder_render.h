// When the song's MIDI data is made: right after a song is built or edited,
// and lazily after a song file was opened (the file holds no music).
//
// Thread rules: host thread only; rendering writes work files (blocking I/O).
#pragma once

namespace qm3 {

// Renders the current phrase list and song values now. Returns 0 or the
// render's code (8 when a work file cannot be created).
int RenderSongNow();

// The rendered data no longer matches the song (a song file was opened).
void MarkSongDataStale();
// Renders when the data is stale; for playback and conversions.
int EnsureSongRendered();

}  // namespace qm3
