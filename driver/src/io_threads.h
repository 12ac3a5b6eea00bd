// The writer thread (drains the output ring into the output pipe, 32 bytes
// per write, every 10 ms) and the reader thread (32-byte reads from the input
// pipe, each packet's bytes handed to the input port of its cable), one of
// each per process, reference-counted by the open ports of their direction.
// The reader looks every 2 ms (or in batches: see CatchUpBatchedReads); on
// the virtual clock, when the device can tell
// when it next has data, it sleeps through the looks that would find nothing
// (a write to the device wakes it), landing on the same 2 ms grid so time
// stamps are unchanged.
//
// Thread rules: StartThread/StopThread are called by client threads under
// the driver's global lock; StopThread waits up to 500 ms on the platform
// clock. Both threads wait only through the platform clock.
#pragma once
#include <cstddef>
#include <cstdint>

#include "pipe.h"

namespace cvusb {

// Starts the direction's thread if it is not running and counts one more
// reference; false when the thread cannot be created.
bool StartThread(PipeDirection direction);
// Counts one reference fewer; the last one stops the thread.
void StopThread(PipeDirection direction);
// Stops both threads whatever their counts (driver shut-down).
void StopAllThreads();
bool ThreadRunning(PipeDirection direction);

// Bytes reached the device: a reader waiting on the virtual clock for input
// looks again (a device may answer at once). Never blocks.
void WakeReader();

// On the virtual clock, while every open input port takes batches
// (MIDI_IO_BATCHED) and the device tells when it sent each packet, the
// reader looks only once a second and stamps each message with the tick count
// of the 2 ms look that would have read it (same stamps, far fewer
// hand-overs). Client threads call CatchUpBatchedReads before a port starts
// or stops, so that what looks before now would have read is handed over
// first; it takes the batch lock briefly and never waits on the clock.
void CatchUpBatchedReads();
// A port opened or closed: the reader checks how it should look.
void InputPortsChanged();

// One drain of the output ring (the writer's work per cycle).
void DrainOutputRing();
// Hands every complete packet in data[0, length) to the input port of its
// cable with `read_time` (the reader's work per read).
void DispatchInputPackets(const uint8_t* data, size_t length, uint32_t read_time);

}  // namespace cvusb
