// The render's command tracks, each merged into the song in time order.
#include "song/phrase_list.h"
#include "song/render_events.h"
#include "song/render_steps.h"
#include "song/track_buffer.h"

namespace qm3 {

namespace {

constexpr int kTicksPerBeat = 96;
// Commands go out 52 ticks before the beat they take effect on.
constexpr int32_t kCommandLead = 52;
constexpr int32_t kFillInEnd = 48;
constexpr int32_t kMuteLead = 5;
constexpr int kFadeSteps = 20;

// Part bits in the order they are written within one tick, and their channels.
constexpr int kPartOrder[6] = {1, 2, 3, 4, 5, 0};
constexpr int kPartChannel[6] = {0, 11, 12, 13, 14, 15};  // by bit: melody, acc 1-3, bass, drums

void Command(RenderEvents& events, int64_t time, const midi::ParameterAddress& address,
             uint8_t value) {
  events.Module(time, midi::MakeParameterByte(address, value));
}

// Writes `events` into a scratch buffer and merges it with the song; the
// song's events come first at equal ticks unless `events_first`.
int Merge(int song, const RenderEvents& events, int64_t end, bool events_first = false) {
  const int track = (song + 1) % kTrackBufferCount;
  const int out = (song + 2) % kTrackBufferCount;
  SelectTrackBuffer(track);
  events.WriteTrack(end);
  SelectTrackBuffer(out);
  if (events_first) {
    MergeTracks(track, song);
  } else {
    MergeTracks(song, track);
  }
  return out;
}

int AddClock(const SongPlan& plan, const RenderSettings& s, int song) {
  const int64_t end = int64_t{s.song_length} + int64_t{s.beats} * kTicksPerBeat + 768;
  const int track = (song + 1) % kTrackBufferCount;
  const int out = (song + 2) % kTrackBufferCount;
  SelectTrackBuffer(track);
  ClockTrack(0, end > INT32_MAX ? INT32_MAX : static_cast<int32_t>(end), 4);
  SelectTrackBuffer(out);
  MergeTracks(song, track);
  RenderEvents start;
  start.RealTime(kSongStartTick, 0xFA);
  return Merge(out, start, kSongStartTick, true);
}

int AddSectionCommands(const SongPlan& plan, const RenderSettings& s, int song) {
  RenderEvents events;
  if (s.intro == 2 || s.intro == 3) {
    Command(events, kSongStartTick + kTicksPerBeat, midi::kAddrFillIn,
            static_cast<uint8_t>(s.intro - 1));
  }
  const int64_t ending_beat =
      kSongStartTick + (plan.intro_measures + plan.body_measures) * s.beats * kTicksPerBeat;
  switch (s.ending) {
    case 1:
      Command(events, ending_beat - kCommandLead, midi::kAddrEnding, 2);
      break;
    case 2:
      Command(events, ending_beat + kTicksPerBeat, midi::kAddrFillIn, 1);
      break;
    case 3:
      Command(events, ending_beat + kTicksPerBeat, midi::kAddrFillIn, 2);
      break;
    default:  // ending 1, and no ending
      Command(events, ending_beat - kCommandLead, midi::kAddrEnding, 1);
      break;
  }
  const int64_t song_end = plan.starts.back();
  events.RealTime(song_end - 6, 0xFC);
  return Merge(song, events, song_end - 6 + 390);
}

int AddPartMutes(const SongPlan& plan, const SongPhrase* phrases, int count, int song) {
  RenderEvents events;
  for (int channel = 0; channel < 16; ++channel) {
    events.Controller(kSongStartTick - kMuteLead, channel, 7, plan.volumes[channel]);
  }
  auto allowed = [&](int64_t tick) {
    return !plan.fade_out || tick < plan.fade_start + kSongStartTick;
  };
  for (int k = 0; k < count; ++k) {
    const int64_t mute = plan.starts[k] - kMuteLead;
    if (allowed(mute)) {
      for (int bit : kPartOrder) {
        if ((phrases[k].parts >> bit) & 1) continue;
        events.Controller(mute, kPartChannel[bit], 7, 0);
      }
    }
    const int64_t restore = plan.starts[k + 1] - kMuteLead;
    if (k + 1 < count && allowed(restore)) {
      for (int bit : kPartOrder) {
        if (!((phrases[k + 1].parts >> bit) & 1)) continue;
        const int channel = kPartChannel[bit];
        events.Controller(restore, channel, 7, plan.volumes[channel]);
      }
    }
  }
  return Merge(song, events, kSongStartTick - kMuteLead);
}

int AddVariations(const SongPlan& plan, const SongPhrase* phrases, int count,
                  const RenderSettings& s, int song) {
  RenderEvents events;
  Command(events, kSongStartTick, midi::kAddrSongStart, 1);
  const int64_t measure = int64_t{s.beats} * kTicksPerBeat;
  for (int k = 0; k < count; ++k) {
    const int64_t last_measure = plan.starts[k + 1] - measure;
    if (phrases[k].fill_in == kFillIn1 || phrases[k].fill_in == kFillIn2) {
      Command(events, last_measure - kCommandLead, midi::kAddrFillIn,
              static_cast<uint8_t>(phrases[k].fill_in + 1));
      Command(events, last_measure + kFillInEnd, midi::kAddrFillIn, 0);
    }
    if (k + 1 < count) {
      const SongPhrase& next = phrases[k + 1];
      const uint8_t variation = next.kind == kPhraseBody ? static_cast<uint8_t>(next.variation) : 1;
      Command(events, plan.starts[k + 1] - kCommandLead, midi::kAddrVariation, variation);
    }
  }
  return Merge(song, events, kSongStartTick);
}

// The phrase whose span (ticks from the song start) holds `tick`; -1 none.
int PhraseAt(const SongPlan& plan, int count, int64_t tick) {
  for (int k = 0; k < count; ++k) {
    if (tick < plan.starts[k + 1] - kSongStartTick) return k;
  }
  return -1;
}

int AddFadeOut(const SongPlan& plan, const SongPhrase* phrases, int count, int song) {
  std::array<uint8_t, 16> volumes = plan.volumes;
  // The first phrase that ends after the fade starts: its muted parts stay silent.
  const int k = PhraseAt(plan, count, plan.fade_start);
  if (k >= 0) {
    for (int bit = 0; bit < 6; ++bit) {
      if (!((phrases[k].parts >> bit) & 1)) volumes[kPartChannel[bit]] = 0;
    }
  }
  RenderEvents events;
  const int64_t span = plan.fade_end - plan.fade_start;
  for (int j = 0; j <= kFadeSteps; ++j) {
    const int64_t tick = kSongStartTick + plan.fade_start + j * span / kFadeSteps;
    for (int channel = 0; channel < 16; ++channel) {
      events.Controller(tick, channel, 7,
                        static_cast<uint8_t>(volumes[channel] * (kFadeSteps - j) / kFadeSteps));
    }
  }
  return Merge(song, events, 0);
}

int AddCadenceFade(const SongPlan& plan, const SongPhrase* phrases, int count, int song) {
  const int64_t cs = plan.cadence_start;
  const int64_t ce = plan.cadence_end;
  const int64_t fs = plan.fade_start;
  const int64_t fe = plan.fade_end;
  if (plan.fade_out && ((cs < fs && fs <= ce) || (cs >= fs && cs <= fe))) return song;
  const int k = PhraseAt(plan, count, cs);
  const bool melody_muted = k >= 0 && !(phrases[k].parts & kPartMelody);
  const int v = melody_muted ? 0 : plan.volumes[0];
  RenderEvents events;
  for (int j = 0; j <= kFadeSteps; ++j) {
    const int64_t tick = kSongStartTick + cs + j * (ce - cs) / kFadeSteps;
    events.Controller(tick, 0, 7, static_cast<uint8_t>(v * (kFadeSteps - j) / kFadeSteps));
  }
  return Merge(song, events, 0);
}

}  // namespace

int AddCommandTracks(const SongPlan& plan, const SongPhrase* phrases, int count,
                     const RenderSettings& s, int song) {
  song = AddClock(plan, s, song);
  song = AddSectionCommands(plan, s, song);
  song = AddPartMutes(plan, phrases, count, song);
  song = AddVariations(plan, phrases, count, s, song);
  if (plan.fade_out) song = AddFadeOut(plan, phrases, count, song);
  if (plan.cadence_fade) song = AddCadenceFade(plan, phrases, count, song);
  return song;
}

}  // namespace qm3
