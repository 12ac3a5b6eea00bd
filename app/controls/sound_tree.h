// CSoundTree: the sounds a part can take, by group (name and selection
// number), copied from the middleware's sound data. CSoundTreeCtrl shows it.
//
// Thread rules: user-interface thread only.
#pragma once
#include "controls/catalog_tree.h"
#include "controls/catalog_tree_ctrl.h"
#include "qm3middle.h"

namespace sonavex::app {

struct CSound {
  QString name;
  long number = -1;
  bool selected = false;
};
using CSoundGroup = CCatalogGroup<CSound>;

class CSoundTree : public CCatalogTree<CSound> {
 public:
  // As CRhythmTree::Create, from the middleware's sound data.
  bool Create(const QM3SoundGroupList* list);

  long GetSelNumFromGroup(const QString& group) { return SelNumFromGroup(group); }
  long GetSelNumFromSound(const QString& group, const QString& sound) {
    return SelNumFromEntry(group, sound);
  }
  // The name of the sound that is its group's current one; empty when none.
  QString GetNameFromSelNum(long number) const;
  QString GetSoundName(long number) const { return EntryNameOf(number); }
};

class CSoundTreeCtrl : public CCatalogTreeCtrl {
  Q_OBJECT

 public:
  explicit CSoundTreeCtrl(QWidget* parent = nullptr) : CCatalogTreeCtrl(parent) {}
  void CreateTree(const CSoundTree& tree, long selection) {
    tree_ = tree;
    Build(&tree_, selection);
  }
  CSoundTree& tree() { return tree_; }

 private:
  CSoundTree tree_;
};

}  // namespace sonavex::app
