// CMIDIData: the lists and trees the dialogs offer, copied out of the
// middleware's lists (which stay the middleware's and change under us), and
// the fixed time-base and time-display lists.
//
// Thread rules: user-interface thread only.
#pragma once
#include <vector>

#include "client/midi_mgr.h"
#include "controls/bgm_list.h"
#include "controls/rhythm_tree.h"
#include "controls/sound_tree.h"

namespace sonavex::app {

class CMIDIData {
 public:
  enum ListFlag : int { kMelody = 1, kStartPhrase = 2, kIntro = 4, kEnding = 8, kAll = 15 };

  explicit CMIDIData(CMIDIMgr* mgr) : mgr_(mgr) {}

  // Rhythm tree, output devices, time lists, then every choice list.
  bool InitListInfo();
  // Rebuilds the lists named by `flags`, in flag order, stopping at the
  // first failure.
  bool UpdateListInfo(int flags);
  bool BuildRhythmTree();
  // The sound tree of the open file's sound list.
  bool BuildSoundTree();

  // A list copied from a middleware list of `count` records: a count with no
  // records fails and leaves the list empty; count 0 is an empty list.
  template <typename Record, typename Name, typename Data>
  static bool FillList(CBgmList* list, int count, const Record* records, Name name, Data data);

  const CBgmList& melodies() const { return melodies_; }
  const CBgmList& start_phrases() const { return start_phrases_; }
  const CBgmList& intros() const { return intros_; }
  const CBgmList& endings() const { return endings_; }
  const CBgmList& time_bases() const { return time_bases_; }
  const CBgmList& time_displays() const { return time_displays_; }
  const CBgmList& out_devices() const { return out_devices_; }
  const CRhythmTree& rhythm_tree() const { return rhythm_tree_; }
  const CSoundTree& sound_tree() const { return sound_tree_; }
  // The name of the rhythm whose value is `value`; empty when none.
  QString RhythmName(long value) const;

 private:
  bool BuildOutDevices();
  void BuildTimeLists();

  CMIDIMgr* mgr_;
  CBgmList melodies_, start_phrases_, intros_, endings_, time_bases_, time_displays_, out_devices_,
      spare_;
  CRhythmTree rhythm_tree_;
  CSoundTree sound_tree_;
};

template <typename Record, typename Name, typename Data>
bool CMIDIData::FillList(CBgmList* list, int count, const Record* records, Name name, Data data) {
  list->Clear();
  if (count <= 0) return true;
  if (records == nullptr) return false;
  for (int i = 0; i < count; ++i) list->Add(name(records[i]), data(records[i], i));
  return true;
}

}  // namespace sonavex::app
