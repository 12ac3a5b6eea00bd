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

QLabel* ShadowLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setAutoFillBackground(true);
  QPalette palette = label->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Dark));
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Light));
  label->setPalette(palette);
  label->setContentsMargins(4, 2, 4, 2);
  return label;
}

QLabel* HelpKeyLine(QDialog* dialog, HelpPage page) {
  AddHelpKey(dialog, page);
  return new QLabel(QStringLiteral("ﾍﾙﾌﾟを表示するには [F1] を押してください。"), dialog);
}

}  // namespace sonavex::app
