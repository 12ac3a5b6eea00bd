// Writing the song file, version 3.
#include <cstdio>
#include <string>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "core/result.h"
#include "song/builder_content.h"
#include "song/builder_host.h"
#include "song/phrase_list.h"
#include "song/song_file.h"
#include "song/song_file_layout.h"

namespace qm3 {
namespace {

void Line(std::string* out, std::string_view text) {
  out->append(text);
  out->append("\r\n");
}

template <typename... Args>
void LineF(std::string* out, const char* format, Args... args) {
  char text[64];
  std::snprintf(text, sizeof text, format, args...);
  Line(out, text);
}

int32_t StoredValue(ControlId id) {
  return id == kSongFileRealTimeFlag ? ReadRealTimeSongFlag() : ReadValue(id);
}

// Writes `bytes` to `path` whole or not at all: a temporary file beside it,
// flushed and closed, then renamed over the old one.
bool ReplaceFile(const std::string& path, const std::string& bytes) {
  const std::string temp = path + ".tmp~";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (f == nullptr) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  ok = std::fflush(f) == 0 && ok;
  ok = std::fclose(f) == 0 && ok;
  if (ok) ok = std::rename(temp.c_str(), path.c_str()) == 0;
  if (!ok) std::remove(temp.c_str());
  return ok;
}

}  // namespace

std::string FormatSongFile() {
  std::string out;
  Line(&out, kSongFileVersion3);
  Line(&out, kSectionMiddle);
  for (ControlId id : kSongFileParameters)
    LineF(&out, "%d,%d:%d", (id >> 8) & 0xFF, id & 0xFF, StoredValue(id));
  Line(&out, kSectionMiddleEnd);

  Line(&out, kSectionPhrases);
  const std::vector<SongPhrase>& phrases = SongPhrases();
  LineF(&out, "%d", static_cast<int>(phrases.size()));
  for (const SongPhrase& p : phrases) {
    out.append(p.Name());
    LineF(&out, ",%d,%d,%d,%d,%d,", p.length, p.kind, p.variation, p.fill_in, p.parts);
  }
  Line(&out, kSectionPhrasesEnd);

  RhythmFacts rhythm;
  if (!Content().Rhythm(ReadValue(kRhythm), &rhythm)) rhythm.keys = {0, 0, 0};
  Line(&out, kSectionContents);
  LineF(&out, "RHY:%d,%d,%d,", rhythm.keys[0], rhythm.keys[1], rhythm.keys[2]);
  LineF(&out, "MEL:%d,", Content().MelodyNumber(ReadValue(kUserMelody)));
  Line(&out, kSectionContentsEnd);
  return out;
}

Rc SaveSongFile(const std::string& path) {
  if (path.empty()) return kRcFileNotWritten;
  try {
    return ReplaceFile(path, FormatSongFile()) ? kRcOk : kRcFileNotWritten;
  } catch (const std::bad_alloc&) {
    return kRcNoMemory;
  }
}

}  // namespace qm3
