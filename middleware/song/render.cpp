// The render's material: set-up and count-in, intro, body and ending, joined
// into the song; the command tracks are merged in by render_commands.cpp.
#include "song/render.h"

#include <cmath>

#include "song/phrase_list.h"
#include "song/phrase_source.h"
#include "song/render_events.h"
#include "song/render_steps.h"
#include "song/track_buffer.h"

namespace qm3 {

namespace {

constexpr int kTicksPerBeat = 96;
constexpr int32_t kSetupTick = 336;
constexpr int32_t kPreCut = 378;  // the set-up track ends 6 ticks before the song
constexpr int kCountInChannel = 9;
constexpr uint8_t kCountInNote = 47;

bool Save(const RenderSettings& s, const char* name) {
  return SaveTrack(s.work_dir + name);
}

void EmptyTrack() {
  NewTrack();
  PutDelta(0);
  PutEndOfTrack();
  FinishTrack();
}

// The pre part: tempo, the module set-up at 336 and the count-in, cut at 378.
void BuildPre(const SongPlan& plan, const RenderSettings& s) {
  RenderEvents setup;
  setup.Tempo(0, plan.microseconds_per_quarter);
  for (int channel = 0; channel < 16; ++channel) setup.Controller(kSetupTick, channel, 121, 0);
  setup.Module(kSetupTick, midi::MakeParameterByte(midi::kAddrFirstSetup, 1));
  setup.Module(kSetupTick, midi::MakeRhythmSetup(s.key_b, s.key_c));
  setup.Controller(kSetupTick, 0, 0, 0);
  setup.Controller(kSetupTick, 0, 32, s.melody_bank);
  setup.Program(kSetupTick, 0, s.melody_program);
  setup.Module(kSetupTick, midi::MakeParameterByte(midi::kAddrVariation, plan.first_variation));
  if (s.intro == 0 || s.intro == 1) {
    setup.Module(kSetupTick,
                 midi::MakeParameterByte(midi::kAddrIntro, static_cast<uint8_t>(s.intro + 1)));
  }
  SelectTrackBuffer(0);
  setup.WriteTrack(kSongStartTick);

  RenderEvents count_in;
  for (int beat = 0; beat < 3; ++beat) {
    count_in.Channel(beat * kTicksPerBeat, 0x90 | kCountInChannel, kCountInNote, 127);
    count_in.Channel(beat * kTicksPerBeat + 48, 0x90 | kCountInChannel, kCountInNote, 0);
  }
  SelectTrackBuffer(1);
  count_in.WriteTrack(kSongStartTick);

  SelectTrackBuffer(2);
  MergeTracks(0, 1);
  CutTrack(kPreCut);
}

// The intro: the intro source's first measure, I times.
void BuildIntro(const RenderSettings& s, int intro_measures, std::vector<std::string>* skipped) {
  const std::string path = s.source_dir + FixedSourceName(IntroSource(s.intro), s.mood);
  NoteSkippedSource(LoadFirstMeasure(path, s.beats, 1) || intro_measures < 1, path, skipped);
  SelectTrackBuffer(0);
  EmptyTrack();
  for (int i = 0; i < intro_measures; ++i) JoinTrack(1);
  FinishTrack();
}

// The body: melody cycles, with the chord cadence.
void BuildBody(const SongPlan& plan, const RenderSettings& s, std::vector<std::string>* skipped) {
  MelodyCycleRequest request;
  request.path = s.source_dir + s.melody_file;
  request.melody_beats = s.melody_beats;
  request.beats = s.beats;
  request.phrases = s.melody_phrases;
  request.start_phrase = s.start_phrase;
  NoteSkippedSource(BuildMelodyCycle(request, 1) || plan.body_measures < 1, request.path, skipped);

  SelectTrackBuffer(0);
  EmptyTrack();
  const int64_t q = plan.cycle_measures;
  const int64_t cycles = q > 0 ? (plan.body_measures + q - 1) / q : 0;
  for (int64_t i = 0; i < cycles; ++i) {
    if (JoinTrack(1) != kRcOk) break;  // too long for a buffer: cut off there
  }
  const int64_t measure = int64_t{s.beats} * kTicksPerBeat;
  if (!plan.chord_cadence) {
    CutTrack(static_cast<int32_t>(plan.body_measures * measure));
  } else {
    CutTrack(static_cast<int32_t>((plan.body_measures - 1) * measure));
    const std::string path = s.source_dir + FixedSourceName(ChordSource(plan.tempo_bpm), s.mood);
    NoteSkippedSource(LoadFirstMeasure(path, s.beats, 1), path, skipped);
    SelectTrackBuffer(0);
    JoinTrack(1);
  }
  FinishTrack();
}

// The ending: the ending source's first measure, then silence to E measures.
void BuildEnding(const RenderSettings& s, int ending_measures, std::vector<std::string>* skipped) {
  if (ending_measures < 1) {
    SelectTrackBuffer(0);
    EmptyTrack();
    return;
  }
  const std::string path = s.source_dir + FixedSourceName(FixedSource::kEnding, s.mood);
  NoteSkippedSource(LoadFirstMeasure(path, s.beats, 0), path, skipped);
  CutTrack(ending_measures * s.beats * kTicksPerBeat);
}

// The song: pre, intro, body and ending joined end to start, in buffer 0.
void JoinSections(const RenderSettings& s) {
  SelectTrackBuffer(0);
  LoadTrack(s.work_dir + kPreWorkFile);
  for (const char* name : {kIntroWorkFile, kBodyWorkFile, kEndingWorkFile}) {
    SelectTrackBuffer(1);
    LoadTrack(s.work_dir + name);
    SelectTrackBuffer(0);
    JoinTrack(1);
  }
  FinishTrack();
}

}  // namespace

Rc RenderSong(const SongPhrase* phrases, int count, const RenderSettings& s,
              std::vector<std::string>* skipped) {
  const SongPlan plan = PlanSong(phrases, count, s);

  BuildPre(plan, s);
  if (!Save(s, kPreWorkFile)) return kRcDiskFull;
  BuildIntro(s, plan.intro_measures, skipped);
  if (!Save(s, kIntroWorkFile)) return kRcDiskFull;
  BuildBody(plan, s, skipped);
  if (!Save(s, kBodyWorkFile)) return kRcDiskFull;
  BuildEnding(s, plan.ending_measures, skipped);
  if (!Save(s, kEndingWorkFile)) return kRcDiskFull;
  JoinSections(s);
  // Song in buffer 0; each command track is merged in turn.
  const int song = AddCommandTracks(plan, phrases, count, s, 0);
  SelectTrackBuffer(song);
  if (!Save(s, kSongWorkFile)) return kRcDiskFull;
  return kRcOk;
}

Rc RenderCurrentSong(std::vector<std::string>* skipped) {
  const std::vector<SongPhrase>& phrases = SongPhrases();
  return RenderSong(phrases.data(), static_cast<int>(phrases.size()), CurrentRenderSettings(),
                    skipped);
}

}  // namespace qm3
