// CRhythmTree: the rhythm catalogue by group (name, selection number and
// standard tempo of every rhythm), copied from the middleware's rhythm
// data. CRhythmTreeCtrl shows it (see catalog_tree_ctrl.h).
//
// Thread rules: user-interface thread only.
#pragma once
#include "controls/catalog_tree.h"
#include "controls/catalog_tree_ctrl.h"
#include "qm3middle.h"

namespace sonavex::app {

struct CRhythm {
  QString name;
  long number = -1;  // the value of the rhythm control
  long tempo = 0;    // standard tempo, beats per minute
  bool selected = false;
};
using CRhythmGroup = CCatalogGroup<CRhythm>;

class CRhythmTree : public CCatalogTree<CRhythm> {
 public:
  // Copies the middleware's rhythm data; each group's first rhythm becomes
  // its current one. A count without records empties the tree and fails.
  bool Create(const QM3RhythmGroupList* list);

  long GetSelNumFromGroup(const QString& group) { return SelNumFromGroup(group); }
  long GetSelNumFromRhythm(const QString& group, const QString& rhythm) {
    return SelNumFromEntry(group, rhythm);
  }
  // The name and tempo of the rhythm that is its group's current one.
  bool GetNamesFromSelNum(long number, QString* name, long* tempo) const;
  QString GetRhythmName(long number) const { return EntryNameOf(number); }
  QString SelectRhythm(long number) { return SelectNumber(number); }
};

// The tree control over a CRhythmTree of its own.
class CRhythmTreeCtrl : public CCatalogTreeCtrl {
  Q_OBJECT

 public:
  explicit CRhythmTreeCtrl(QWidget* parent = nullptr) : CCatalogTreeCtrl(parent) {}
  // Copies `tree` and builds the items with `selection` chosen.
  void CreateTree(const CRhythmTree& tree, long selection) {
    tree_ = tree;
    Build(&tree_, selection);
  }
  CRhythmTree& tree() { return tree_; }

 private:
  CRhythmTree tree_;
};

}  // namespace sonavex::app
