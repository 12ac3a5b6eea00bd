#include "dialogs/dialog_parts.h"

#include <QIcon>
#include <QPushButton>

namespace sonavex::app {

QDialogButtonBox* OkCancelButtons(QDialog* dialog) {
  auto* buttons = new QDialogButtonBox(dialog);
  buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole)
      ->setObjectName(QStringLiteral("ok"));
  buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancel"));
  QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
  return buttons;
}

QRadioButton* IconRadio(const char* text, const char* name, const char* icon, QWidget* parent) {
  auto* radio = new QRadioButton(QString::fromUtf8(text), parent);
  radio->setObjectName(QString::fromUtf8(name));
  if (icon != nullptr) {
    radio->setIcon(QIcon(QString::fromUtf8(icon)));
    radio->setIconSize(QSize(24, 24));
  }
  return radio;
}

void FillBox(QComboBox* box, const CBgmList& list, long key) {
  box->clear();
  for (const auto& [name, data] : list.entries()) box->addItem(name, QVariant::fromValue(data));
  SelectData(box, key);
}

void FillBox(QListWidget* box, const CBgmList& list, long key) {
  box->clear();
  for (const auto& [name, data] : list.entries()) {
    auto* item = new QListWidgetItem(name, box);
    item->setData(Qt::UserRole, QVariant::fromValue(data));
  }
  SelectData(box, key);
}

bool SelectData(QComboBox* box, long key) {
  const int at = box->findData(QVariant::fromValue(key));
  box->setCurrentIndex(at);
  return at >= 0;
}

bool SelectData(QListWidget* box, long key) {
  for (int i = 0; i < box->count(); ++i) {
    if (box->item(i)->data(Qt::UserRole).toLongLong() == key) {
      box->setCurrentRow(i);
      return true;
    }
  }
  box->setCurrentRow(-1);
  return false;
}

long SelectedData(const QComboBox* box) {
  return box->currentIndex() < 0 ? -1 : static_cast<long>(box->currentData().toLongLong());
}

long SelectedData(const QListWidget* box) {
  const QListWidgetItem* item = box->currentItem();
  return item == nullptr || !item->isSelected()
             ? -1
             : static_cast<long>(item->data(Qt::UserRole).toLongLong());
}

}  // namespace sonavex::app
