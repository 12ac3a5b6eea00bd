#include "controls/sound_tree.h"

#include "client/sjis_text.h"
#include "shell/trace.h"

namespace sonavex::app {

bool CSoundTree::Create(const QM3SoundGroupList* list) {
  Clear();
  if (list == nullptr || (list->cCount > 0 && list->pGroup == nullptr)) {
    TraceLog("CSoundTree::Create サウンドデータがありません\n");
    return false;
  }
  for (int g = 0; g < list->cCount; ++g) {
    const QM3SoundGroup& source = list->pGroup[g];
    if (source.cCount > 0 && source.pSound == nullptr) {
      TraceLog("CSoundTree::Create サウンドの配列がありません\n");
      Clear();
      return false;
    }
    CSoundGroup group(FromMiddleText(source.pszName));
    for (int s = 0; s < source.cCount; ++s) {
      group.Add({FromMiddleText(source.pSound[s].pszName).trimmed(), source.pSound[s].lID, false});
    }
    group.Select(-1);
    AddGroup(std::move(group));
  }
  return true;
}

QString CSoundTree::GetNameFromSelNum(long number) const {
  const CSound* sound = FindCurrent(number);
  return sound != nullptr ? sound->name : QString();
}

}  // namespace sonavex::app
