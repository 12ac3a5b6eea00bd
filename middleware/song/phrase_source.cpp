#include "song/phrase_source.h"

#include "song/track_buffer.h"
#include "song/track_writer.h"

namespace qm3 {

namespace {

constexpr int kTicksPerBeat = 96;
constexpr int kMelodyChannel = 0;  // MIDI channel 1
constexpr int kChordChannel = 10;  // MIDI channel 11

void EmptyTrack() {
  NewTrack();
  PutDelta(0);
  PutEndOfTrack();
  FinishTrack();
}

int32_t Ticks(int64_t measures, int beats) {
  const int64_t ticks = measures * beats * kTicksPerBeat;
  return ticks > INT32_MAX ? INT32_MAX : static_cast<int32_t>(ticks);
}

}  // namespace

std::string FixedSourceName(FixedSource source, int mood) {
  const char* name = "I_src_mid.dat";
  switch (source) {
    case FixedSource::kIntro:
      name = "I_src_mid.dat";
      break;
    case FixedSource::kIntroFast:
      name = "I_src_f_mid.dat";
      break;
    case FixedSource::kEnding:
      name = "E_src_mid.dat";
      break;
    case FixedSource::kChord:
      name = "chord_mid.dat";
      break;
    case FixedSource::kChordFast:
      name = "chord2_mid.dat";
      break;
  }
  return mood == 1 ? std::string("m") + name : std::string(name);
}

FixedSource IntroSource(int intro) {
  return intro == 2 || intro == 3 ? FixedSource::kIntroFast : FixedSource::kIntro;
}

FixedSource ChordSource(double tempo_bpm) {
  return tempo_bpm > 120.0 ? FixedSource::kChordFast : FixedSource::kChord;
}

bool LoadSource(const std::string& path, int buffer) {
  if (SelectTrackBuffer(buffer) != kRcOk) return false;
  if (LoadTrack(path) && FirstEvent() >= 0) return true;
  // A missing or unreadable source is silence, never what the buffer held.
  EmptyTrack();
  return false;
}

bool LoadFirstMeasure(const std::string& path, int beats, int buffer) {
  const bool loaded = LoadSource(path, buffer);
  CutTrack(Ticks(1, beats));
  // The song's tempo is set once at its start; a tempo the intro, ending or
  // cadence source carries would change it in the middle of the song.
  StripTempo();
  return loaded;
}

void NoteSkippedSource(bool loaded, const std::string& path, std::vector<std::string>* skipped) {
  if (!loaded && skipped != nullptr) skipped->push_back(path);
}

int64_t CycleMeasures(const std::vector<int>& phrases) {
  int64_t q = 0;
  for (int l : phrases) q += l > 0 ? l : 0;
  return q;
}

bool BuildMelodyCycle(const MelodyCycleRequest& request, int out) {
  if (!IsTrackNumber(out)) return true;
  const int a = (out + 1) % kTrackBufferCount;
  const int b = (out + 2) % kTrackBufferCount;
  const int64_t q = CycleMeasures(request.phrases);
  if (q <= 0 || request.beats < 1) {
    SelectTrackBuffer(out);
    EmptyTrack();
    return true;
  }
  int64_t o = 0;  // measures before the start phrase
  const int count = static_cast<int>(request.phrases.size());
  // The start phrase counts round the melody, as the phrase list does.
  const int start = request.start_phrase > 0 ? request.start_phrase % count : 0;
  for (int k = 0; k < start; ++k) o += request.phrases[k] > 0 ? request.phrases[k] : 0;
  const int32_t cycle_end = Ticks(q, request.beats);
  const int32_t rotation = Ticks(o, request.beats);

  // The melody file in `a`, in the song's meter.
  const bool loaded = LoadSource(request.path, a);
  if (request.melody_beats >= 1 && request.melody_beats != request.beats) {
    SelectTrackBuffer(b);
    MeterTrack(a, request.melody_beats, request.beats);
    CopyTrack(b, a);
  }
  // Rotation: [O, Q) then [0, O), into `b`.
  SelectTrackBuffer(b);
  RangeTrack(a, rotation, cycle_end, 0);
  SelectTrackBuffer(out);
  RangeTrack(a, 0, rotation, 0);
  SelectTrackBuffer(b);
  JoinTrack(out);
  CutTrack(cycle_end);
  StripTempo();
  // Channel 1 delayed, channel 11 as it is.
  SelectTrackBuffer(a);
  ChannelTrack(b, kMelodyChannel);
  SelectTrackBuffer(out);
  RangeTrack(a, 0, cycle_end, request.melody_delay);
  SelectTrackBuffer(a);
  ChannelTrack(b, kChordChannel);
  SelectTrackBuffer(b);
  MergeTracks(out, a);
  CopyTrack(b, out);
  SelectTrackBuffer(out);
  CutTrack(cycle_end);
  StripTempo();
  return loaded;
}

}  // namespace qm3
