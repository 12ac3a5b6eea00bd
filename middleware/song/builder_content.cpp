// Content seam of the song builder. Until the catalogs are reachable from
// here the default content knows no rhythm and no melody.
#include "song/builder_content.h"

#include "core/control_ids.h"
#include "core/middle_internal.h"

namespace qm3 {
namespace {

class CatalogContent final : public SongContent {
 public:
  bool Rhythm(int32_t, RhythmFacts*) override { return false; }
  bool MelodyPhrases(int32_t, int, std::vector<int>*) override { return false; }
  int32_t MelodyNumber(int32_t) override { return -1; }
  int32_t MelodyIndexByNumber(int32_t) override { return 0; }
  int32_t RhythmByKeys(int32_t, int32_t, int32_t) override { return 0; }
};

SongContent*& Installed() {
  static SongContent* content = nullptr;
  return content;
}

}  // namespace

SongContent& Content() {
  static CatalogContent catalogs;
  return Installed() != nullptr ? *Installed() : catalogs;
}

void UseSongContent(SongContent* content) {
  Installed() = content;
}

double FramesPerSecondOf(int32_t time_base) {
  static constexpr double kFps[8] = {24.0, 25.0, 29.97, 30.0, 24.0, 25.0, 29.97, 30.0};
  return kFps[time_base & 7];
}

double CurrentFramesPerSecond() {
  return FramesPerSecondOf(ReadValue(kTimeBase));
}

}  // namespace qm3
