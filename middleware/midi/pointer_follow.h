// The pointer during playback: follows the play position in 12-tick steps
// and posts 0x8003 only when the host has acknowledged the previous post.
// Also the few core facts the transport reads (screen, rhythm transpose).
//
// Thread rules: Begin/End on the play thread; FollowPointerTo on the play
// thread; no locking beyond atomics.
#pragma once
#include <cstdint>

namespace qm3::midi {

void BeginPointerFollow(uint32_t start);
// Moves the pointer to `pos` rounded down to 12 ticks once it has advanced
// by at least 12 since the last step; `force` moves it regardless.
void FollowPointerTo(uint32_t pos, bool force);
void EndPointerFollow();

int CurrentScreenNumber();
int RhythmTransposeSemitones();

}  // namespace qm3::midi
