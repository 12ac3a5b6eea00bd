// The screen the host shows, as the time, catalog and song reactions ask for
// it: a thin view over the core's screen state.
//
// Thread rules: host thread; posts notifications, never blocks.
#pragma once
#include <cstdint>

#include "core/control_ids.h"

namespace qm3 {

// The current screen's number (the nn of 0x42nn); 0 before the host announced
// one.
int32_t CurrentScreenNumber();

// Redraws the transport window and then the current screen (by the editing
// mode on the editing screens).
void RedrawAfterAliveChange();

}  // namespace qm3
