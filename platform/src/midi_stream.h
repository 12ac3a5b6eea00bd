// The stream engine behind midiStream*: one device thread per stream plays
// queued buffers of stream events on the stream's output port at the times
// the time division and tempo give. Internal to the platform library.
#pragma once
#include <deque>

#include "midi_ports.h"
#include "platform/clock.h"

namespace platform {

// Ticks to microseconds as an exact ratio: us = ticks * num / den.
struct TickRate {
  uint64_t num = 500000;  // tempo (us per quarter) or 1e6-based for SMPTE
  uint64_t den = 96;      // division, or frames x ticks per frame
};

// The rate of a time division at a tempo; false for a division that
// describes no time (0, or an unknown SMPTE frame rate).
bool RateOf(DWORD timediv, DWORD tempo, TickRate* out);

struct StreamState {
  std::mutex mu;
  ConditionVariable cv;
  Thread thread;
  bool closing = false;
  bool running = false;

  DWORD timediv = 96;
  DWORD tempo = 500000;
  TickRate rate;

  // Tick position = seg_tick + (now - seg_us) * den / num while running.
  uint64_t seg_tick = 0;
  uint64_t seg_us = 0;
  uint64_t paused_tick = 0;  // position while not running
  uint64_t played_us = 0;    // playing time before the current segment run
  uint64_t run_start_us = 0;

  std::deque<MIDIHDR*> queue;
  DWORD cursor = 0;        // offset of the next event in queue.front()
  uint64_t last_tick = 0;  // tick of the last event played
  bool event_pending = false;
  uint64_t event_tick = 0;  // tick of the event at `cursor` once read

  MIDIHDR long_hdr{};  // carries long events to the port
  Event long_done{EventReset::kAutomatic};
  ClientCallback client;
};

// Returns every queued buffer (MOM_DONE on the calling thread), switches off
// sounding notes and sets the position to 0; the stream stays open, paused.
MMRESULT StreamStop(MidiHandle* h);

MMRESULT CheckOpenCallback(DWORD_PTR callback, DWORD flags);

}  // namespace platform
