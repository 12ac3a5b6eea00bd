// CCatalogTreeCtrl: a tree control over a two-level catalogue. Groups are
// root items (item data 0), entries their children (item data 1). When the
// user moves the selection (keys or mouse), the control tells the chosen
// selection number: a group stands for the entry last chosen in it. Opening
// a group that is itself selected moves the selection onto that group's
// current entry. Selections the program makes are not told.
//
// Keys are the tree's own: Up/Down move, Right opens a group or enters it,
// Left closes it or goes to the group, Home/End, Page Up/Page Down.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QTreeWidget>

#include "controls/catalog_tree.h"

namespace sonavex::app {

class CCatalogTreeCtrl : public QTreeWidget {
  Q_OBJECT

 public:
  enum ItemKind : int { kGroupItem = 0, kEntryItem = 1 };

  explicit CCatalogTreeCtrl(QWidget* parent = nullptr);

  // Selects the entry numbered `number` (its group's current one from now
  // on) without telling; false when no item shows it.
  bool SelectNumber(long number);
  // The item's kind (item data of column 0).
  static int KindOf(const QTreeWidgetItem* item);

 signals:
  // The user chose `number` (an entry, or a group's current entry).
  void SelectionChosen(long number);

 protected:
  // Rebuilds every item from `index` (owned by the subclass) with the entry
  // numbered `selection` selected and current in its group.
  void Build(CCatalogIndex* index, long selection);

 private:
  void OnCurrentChanged(QTreeWidgetItem* current);
  void OnExpanded(QTreeWidgetItem* item);
  QTreeWidgetItem* FindGroupItem(const QString& group) const;
  static QTreeWidgetItem* FindChild(QTreeWidgetItem* group, const QString& name);

  CCatalogIndex* index_ = nullptr;
  bool quiet_ = false;  // selection made by the program: not told
};

}  // namespace sonavex::app
