#include "controls/bgm_list.h"

#include <QComboBox>
#include <QListWidget>
#include <QSignalBlocker>

namespace sonavex::app {

const CBgmList::Entry* CBgmList::Find(long key) const {
  for (const Entry& entry : entries_) {
    if (entry.second == key) return &entry;
  }
  return nullptr;
}

void CBgmList::AddControl(QComboBox* box, long key) const {
  const QSignalBlocker quiet(box);
  box->clear();
  for (const auto& [name, data] : entries_) box->addItem(name, QVariant::fromValue(data));
  box->setCurrentIndex(-1);
  Select(box, key);
}

void CBgmList::AddControl(QListWidget* box, long key) const {
  const QSignalBlocker quiet(box);
  box->clear();
  for (const auto& [name, data] : entries_) {
    auto* item = new QListWidgetItem(name, box);
    item->setData(Qt::UserRole, QVariant::fromValue(data));
  }
  box->setCurrentRow(-1);
  Select(box, key);
}

bool CBgmList::Select(QComboBox* box, long key) const {
  const Entry* entry = Find(key);
  if (entry == nullptr) return false;
  box->setCurrentIndex(box->findText(entry->first, Qt::MatchStartsWith));
  return true;
}

bool CBgmList::Select(QListWidget* box, long key) const {
  const Entry* entry = Find(key);
  if (entry == nullptr) return false;
  for (int row = 0; row < box->count(); ++row) {
    if (box->item(row)->text().startsWith(entry->first, Qt::CaseInsensitive)) {
      box->setCurrentRow(row);
      return true;
    }
  }
  box->setCurrentRow(-1);
  return true;
}

long CBgmList::GetSelectComboData(const QComboBox* box) {
  const int index = box->currentIndex();
  if (index < 0) return -1;
  return static_cast<long>(box->itemData(index).toLongLong());
}

}  // namespace sonavex::app
