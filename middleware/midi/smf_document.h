// The opened Standard MIDI File (editing modes 1 and 2): the import through
// the working file "midi.dat", the file image that part edits change in
// place, the playback copy of it, the parts' drum flags and voice map, the
// time-line data, saving, and undo by re-reading the image. The document is
// made by the middleware's first initialisation and freed at its end.
//
// Thread rules: host thread. The playback copy is replaced only while no
// playback runs, so the play thread may read it without a lock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/result.h"

namespace qm3::midi {

// Opens a Standard MIDI File (or RIFF RMID) as the import pipeline does: 0,
// 4, 5, 6, 8, 11 or 20. On failure the previous song or file stays open and
// unchanged and no working file is left behind.
Rc ImportSmf(const std::string& path);

// True when the open file's parts use General MIDI voice identifiers (no
// file open: true).
bool OpenFileUsesGmVoices();

// The open file as it stands, with every part edit, for a range export.
struct OpenSmfView {
  const std::vector<uint8_t>* image = nullptr;
  double tempo_ratio = 1.0;  // middleware ticks per file tick
  bool own_marker = false;
};
bool OpenSmf(OpenSmfView* view);

}  // namespace qm3::midi
