// The song render: turns the phrase list and the song values into the work
// files "pre_mid.dat", "I_mid.dat", "P_mid.dat", "E_mid.dat" and the finished
// song "body_mid.dat" (single-track Standard MIDI Files) that playback,
// export and capture use.
//
// Thread rules: host thread only (or with the middleware lock held); uses the
// three track buffers, so it never overlaps a conversion or a real-time run.
// Does file I/O; allocates nothing per event.
#pragma once
#include <cstdint>
#include <string>

namespace qm3 {

struct SongPhrase;

// Renders `count` phrases with the current song values, reading the sources
// from HostDirectory() and writing the work files into WorkDirectory().
// Returns 0, or 8 when a work file cannot be written (the render stops there;
// files already written stay).
int RenderSong(const SongPhrase* phrases, int count);

// Renders the process's phrase list.
int RenderCurrentSong();

constexpr int kRenderDiskFull = 8;

}  // namespace qm3
