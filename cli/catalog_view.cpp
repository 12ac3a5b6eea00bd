#include "catalog_view.h"

#include <cstdlib>

#include "platform/sjis.h"
#include "qm3middle.h"
#include "text_match.h"

namespace sonavex::cli {
namespace {

bool ParseNumber(const std::string& text, long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = std::strtol(text.c_str(), &end, 10);
  return end != nullptr && *end == '\0';
}

std::string Utf8(const char* sjis) {
  return sjis == nullptr ? "" : platform::SjisToUtf8(sjis);
}

}  // namespace

CatalogView::CatalogView(HostSession& s) {
  long a = 0, b = 0;
  if (s.Process(9, &a, &b) == 0 && a != 0) {
    const auto* groups = reinterpret_cast<const QM3RhythmGroupList*>(a);
    for (int g = 0; g < groups->cCount; ++g) {
      const QM3RhythmGroup& group = groups->pGroup[g];
      for (int r = 0; r < group.cCount; ++r) {
        const QM3RhythmData& d = group.pRhythm[r];
        rhythms_.push_back({Utf8(group.pszName), Utf8(d.pszName), d.lID, d.lTempo, d.lBeats});
      }
    }
  }
  a = b = 0;
  if (s.Process(10, &a, &b) == 0 && a != 0) {
    const auto* list = reinterpret_cast<const QM3MelodyList*>(a);
    for (int i = 0; i < list->cCount; ++i) {
      const QM3MelodyData& m = list->pMelody[i];
      melodies_.push_back({Utf8(m.pszName), i, m.lID, m.lBeats, m.lBrightCount, m.lDarkCount});
    }
  }
}

const RhythmEntry* CatalogView::FindRhythm(const std::string& key) const {
  const std::string folded = FoldForMatch(key);
  for (const RhythmEntry& r : rhythms_) {
    if (FoldForMatch(r.name) == folded) return &r;
  }
  long id = 0;
  if (ParseNumber(folded, &id)) {
    for (const RhythmEntry& r : rhythms_) {
      if (r.id == id) return &r;
    }
  }
  return nullptr;
}

int CatalogView::FindMelody(const std::string& key) const {
  long number = 0;
  if (ParseNumber(FoldForMatch(key), &number)) {  // full-width digits too
    for (const MelodyEntry& m : melodies_) {
      if (m.id == number) return m.index;
    }
    if (number >= 0 && number < static_cast<long>(melodies_.size())) {
      return static_cast<int>(number);
    }
  }
  const std::string folded = FoldForMatch(key);
  for (const MelodyEntry& m : melodies_) {
    if (FoldForMatch(m.name) == folded) return m.index;
  }
  return -1;
}

}  // namespace sonavex::cli
