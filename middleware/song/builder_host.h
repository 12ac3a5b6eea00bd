// Middleware state that the builder and the song file read or set but the
// core owns: the real-time song flag (process 38) and the current screen.
//
// Thread rules: host thread only; not locked; never blocks.
#pragma once
#include <cstdint>

namespace qm3 {

// The real-time song flag as process 38 reports it (0 outside song mode).
int32_t ReadRealTimeSongFlag();
// Stores the flag as process 38 does (only in song mode).
void WriteRealTimeSongFlag(int32_t flag);

// True while the real-time song window is the current screen.
bool OnRealTimeScreen();
// True while the song edit screen is the current screen.
bool OnSongEditScreen();

}  // namespace qm3
