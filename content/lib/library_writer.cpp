#include "library_writer.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "melody_composer.h"
#include "style_builder.h"

namespace content {
namespace {

namespace fs = std::filesystem;

// Written under a temporary name and renamed, so a reader never sees half a file.
void WriteFile(const fs::path& path, const std::string& bytes) {
  const fs::path temporary = path.string() + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw SourceError("cannot write " + temporary.string());
  }
  fs::rename(temporary, path);
}

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  WriteFile(path, std::string(bytes.begin(), bytes.end()));
}

std::string PhraseFileName(const char* prefix, int id) {
  char name[32];
  std::snprintf(name, sizeof name, "%s_%08d.dat", prefix, id);
  return name;
}

// One measure (written as four beats; a 3/4 song takes the first three) of
// chords on channel 11 and, where given, melody notes on channel 1.
struct FixedMeasure {
  std::vector<std::pair<Chord, uint32_t>> chords;  // chord, start tick (each lasts to the next)
  std::vector<std::pair<int, uint32_t>> melody;    // key, start tick (each lasts to the next)
};

TrackBuilder FixedTrack(const FixedMeasure& m, const std::string& title, Mode mode) {
  TrackBuilder track;
  track.TimeSignature(0, 4, 4);
  track.Tempo(0, 120.0);
  track.Text(0, 0x03, title);
  WriteMood(track, mode);
  const uint32_t end = 4 * kTicksPerBeat;
  for (size_t i = 0; i < m.chords.size(); ++i) {
    const uint32_t next = i + 1 < m.chords.size() ? m.chords[i + 1].second : end;
    WriteChordNotes(track, m.chords[i].second, next - m.chords[i].second, m.chords[i].first, 64);
  }
  for (size_t i = 0; i < m.melody.size(); ++i) {
    const uint32_t next = i + 1 < m.melody.size() ? m.melody[i + 1].second : end;
    // Played: the first note leans in, the last one settles.
    const int velocity = i == 0 ? 92 : (i + 1 == m.melody.size() ? 80 : 86);
    track.Note(m.melody[i].second, next - m.melody[i].second - 8, kMelodyChannel, m.melody[i].first,
               velocity);
  }
  track.EndAt(end);
  return track;
}

}  // namespace

ContentSources LoadSources(const std::string& sources_dir) {
  ContentSources sources;
  sources.melodies = LoadMelodyLibrary(sources_dir);
  sources.rhythms = ParseRhythms(ReadSourceLines(sources_dir + "/rhythms.txt"));
  for (const auto& entry : fs::directory_iterator(sources_dir + "/styles")) {
    if (entry.path().extension() != ".sty") continue;
    const auto lines = ReadSourceLines(entry.path().string());
    StyleSource style = ParseStyle(lines);
    const std::string name = style.name;
    if (!sources.styles.emplace(name, std::move(style)).second)
      throw SourceError(entry.path().string() + ": style " + name + " defined twice");
    sources.dark_styles.emplace(name, ParseStyle(lines, StyleMood::kDark));
  }
  std::set<int> melody_ids;
  for (const auto& m : sources.melodies.melodies) melody_ids.insert(m.id);
  for (const auto& group : sources.rhythms) {
    for (const auto& r : group.rhythms) {
      auto style = sources.styles.find(r.style);
      if (style == sources.styles.end())
        throw SourceError("rhythm " + r.name + ": no style named " + r.style);
      if (style->second.beats != r.beats)
        throw SourceError("rhythm " + r.name + ": metre differs from its style");
      if (!melody_ids.count(r.melody))
        throw SourceError("rhythm " + r.name + ": no melody " + std::to_string(r.melody));
      for (const auto& m : sources.melodies.melodies)
        if (m.id == r.melody && m.beats != r.beats)
          throw SourceError("rhythm " + r.name + ": default melody has another metre");
    }
  }
  if (sources.melodies.melodies.size() > 255) throw SourceError("at most 255 melodies");
  return sources;
}

