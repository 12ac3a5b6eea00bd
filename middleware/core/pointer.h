// The time-line pointer and the selected range as the exported calls see
// them: process 3 in both directions, the range handshake and the pointer
// acknowledgement that paces playback notifications.
//
// Thread rules: host thread, except BeginPointerFlow and
// FollowPlaybackPosition (playback thread), which hand the pointer move to
// the host thread (device_handover.h) and notify; the flow-control counters
// are atomic.
#pragma once
#include <cstdint>

#include "core/middle_internal.h"

namespace qm3 {

// Process 3 written by the host (cCmd 0): pointer (b = 0) or range.
Rc WritePointerProcess(int32_t a, int32_t b);

// After a host read of 0x8003 (process 3 has filled *a, *b): remembers the
// pending pointer and runs the range handshake.
void AfterPointerRead(long* a, long* b);

// A host read of 0x4002 / 0x4102 acknowledges the pending pointer.
void AcknowledgePointerRead(ControlId id);

}  // namespace qm3
