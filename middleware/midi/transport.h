// The transport: play and stop buttons, the play thread that runs a playback
// from start to end (generated song or opened Standard MIDI File), the
// pointer that follows it, and return to top, rewind and fast-forward.
//
// Thread rules: PressPlay/PressStop/Move* run on the host thread; PressPlay
// blocks until the play thread has published its start result. The play
// thread polls the stream position every 5 ms on the platform clock; it is a
// device thread: what it changes in the value table (pointer, progress, the
// play button) it hands to the host thread (core/device_handover.h).
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "core/result.h"

namespace qm3::midi {

// kRcOk, kRcMidiDeviceNotOpened or kRcWrongOutputDevice (a song on another
// port than the module's).
Rc PressPlay();
void PressStop();
// Stops and waits until the play thread has ended.
void StopAndWait();
bool PlaybackRunning();  // the running mark (process 39)
bool PlayRequested();    // the playing flag

// What an SMF play needs from the part-editing model; set by its owner.
struct SmfPlaySource {
  const uint8_t* image = nullptr;
  size_t size = 0;
  double tempo_ratio = 1.0;
  bool own_marker = false;  // the file carries the system's own marker: L = 384
  bool gm_voices = false;
  // Bit n set: part n + 1 is muted now; read by the play thread as it fills
  // each buffer, so a mute takes effect while playing. Owned by the model.
  const std::atomic<uint16_t>* muted_parts = nullptr;
};
void SetSmfPlaySource(const SmfPlaySource& source);

// Captures (audio or input) ask for a count-in and change the play range.
struct CaptureHooks {
  bool (*audio_capture_running)() = nullptr;
  bool (*input_capture_running)() = nullptr;
  // During the audio capture of a range: its end in ticks, else 0.
  uint32_t (*capture_range_end)() = nullptr;
};
void SetCaptureHooks(const CaptureHooks& hooks);

// Told of every new play position (song ticks, after the lead-in) and of the
// end of the play: reached_end when the song played through, false when it
// was stopped or failed first. Runs on the play thread: value-table changes
// go through PostToOwner.
struct PlayObserver {
  void (*position)(uint32_t pos) = nullptr;
  void (*ended)(bool reached_end) = nullptr;
};
void SetPlayObserver(const PlayObserver& observer);

// The clock time (GetMicroseconds) of the song's first beat in the current
// or last play, once the play has passed it; false otherwise. A recorder of
// the module's audio places the beat to the sample with it.
bool FirstBeatClock(uint64_t* us);

// The current rhythm's transposition in semitones (catalog attribute 17).
int CurrentRhythmTranspose();

// The generated song's file (in the work folder).
std::string SongFilePath();

}  // namespace qm3::midi