RhythmSpec DarkRhythm(const RhythmSpec& rhythm) {
  RhythmSpec dark = rhythm;
  if (rhythm.dark_programs) dark.programs = *rhythm.dark_programs;
  return dark;
}

std::string MelodyCatalogText(const MelodyLibrary& library) {
  std::ostringstream out;
  out << "; Sonavex melody catalog, generated from content/sources/melodies.txt\n";
  out << "; name,id,beats,bright count,lengths...,dark count,lengths...\n";
  for (const auto& m : library.melodies) {
    out << m.name << "," << m.id << "," << m.beats;
    for (const PhraseSetSpec* set : {&m.bright, &m.dark}) {
      const auto lengths = PhraseLengths(library, *set);
      out << "," << lengths.size();
      for (int l : lengths) out << "," << l;
    }
    out << "\n";
  }
  return out.str();
}

std::map<std::string, TrackBuilder> FixedSourceFiles() {
  const Chord major{0, ChordType::kMaj};
  const Chord minor{0, ChordType::kMin};
  const Chord dominant{7, ChordType::kSeventh};
  std::map<std::string, TrackBuilder> files;
  for (int dark = 0; dark <= 1; ++dark) {
    const std::string prefix = dark ? "m" : "";
    const Mode mode = dark ? Mode::kMinor : Mode::kMajor;
    const Chord tonic = dark ? minor : major;
    const int third = dark ? 63 : 64;
    // Intro: the tonic, which the style's intro plays over.
    files[prefix + "I_src_mid.dat"] = FixedTrack({{{tonic, 0}}, {}}, "intro", mode);
    // Short intros: a dominant seventh that leads into the first phrase.
    files[prefix + "I_src_f_mid.dat"] = FixedTrack({{{dominant, 0}}, {}}, "intro lead-in", mode);
    // Ending: the tonic with the keynote held in the melody.
    files[prefix + "E_src_mid.dat"] = FixedTrack({{{tonic, 0}}, {{72, 0}}}, "ending", mode);
    // Cadences: V7 to I within the measure; the faster one moves in half notes.
    files[prefix + "chord_mid.dat"] = FixedTrack(
        {{{dominant, 0}, {tonic, 192}}, {{74, 0}, {71, 96}, {72, 192}}}, "cadence", mode);
    files[prefix + "chord2_mid.dat"] =
        FixedTrack({{{dominant, 0}, {tonic, 192}}, {{67, 0}, {third, 192}}}, "cadence fast", mode);
  }
  return files;
}

void WriteLibrary(const ContentSources& sources, const std::string& out_dir) {
  const fs::path dir(out_dir);
  fs::create_directories(dir / "styles" / "dark");
  WriteFile(dir / "QM3RHY.toc", RhythmCatalogText(sources.rhythms));
  WriteFile(dir / "QM3MEL.toc", MelodyCatalogText(sources.melodies));
  for (const auto& m : sources.melodies.melodies) {
    WriteFile(dir / PhraseFileName("p", m.id),
              ComposePhraseSet(sources.melodies, m, Mode::kMajor).ToSmf());
    WriteFile(dir / PhraseFileName("mp", m.id),
              ComposePhraseSet(sources.melodies, m, Mode::kMinor).ToSmf());
  }
  for (const auto& [name, track] : FixedSourceFiles()) WriteFile(dir / name, track.ToSmf());
  for (const auto& group : sources.rhythms) {
    for (const auto& r : group.rhythms) {
      const StyleSource& style = sources.styles.at(r.style);
      const auto sections = BuildStyleSections(style, r);
      WriteFile(dir / "styles" / StyleFileName(r.key_b, r.key_c),
                StyleTrack(style, r, sections).ToSmf());
      const StyleSource& dark = sources.dark_styles.at(r.style);
      const RhythmSpec dark_rhythm = DarkRhythm(r);
      WriteFile(dir / "styles" / "dark" / StyleFileName(r.key_b, r.key_c),
                StyleTrack(dark, dark_rhythm, BuildStyleSections(dark, dark_rhythm)).ToSmf());
    }
  }
}

}  // namespace content
