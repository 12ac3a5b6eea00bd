#include "controls/rhythm_tree.h"

#include "client/sjis_text.h"
#include "shell/trace.h"

namespace sonavex::app {

bool CRhythmTree::Create(const QM3RhythmGroupList* list) {
  Clear();
  if (list == nullptr || (list->cCount > 0 && list->pGroup == nullptr)) {
    TraceLog("CRhythmTree::Create リズムデータがありません\n");
    return false;
  }
  for (int g = 0; g < list->cCount; ++g) {
    const QM3RhythmGroup& source = list->pGroup[g];
    if (source.cCount > 0 && source.pRhythm == nullptr) {
      TraceLog("CRhythmTree::Create リズムの配列がありません\n");
      Clear();
      return false;
    }
    CRhythmGroup group(FromMiddleText(source.pszName));
    for (int r = 0; r < source.cCount; ++r) {
      const QM3RhythmData& rhythm = source.pRhythm[r];
      group.Add({FromMiddleText(rhythm.pszName), rhythm.lID, rhythm.lTempo, false});
    }
    group.Select(-1);
    AddGroup(std::move(group));
  }
  return true;
}

bool CRhythmTree::GetNamesFromSelNum(long number, QString* name, long* tempo) const {
  const CRhythm* rhythm = FindCurrent(number);
  if (rhythm == nullptr) return false;
  *name = rhythm->name;
  *tempo = rhythm->tempo;
  return true;
}

}  // namespace sonavex::app
