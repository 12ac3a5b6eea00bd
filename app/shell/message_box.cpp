#include "shell/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>

#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {
namespace {

constexpr int kMessageLimit = 768;

QMessageBox::Icon IconOf(QChar prefix) {
  switch (prefix.unicode()) {
    case 'I':
      return QMessageBox::Information;
    case 'E':
      return QMessageBox::Warning;
    case 'Q':
      return QMessageBox::Question;
    case 'S':
      return QMessageBox::Critical;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

QString CMessageBox::Caption() {
  return QStringLiteral("Sonavex");
}

int CMessageBox::ShowMessage(const QString& text, MessageButtons buttons) {
  if (text.size() < 2 || text.size() >= kMessageLimit || text[1] != QLatin1Char('\\') ||
      IconOf(text[0]) == QMessageBox::NoIcon) {
    TraceLog("ShowMessage 表示できないﾒｯｾｰｼﾞです");
    return kIdNone;
  }
  if (unattended_) {
    std::fprintf(stderr, "Sonavex message: %s\n", text.mid(2).toUtf8().constData());
    return buttons == MessageButtons::kOk         ? kIdOk
           : buttons == MessageButtons::kOkCancel ? kIdCancel
                                                  : kIdNo;
  }
  QMessageBox box(IconOf(text[0]), Caption(), text.mid(2), QMessageBox::NoButton, owner_);
  box.setObjectName(QStringLiteral("SonavexMessage"));
  QPushButton* first = nullptr;
  QPushButton* second = nullptr;
  switch (buttons) {
    case MessageButtons::kOk:
      first = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      break;
    case MessageButtons::kOkCancel:
      first = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
      second = box.addButton(QStringLiteral("キャンセル"), QMessageBox::RejectRole);
      break;
    case MessageButtons::kYesNo:
      first = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
      second = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
      break;
  }
  first->setObjectName(QStringLiteral("first"));
  if (second != nullptr) {
    second->setObjectName(QStringLiteral("second"));
    box.setEscapeButton(second);
  } else {
    box.setEscapeButton(first);
  }
  box.setDefaultButton(first);
  QApplication::beep();
  if (hook_) hook_(false);
  {
    CModalCounter::Scope modal(modals_);
    MoveWindowCenter(&box);
    box.exec();
  }
  if (hook_) hook_(true);
  const bool first_pressed = box.clickedButton() == first;
  switch (buttons) {
    case MessageButtons::kOk:
      return kIdOk;
    case MessageButtons::kOkCancel:
      return first_pressed ? kIdOk : kIdCancel;
    case MessageButtons::kYesNo:
      return first_pressed ? kIdYes : kIdNo;
  }
  return kIdNone;
}

}  // namespace sonavex::app
