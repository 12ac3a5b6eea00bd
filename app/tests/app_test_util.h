// Helpers of the application's Qt tests: a private configuration and runtime
// folder per test, start options that keep the module silent, and answering
// the modal dialog or message box that a flow is about to open.
#pragma once
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <functional>

#include "shell/sonavex_app.h"

namespace sonavex::app::testing {

// Points XDG_CONFIG_HOME and XDG_RUNTIME_DIR into a fresh temporary folder.
class PrivateFolders {
 public:
  PrivateFolders();
  QString path() const { return dir_.path(); }
  QString settings() const { return dir_.path() + QStringLiteral("/config/sonavex/Sonavex.ini"); }

 private:
  QTemporaryDir dir_;
};

StartOptions QuietOptions();

// Runs `answer` on the next modal widget whose class is `class_name` (any
// when empty), once it is shown; gives up after `timeout_ms`.
void AnswerModal(const char* class_name, std::function<void(QWidget*)> answer,
                 int timeout_ms = 60000);

// Clicks the message box button "first" (OK / Yes) or "second" (Cancel / No)
// and records the text shown.
void AnswerMessage(bool first, QString* shown = nullptr);

// Types `path` into the next file dialog and accepts it, again until the
// dialog closes (a busy machine may still be listing the folder).
void AnswerFileDialog(const QString& path);

// Clicks a dialog's button by object name.
void ClickButton(QWidget* dialog, const char* name);

}  // namespace sonavex::app::testing
