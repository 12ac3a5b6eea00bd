// CPhraseList: the song's phrases as the middleware last reported them
// (process 1), for drawing the phrase lane. Names are copied, not kept as
// the middleware's pointers.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>
#include <vector>

#include "qm3middle.h"

namespace sonavex::app {

struct CPhrase {
  int number = 0;  // position in the middleware's list, from 0
  bool selected = false;
  QString name;
  long beats = 0;
};

class CPhraseList {
 public:
  // Rebuilds from the middleware's list; a count without records (or a
  // null list) leaves the list empty and fails.
  bool Create(const QM3PhraseList* list);
  // The song's length in beats.
  long GetSongAll() const;
  // Marks phrase `number` as the selected one; false (and a trace) when
  // there is no such phrase; -1 clears the selection.
  bool SelectPhrase(int number);
  void ClearSelect();
  const std::vector<CPhrase>& phrases() const { return phrases_; }

 private:
  std::vector<CPhrase> phrases_;
};

}  // namespace sonavex::app
