#include "controls/catalog_tree_ctrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QIcon>

#include "shell/trace.h"

namespace sonavex::app {
namespace {

// Marks a selection the program makes, so the change handler stays silent.
class QuietScope {
 public:
  explicit QuietScope(bool* flag) : flag_(flag), was_(*flag) { *flag_ = true; }
  ~QuietScope() { *flag_ = was_; }

 private:
  bool* flag_;
  bool was_;
};

}  // namespace

CCatalogTreeCtrl::CCatalogTreeCtrl(QWidget* parent) : QTreeWidget(parent) {
  setColumnCount(1);
  header()->hide();
  setRootIsDecorated(true);
  setIconSize(QSize(12, 12));
  setSelectionMode(QAbstractItemView::SingleSelection);
  setUniformRowHeights(true);
  connect(this, &QTreeWidget::currentItemChanged, this,
          [this](QTreeWidgetItem* current, QTreeWidgetItem*) { OnCurrentChanged(current); });
  connect(this, &QTreeWidget::itemExpanded, this, &CCatalogTreeCtrl::OnExpanded);
}

int CCatalogTreeCtrl::KindOf(const QTreeWidgetItem* item) {
  return item->data(0, Qt::UserRole).toInt();
}

void CCatalogTreeCtrl::Build(CCatalogIndex* index, long selection) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  QuietScope quiet(&quiet_);
  index_ = index;
  clear();
  const QIcon group_icon(QStringLiteral(":/icons/group.svg"));
  const QIcon entry_icon(QStringLiteral(":/icons/entry.svg"));
  QTreeWidgetItem* chosen = nullptr;
  for (int g = 0; g < index->GroupCount(); ++g) {
    auto* group = new QTreeWidgetItem(this, QStringList(index->GroupName(g)));
    group->setIcon(0, group_icon);
    group->setData(0, Qt::UserRole, kGroupItem);
    for (int e = 0; e < index->EntryCount(g); ++e) {
      auto* entry = new QTreeWidgetItem(group, QStringList(index->EntryName(g, e)));
      entry->setIcon(0, entry_icon);
      entry->setData(0, Qt::UserRole, kEntryItem);
      if (chosen == nullptr && index->EntryNumber(g, e) == selection) {
        chosen = entry;
        index->SelectNumber(selection);
      }
    }
  }
  if (chosen != nullptr) {
    scrollToItem(chosen);
    setCurrentItem(chosen);
  }
  QApplication::restoreOverrideCursor();
}

QTreeWidgetItem* CCatalogTreeCtrl::FindGroupItem(const QString& group) const {
  for (int i = 0; i < topLevelItemCount(); ++i) {
    if (topLevelItem(i)->text(0) == group) return topLevelItem(i);
  }
  return nullptr;
}

QTreeWidgetItem* CCatalogTreeCtrl::FindChild(QTreeWidgetItem* group, const QString& name) {
  for (int i = 0; i < group->childCount(); ++i) {
    if (group->child(i)->text(0) == name) return group->child(i);
  }
  return nullptr;
}

bool CCatalogTreeCtrl::SelectNumber(long number) {
  if (index_ == nullptr) return false;
  const QString group_name = index_->SelectNumber(number);
  QTreeWidgetItem* group = FindGroupItem(group_name);
  QTreeWidgetItem* entry =
      group != nullptr ? FindChild(group, index_->EntryNameOf(number)) : nullptr;
  if (entry == nullptr) {
    TraceLog("CCatalogTreeCtrl::SelectNumber 該当する項目がありません[%ld]\n", number);
    return false;
  }
  QuietScope quiet(&quiet_);
  scrollToItem(entry);
  setCurrentItem(entry);
  return true;
}

void CCatalogTreeCtrl::OnCurrentChanged(QTreeWidgetItem* current) {
  if (quiet_ || current == nullptr || index_ == nullptr) return;
  long number = -1;
  if (KindOf(current) == kGroupItem) {
    number = index_->SelNumFromGroup(current->text(0));
  } else if (current->parent() != nullptr) {
    number = index_->SelNumFromEntry(current->parent()->text(0), current->text(0));
  }
  if (number < 0) {
    TraceLog("CCatalogTreeCtrl 選択番号の取得に失敗\n");
    return;
  }
  emit SelectionChosen(number);
}

void CCatalogTreeCtrl::OnExpanded(QTreeWidgetItem* item) {
  if (quiet_ || index_ == nullptr || item->parent() != nullptr || currentItem() != item) return;
  // After the view has finished its own handling of the key or click that
  // opened the group (a key would otherwise put the selection back).
  const QString group = item->text(0);
  QMetaObject::invokeMethod(
      this,
      [this, group] {
        QTreeWidgetItem* item = FindGroupItem(group);
        if (item == nullptr || currentItem() != item || !item->isExpanded()) return;
        const QString name = index_->EntryNameOf(index_->GroupCurrent(group));
        if (QTreeWidgetItem* child = FindChild(item, name)) setCurrentItem(child);
      },
      Qt::QueuedConnection);
}

}  // namespace sonavex::app
