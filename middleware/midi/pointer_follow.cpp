#include "midi/pointer_follow.h"

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/middle_internal.h"

namespace qm3::midi {

void BeginPointerFollow(uint32_t start) {
  BeginPointerFlow(static_cast<int32_t>(start));
}

void FollowPointerTo(uint32_t pos, bool force) {
  if (force) {
    SetPointerPosition(static_cast<int32_t>(pos));
    Notify(0x8003, kNotifyValue);
  } else {
    FollowPlaybackPosition(static_cast<int32_t>(pos));
  }
}

void EndPointerFollow() {}

int CurrentScreenNumber() {
  return CurrentScreen();
}

// Attribute 17 of the current rhythm: its transposition in semitones.
int RhythmTransposeSemitones() {
  return RhythmFieldQuery(ReadValue(kRhythm), 17, 0);
}

}  // namespace qm3::midi
