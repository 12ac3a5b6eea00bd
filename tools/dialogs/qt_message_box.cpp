// The desktop face of platform::MessageBox: a Qt message box. Loaded by the
// platform layer only when a display is there, so the tools themselves never
// need Qt.
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <memory>

#include "platform/message_box.h"

namespace {

QString Lines(const char* text) {
  return QString::fromUtf8(text != nullptr ? text : "").replace("\r\n", "\n").replace('\r', '\n');
}

QMessageBox::Icon IconOf(unsigned type) {
  switch (type & 0xF0) {
    case platform::MB_ICONERROR:
      return QMessageBox::Critical;
    case platform::MB_ICONQUESTION:
      return QMessageBox::Question;
    case platform::MB_ICONWARNING:
      return QMessageBox::Warning;
    case platform::MB_ICONINFORMATION:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int SonavexDialogMessageBox(const char* text,
                                                                              const char* caption,
                                                                              unsigned type,
                                                                              const char* details) {
  // The tools have no application object of their own: one lives for the box.
  int argc = 1;
  char name[] = "sonavex";
  char* argv[] = {name, nullptr};
  std::unique_ptr<QApplication> application;
  if (QApplication::instance() == nullptr) application = std::make_unique<QApplication>(argc, argv);
  QMessageBox box(IconOf(type), Lines(caption), Lines(text));
  if ((type & 0x0F) == platform::MB_YESNO) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  if (details != nullptr && *details != '\0') box.setInformativeText(Lines(details));
  const int answer = box.exec();
  if (answer == QMessageBox::Yes) return platform::IDYES;
  if (answer == QMessageBox::No) return platform::IDNO;
  return (type & 0x0F) == platform::MB_YESNO ? platform::IDNO : platform::IDOK;
}
