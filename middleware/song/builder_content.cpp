// Content seam of the song builder: by default the loaded catalogs.
#include "song/builder_content.h"

#include "core/catalog.h"
#include "core/middle_internal.h"
#include "core/middleware.h"

namespace qm3 {
namespace {

class CatalogContent final : public SongContent {
 public:
  bool Rhythm(int32_t rhythm_id, RhythmFacts* facts) override {
    const QM3RhythmData* r = FindRhythm(rhythm_id);
    if (r == nullptr) return false;
    facts->standard_tempo = r->lTempo;
    facts->beats = r->lBeats;
    for (size_t i = 0; i < 4; ++i) {
      facts->intro_measures[i] = r->lSetA[i];
      facts->ending_measures[i] = r->lSetB[i];
    }
    facts->keys = {r->lKeyA, r->lKeyB, r->lKeyC};
    return true;
  }

  bool MelodyPhrases(int32_t index, int mood, std::vector<int>* lengths) override {
    const QM3MelodyData* m = FindMelody(index);
    if (m == nullptr) return false;
    const int count = mood != 0 ? m->lDarkCount : m->lBrightCount;
    const int* list = mood != 0 ? m->plDark : m->plBright;
    lengths->assign(list, list + (list != nullptr && count > 0 ? count : 0));
    return true;
  }

  int32_t MelodyNumber(int32_t index) override {
    const QM3MelodyData* m = FindMelody(index);
    return m != nullptr ? m->lID : -1;
  }

  int32_t MelodyIndexByNumber(int32_t number) override {
    return MelodyFieldQuery(number, kMelodyDefault, 0);
  }

  int32_t RhythmByKeys(int32_t a, int32_t b, int32_t c) override {
    const QM3RhythmGroupList* groups = RhythmGroups();
    if (groups == nullptr) return 0;
    for (int g = 0; g < groups->cCount; ++g) {
      const QM3RhythmGroup& group = groups->pGroup[g];
      for (int i = 0; i < group.cCount; ++i) {
        const QM3RhythmData& r = group.pRhythm[i];
        if (r.lKeyA == a && r.lKeyB == b && r.lKeyC == c) return r.lID;
      }
    }
    return 0;
  }
};

}  // namespace

struct ContentSeam {
  CatalogContent catalogs;
  SongContent* installed = nullptr;  // a test's own library
};

PartState<ContentSeam> MakeContentSeam() {
  return MakePartState<ContentSeam>();
}

SongContent& Content() {
  ContentSeam& seam = *TheMiddleware().content;
  return seam.installed != nullptr ? *seam.installed : seam.catalogs;
}

void UseSongContent(SongContent* content) {
  TheMiddleware().content->installed = content;
}

}  // namespace qm3
