// Writes the whole content library into a data folder: both catalogs, the
// phrase files of every melody, the intro/ending/cadence source files and
// the sound module's style bank. Used by the build's generator program.
// Blocks on file writes; no locking, no threads.
#pragma once

#include <string>
#include <vector>

#include "melody_source.h"
#include "rhythm_source.h"
#include "smf_writer.h"
#include "style_source.h"

namespace content {

struct ContentSources {
  MelodyLibrary melodies;
  std::vector<RhythmGroup> rhythms;
  std::map<std::string, StyleSource> styles;       // by style name
  std::map<std::string, StyleSource> dark_styles;  // the dark mood's variants
};

// The dark variant of a rhythm: its dark program overrides where it has them.
RhythmSpec DarkRhythm(const RhythmSpec& rhythm);

// Reads and cross-checks everything under the sources folder.
ContentSources LoadSources(const std::string& sources_dir);

std::string MelodyCatalogText(const MelodyLibrary& library);

// The fixed source files, by file name ("I_src_mid.dat", "mE_src_mid.dat", ...).
std::map<std::string, TrackBuilder> FixedSourceFiles();

// Writes the library; throws SourceError on a file that cannot be written.
void WriteLibrary(const ContentSources& sources, const std::string& out_dir);

}  // namespace content
