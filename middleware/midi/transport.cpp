#include "midi/transport.h"

#include <algorithm>
#include <atomic>
#include <memory>

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/device_handover.h"
#include "core/middle_internal.h"
#include "core/middleware.h"
#include "midi/module_sender.h"
#include "midi/sequencer.h"
#include "platform/clock.h"

namespace qm3::midi {
namespace {

constexpr uint32_t kSongLeadIn = 384;  // the count-in measure of a generated song
constexpr uint32_t kSongPlayNoCount = 336;

// When the current play's first beat is due; written by the play thread.
struct FirstBeat {
  std::atomic<bool> known{false};
  std::atomic<uint64_t> us{0};
};

}  // namespace

// The play thread and what it shares with the host thread; owned by the
// middleware instance (End joins the thread before the instance goes).
struct TransportState {
  std::atomic<bool> playing{false};  // the request
  std::atomic<bool> running{false};  // the fact
  std::atomic<int> play_result{0};
  std::unique_ptr<platform::Thread> thread;
  SmfPlaySource smf;
  // Set by the conversion's registration.
  CaptureHooks hooks;
  PlayObserver observer;
  FirstBeat first_beat;
  ~TransportState() {
    playing.store(false);
    if (thread) thread->Join();
  }
};

PartState<TransportState> MakeTransportState() {
  return MakePartState<TransportState>();
}

namespace {

TransportState& T() {
  return *TheMiddleware().transport;
}

bool AudioCapture() {
  return T().hooks.audio_capture_running && T().hooks.audio_capture_running();
}
bool InputCapture() {
  return T().hooks.input_capture_running && T().hooks.input_capture_running();
}
uint32_t CaptureRangeEnd() {
  return T().hooks.capture_range_end ? T().hooks.capture_range_end() : 0;
}

bool SongScreen(int screen) {
  return screen == 3 || screen == 4 || screen == 5;
}

int32_t PointerTicks() {
  long a = 0, b = 0;
  RunProcess(kProcPointerPos, &a, &b);
  return static_cast<int32_t>(a);
}

// The transport buttons' enabled states follow the play: stop only while it
// runs, play only while it does not; return to top, rewind and fast forward
// on the edit screens whenever there is a song. Host thread only.
void ShowPlaying(bool playing) {
  WriteAlive(kStop, playing);
  WriteAlive(kPlay, !playing);
  const int screen = CurrentScreen();
  if (screen == kScreenSongEdit || screen == kScreenSmfEdit) {
    const bool locate = ReadValue(kSongLength) >= 1;
    for (ControlId id : {kReturnToTop, kRewind, kFastForward}) WriteAlive(id, locate);
  }
  RedrawScreen();
}

// From the play thread at its end. A screen changed meanwhile has set the
// buttons its own way, so they are left alone then.
void PostShowStopped(int screen) {
  PostToOwner([screen] {
    if (CurrentScreen() == screen && !PlaybackRunning()) ShowPlaying(false);
  });
}

// The play button's record toggles on every write; this puts it back to 0
// (on the host thread: the play thread hands it over).
void ReleasePlayButton() {
  PostToOwner([] {
    if (ReadValue(kPlay) != 0) WriteValue(kPlay, 0, false);
  });
}

void EndPlay(Sequencer* seq, int screen, uint32_t final_pos, bool reached_end) {
  if (seq != nullptr) seq->StopPlay();
  if (T().observer.ended != nullptr) T().observer.ended(reached_end);
  SendStop();
  ResetAllChannels();
  if (screen == 5 || screen == 7) {
    PostToOwner([final_pos] { SetPointerPosition(static_cast<int32_t>(final_pos)); });
    Notify(0x8003, kNotifyValue);
  }
  SetStreamPlaying(false);
  T().running.store(false);
  SetPlaying(false);
  T().playing.store(false);
  ReleasePlayButton();
  PostShowStopped(screen);
  Notify(kStop, kNotifyValue);
}

// The wait after a look at the position. A conversion of a song on the
// virtual clock passes over the looks that cannot find the end yet (its
// tempo does not change while it plays), up to a second of them at a time
// for the progress, and lands on the same look the plain steps reach, so the
// end is found at the same instant; every other play steps `poll_ms`.
void WaitForNextLook(Sequencer* seq, uint32_t song_end, uint32_t poll_ms, bool skip_looks) {
  constexpr uint64_t kSkipLimitUs = 1000000;
  constexpr uint64_t kSafeLooks = 2;  // looks kept before the end's estimate
  const uint64_t poll_us = uint64_t{poll_ms} * 1000;
  uint64_t end_us = 0;
  if (!skip_looks || !seq->ClockOfPosition(song_end, &end_us)) {
    platform::Sleep(poll_ms);
    return;
  }
  const uint64_t now = platform::GetMicroseconds();
  uint64_t looks = end_us > now ? (end_us - now) / poll_us : 0;
  looks = looks > kSafeLooks ? looks - kSafeLooks : 1;
  looks = std::min(looks, std::max<uint64_t>(1, kSkipLimitUs / poll_us));
  platform::SleepUntilMicroseconds(now + looks * poll_us);
}

void PlayThread() {
  const DeviceThreadScope device;
  T().running.store(true);
  SetPlaying(true);
  const int screen = CurrentScreen();
  const bool song = SongScreen(screen);
  auto seq = std::make_unique<Sequencer>();
  seq->set_output_device(CurrentOutputDevice());
  SequencerOptions opt;
  opt.edit_mode = ReadValue(kEditingMode);
  opt.tempo_control = ReadValue(kTempo);
  for (int n = 0; n < 16; ++n) opt.part_playing[n] = ReadValue(0x4103 + 4 * n) != 0;
  const bool precount_checked = ReadValue(kMenuPreCount) > 0;
  uint32_t start = 0;
  uint32_t end = 0;
  uint32_t lead = 0;  // subtracted from positions before they reach the pointer
  Rc rc = kRcOk;
  const uint32_t pointer = static_cast<uint32_t>(std::max(0, PointerTicks()));
  if (song) {
    rc = seq->OpenFile(SongFilePath(), 1.0);
    lead = kSongLeadIn;
    if (rc == kRcOk) {
      SendTranspose(CurrentRhythmTranspose());
      if (pointer != 0) {
        opt.count_in = false;
        SendStart();
        start = pointer + kSongLeadIn;
      } else if (AudioCapture() || InputCapture()) {
        opt.count_in = true;
      } else if (precount_checked) {
        opt.count_in = true;
      } else {
        start = kSongPlayNoCount;
      }
    }
  } else {
    if (T().smf.image == nullptr) {
      rc = kRcMidiDeviceNotOpened;
    } else {
      rc = seq->OpenImage(T().smf.image, T().smf.size, T().smf.tempo_ratio);
      opt.tempo_ratio = T().smf.tempo_ratio;
      opt.gm_voices = T().smf.gm_voices;
      opt.muted_parts = T().smf.muted_parts;
      lead = T().smf.own_marker ? kSongLeadIn : 0;
      const uint32_t range_end = AudioCapture() ? CaptureRangeEnd() : 0;
      if (pointer == 0) {
        opt.count_in = AudioCapture() || precount_checked;
        start = lead;
      } else {
        opt.count_in = AudioCapture();
        start = lead + pointer;
      }
      if (range_end != 0) end = range_end + lead;
    }
  }
  if (rc == kRcOk) {
    seq->set_options(opt);
    SetStreamPlaying(true);
    rc = seq->StartPlay(start, end);
  }
  if (rc != kRcOk) {
    seq->StopPlay();
    SendStop();
    ResetAllChannels();
    SetStreamPlaying(false);
    T().running.store(false);
    SetPlaying(false);
    T().playing.store(false);
    ReleasePlayButton();
    if (T().observer.ended != nullptr) T().observer.ended(false);
    T().play_result.store(rc);
    return;
  }
  BeginPointerFlow(static_cast<int32_t>(start > lead ? start - lead : 0));
  T().play_result.store(0);

  uint32_t song_end = static_cast<uint32_t>(std::max(0, ReadValue(kSongLength)));
  if (CaptureRangeEnd() != 0 && AudioCapture()) song_end = CaptureRangeEnd();
  song_end += lead;
  uint32_t previous = start;
  uint32_t pos_out = 0;
  bool over = false;
  // A conversion shows no pointer: looking every 25 ms instead of 5 keeps
  // its progress and end in time with a fifth of the wake-ups. An SMF alone
  // keeps nothing past the song's end, so finding the end later changes
  // nothing in it: there a look every 250 ms is enough.
  const uint32_t poll_ms = AudioCapture() ? 25 : InputCapture() ? 250 : 5;
  const bool skip_looks = song && (AudioCapture() || InputCapture()) &&
                          platform::CurrentClock() == platform::ClockKind::kVirtual;
  while (T().playing.load() && !over) {
    uint32_t pos = seq->GetPosition();
    uint64_t beat_us = 0;
    if (!T().first_beat.known.load() && pos >= lead && seq->ClockOfPosition(lead, &beat_us)) {
      T().first_beat.us.store(beat_us);
      T().first_beat.known.store(true);
    }
    if (pos < previous || pos >= song_end) {
      pos = std::max(previous, std::min(pos, song_end));
      if (pos < song_end) pos = song_end;
      over = true;
    }
    previous = pos;
    pos_out = pos > lead ? pos - lead : 0;
    if (screen == 5 || screen == 7) FollowPlaybackPosition(static_cast<int32_t>(pos_out));
    if (T().observer.position != nullptr) T().observer.position(pos_out);
    if (!over) WaitForNextLook(seq.get(), song_end, poll_ms, skip_looks);
  }
  EndPlay(seq.get(), screen, pos_out, over);
}

}  // namespace

int CurrentRhythmTranspose() {
  return RhythmFieldQuery(ReadValue(kRhythm), 17, 0);
}

std::string SongFilePath() {
  return WorkDirectory() + "body_mid.dat";
}

void SetSmfPlaySource(const SmfPlaySource& source) {
  T().smf = source;
}
void SetCaptureHooks(const CaptureHooks& hooks) {
  T().hooks = hooks;
}
void SetPlayObserver(const PlayObserver& observer) {
  T().observer = observer;
}
bool PlaybackRunning() {
  return T().running.load();
}
bool PlayRequested() {
  return T().playing.load();
}
bool FirstBeatClock(uint64_t* us) {
  if (!T().first_beat.known.load()) return false;
  *us = T().first_beat.us.load();
  return true;
}

Rc PressPlay() {
  if (T().running.load()) return kRcOk;
  if (ReadValue(kEditingMode) == 0 && CurrentOutputDevice() != ModulePort()) {
    ReleasePlayButton();
    return kRcWrongOutputDevice;
  }
  if (T().thread) {
    T().thread->Join();
    T().thread.reset();
  }
  T().playing.store(true);
  T().first_beat.known.store(false);
  T().play_result.store(-1);
  T().thread = std::make_unique<platform::Thread>(PlayThread);
  while (T().play_result.load() == -1) platform::Sleep(1);
  const Rc rc = static_cast<Rc>(T().play_result.load());
  if (rc != kRcOk) {
    T().thread->Join();
    T().thread.reset();
  } else {
    ShowPlaying(true);
  }
  return rc;
}

void PressStop() {
  T().playing.store(false);
}

void StopAndWait() {
  T().playing.store(false);
  if (T().thread) {
    T().thread->Join();
    T().thread.reset();
  }
}

}  // namespace qm3::midi
