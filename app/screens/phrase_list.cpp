#include "screens/phrase_list.h"

#include <algorithm>

#include "client/sjis_text.h"
#include "shell/trace.h"

namespace sonavex::app {

bool CPhraseList::Create(const QM3PhraseList* list) {
  phrases_.clear();
  if (list == nullptr) return false;
  if (list->nCount <= 0) return true;
  if (list->pPhrases == nullptr) {
    TraceLog("CPhraseList::Create ﾌﾚｰｽﾞの数[%d]に対してﾃﾞｰﾀがありません\n", list->nCount);
    return false;
  }
  phrases_.reserve(static_cast<size_t>(list->nCount));
  for (int i = 0; i < list->nCount; ++i) {
    const QM3SongPhrase& p = list->pPhrases[i];
    // The name field need not be terminated.
    char name[sizeof p.szName + 1] = {};
    std::copy(p.szName, p.szName + sizeof p.szName, name);
    phrases_.push_back({i, false, FromMiddleText(name), std::max(0, p.nLength)});
  }
  return true;
}

long CPhraseList::GetSongAll() const {
  long beats = 0;
  for (const CPhrase& p : phrases_) beats += p.beats;
  return beats;
}

bool CPhraseList::SelectPhrase(int number) {
  ClearSelect();
  if (number == -1) return true;
  for (CPhrase& p : phrases_) {
    if (p.number == number) {
      p.selected = true;
      return true;
    }
  }
  TraceLog("CPhraseList::SelectPhrase 指定されたフレーズは存在しません iSel[%d]\n", number);
  return false;
}

void CPhraseList::ClearSelect() {
  for (CPhrase& p : phrases_) p.selected = false;
}

}  // namespace sonavex::app
