#include "melody_source.h"

#include <set>

namespace content {
namespace {

int MeasureSixteenths(int beats) {
  return beats * 4;
}

const Progression& FindProgression(const MelodyLibrary& library, const std::string& name,
                                   const std::string& where) {
  auto it = library.progressions.find(name);
  if (it == library.progressions.end()) throw SourceError(where + ": unknown progression " + name);
  return it->second;
}

void CheckSet(const MelodyLibrary& library, const PhraseSetSpec& set, Mode mode,
              const std::string& where) {
  if (set.progressions.size() < 2 || set.progressions.size() > 6)
    throw SourceError(where + ": a phrase set has 2 to 6 phrases");
  for (const auto& name : set.progressions) {
    const Progression& p = FindProgression(library, name, where);
    if (p.mode != mode)
      throw SourceError(where + ": progression " + name + " is in the wrong mode");
    if (p.measures.size() < 2 || p.measures.size() > 8)
      throw SourceError(where + ": a phrase has 2 to 8 measures");
  }
  // The song builder repeats the set, so it must come home at its end.
  const Progression& last = FindProgression(library, set.progressions.back(), where);
  if (!IsTonicChord(last.measures.back().chords.back(), mode))
    throw SourceError(where + ": a phrase set must close on the tonic");
}

}  // namespace

void ParseMotifs(const std::vector<SourceLine>& lines, MelodyLibrary& library) {
  // motif <name> <beats> <rhythm in sixteenths, rN a rest> | <steps>
  for (const auto& line : lines) {
    const auto& t = line.tokens;
    if (t[0] != "motif" || t.size() < 4) line.Fail("expected: motif name beats rhythm | steps");
    Motif motif{t[1], ParseInt(line, t[2]), {}};
    if (motif.beats != 3 && motif.beats != 4) line.Fail("a motif has 3 or 4 beats");
    size_t i = 3;
    int total = 0;
    for (; i < t.size() && t[i] != "|"; ++i) {
      MotifNote note;
      std::string text = t[i];
      if (text[0] == 'r') {
        note.rest = true;
        text = text.substr(1);
      }
      note.sixteenths = ParseInt(line, text);
      if (note.sixteenths <= 0) line.Fail("a duration is at least one sixteenth");
      total += note.sixteenths;
      motif.notes.push_back(note);
    }
    if (total != MeasureSixteenths(motif.beats)) line.Fail("the rhythm does not fill one measure");
    if (i == t.size()) line.Fail("missing | before the steps");
    ++i;
    for (auto& note : motif.notes) {
      if (note.rest) continue;
      if (i == t.size()) line.Fail("fewer steps than notes");
      note.step = ParseInt(line, t[i++]);
    }
    if (i != t.size()) line.Fail("more steps than notes");
    if (!library.motifs.emplace(motif.name, motif).second) line.Fail("motif named twice");
  }
}

void ParseProgressions(const std::vector<SourceLine>& lines, MelodyLibrary& library) {
  // prog <name> major|minor <chord per measure> ..., "ii-V" splits a measure
  for (const auto& line : lines) {
    const auto& t = line.tokens;
    if (t[0] != "prog" || t.size() < 5) line.Fail("expected: prog name major|minor chords...");
    Progression p;
    p.name = t[1];
    if (t[2] == "major")
      p.mode = Mode::kMajor;
    else if (t[2] == "minor")
      p.mode = Mode::kMinor;
    else
      line.Fail("mode is major or minor");
    for (size_t i = 3; i < t.size(); ++i) {
      ProgressionMeasure measure;
      for (const auto& symbol : SplitList(t[i], '-')) {
        auto chord = ParseRomanNumeral(symbol, p.mode);
        if (!chord) line.Fail("not a chord: " + symbol);
        measure.chords.push_back(*chord);
        measure.symbols.push_back(symbol);
      }
      if (measure.chords.size() > 2) line.Fail("at most two chords per measure");
      p.measures.push_back(measure);
    }
    if (!library.progressions.emplace(p.name, p).second) line.Fail("progression named twice");
  }
}

void ParseMelodies(const std::vector<SourceLine>& lines, MelodyLibrary& library) {
  // melody <id> "<name>" <beats> motifs=a,b,c cadence=m bright=p,p,... dark=p,p,...
  std::set<int> ids;
  for (const auto& known : library.melodies) ids.insert(known.id);
  for (const auto& line : lines) {
    const auto& t = line.tokens;
    if (t[0] != "melody" || t.size() < 5) line.Fail("expected: melody id name beats options");
    MelodySpec m;
    m.id = ParseInt(line, t[1]);
    m.name = t[2];
    m.beats = ParseInt(line, t[3]);
    if (m.name.empty() || m.name.find(',') != std::string::npos || m.name.size() > 40)
      line.Fail("a melody name is 1 to 40 characters without commas");
    if (!ids.insert(m.id).second) line.Fail("melody id used twice");
    auto options = OptionsOf(line, 4);
    for (const char* key : {"motifs", "cadence", "bright", "dark"})
      if (!options.count(key)) line.Fail(std::string("missing ") + key + "=");
    m.motifs = SplitList(options["motifs"], ',');
    m.cadence = options["cadence"];
    m.bright.progressions = SplitList(options["bright"], ',');
    m.dark.progressions = SplitList(options["dark"], ',');
    if (m.motifs.size() != 3) line.Fail("motifs= names three motifs");
    for (const auto& name : m.motifs) {
      auto it = library.motifs.find(name);
      if (it == library.motifs.end()) line.Fail("unknown motif " + name);
      if (it->second.beats != m.beats) line.Fail("motif " + name + " has another metre");
    }
    auto cadence = library.motifs.find(m.cadence);
    if (cadence == library.motifs.end() || cadence->second.beats != m.beats)
      line.Fail("unknown cadence motif or another metre: " + m.cadence);
    CheckSet(library, m.bright, Mode::kMajor, line.Where());
    CheckSet(library, m.dark, Mode::kMinor, line.Where());
    library.melodies.push_back(m);
  }
}

MelodyLibrary LoadMelodyLibrary(const std::string& sources_dir) {
  MelodyLibrary library;
  ParseMotifs(ReadSourceLines(sources_dir + "/motifs.txt"), library);
  ParseProgressions(ReadSourceLines(sources_dir + "/progressions.txt"), library);
  ParseMelodies(ReadSourceLines(sources_dir + "/melodies.txt"), library);
  return library;
}

std::vector<int> PhraseLengths(const MelodyLibrary& library, const PhraseSetSpec& set) {
  std::vector<int> lengths;
  for (const auto& name : set.progressions)
    lengths.push_back(static_cast<int>(library.progressions.at(name).measures.size()));
  return lengths;
}

}  // namespace content
