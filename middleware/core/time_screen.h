// The screen the host shows, as the time and catalog reactions need it: which
// screen is current and the redraw after enabled states changed.
//
// Thread rules: host thread; posts notifications, never blocks.
#pragma once
#include <cstdint>

namespace qm3 {

// Screen numbers (the nn of 0x42nn).
constexpr int32_t kScreenPlayTime = 3;
constexpr int32_t kScreenRealTime = 4;
constexpr int32_t kScreenSongEdit = 5;

// The current screen's number; 0 before the host announced one.
int32_t CurrentScreenNumber();

// Redraws the transport window and then the current screen (by the editing
// mode on the editing screens).
void RedrawAfterAliveChange();

}  // namespace qm3
