// Helpers of the application's Qt tests: a private configuration and runtime
// folder per test, start options that keep the module silent, and answering
// the modal dialog, message box or file request that a flow is about to
// open.
#pragma once
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

#include "client/control_tables.h"
#include "shell/file_chooser.h"
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

// Writes `ini` as the settings file the application will read at start.
bool WriteSettings(const PrivateFolders& folders, const QByteArray& ini);

// The middleware's clock as virtual time for the life of this object, moved
// on by `step_ms` each time the GUI thread's event loop comes round, so a
// song plays (and converts) far faster than real time. Make it before the
// application and let it end after it.
class VirtualClockPump {
 public:
  explicit VirtualClockPump(unsigned step_ms = 50);
  ~VirtualClockPump();

 private:
  QTimer timer_;
};

// One test's application: its private folders first, then (when asked) the
// virtual clock, then the application itself; ended in the reverse order.
//   AppSession s;                       // quiet module, real clock
//   QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
struct AppSession {
  enum class Clock { kReal, kVirtual };
  explicit AppSession(const StartOptions& options = QuietOptions(), Clock clock = Clock::kReal);
  explicit AppSession(Clock clock) : AppSession(QuietOptions(), clock) {}

  PrivateFolders folders;
  std::unique_ptr<VirtualClockPump> clock;
  CSonavexApp app;
};

// Starts `app` with the welcome choice cancelled: no song.
CSonavexApp::Start StartWithoutWelcome(CSonavexApp* app);

// Starts `app` choosing a new song at the welcome and taking the play-time
// dialog's values as they open.
CSonavexApp::Start StartWithSong(CSonavexApp* app);

// The middleware's value of `id` (-1 when it has none).
long MiddleValue(CSonavexApp* app, ControlId id);

// A child widget of `parent` by object name.
template <typename T>
T* Child(QWidget* parent, const char* name) {
  return parent->findChild<T*>(QString::fromUtf8(name));
}

// Runs `answer` on the next modal widget whose class is `class_name` (any
// when empty), once it is shown; gives up after `timeout_ms`.
void AnswerModal(const char* class_name, std::function<void(QWidget*)> answer,
                 int timeout_ms = 60000);

// Clicks the message box button "first" (OK / Yes) or "second" (Cancel / No)
// and records the text shown.
void AnswerMessage(bool first, QString* shown = nullptr);

// Answers the application's file requests from a list, in order; an empty
// answer, or none left, cancels. Keeps every request it was asked.
class ScriptedChooser : public FileChooser {
 public:
  explicit ScriptedChooser(QStringList answers) : answers_(std::move(answers)) {}
  QString Choose(const FileRequest& request) override;
  const QList<FileRequest>& requests() const { return requests_; }
  // Runs `look` as each request comes, before it is answered.
  void OnRequest(std::function<void()> look) { look_ = std::move(look); }

 private:
  std::function<void()> look_;
  QStringList answers_;
  QList<FileRequest> requests_;
};

// Puts a ScriptedChooser of `answers` into `app`; the app owns it.
ScriptedChooser* AnswerFiles(CSonavexApp* app, const QStringList& answers);

// Clicks a dialog's button by object name.
void ClickButton(QWidget* dialog, const char* name);

// While it lives, every message box that opens is answered with its first
// button (OK / Yes); the texts shown are kept.
class AnswerEveryMessage {
 public:
  AnswerEveryMessage();
  ~AnswerEveryMessage();
  const QStringList& shown() const { return shown_; }

 private:
  QTimer* timer_;
  QStringList shown_;
};

// Types `start` and `end` (time texts, e.g. "0:00:47:00") into an open
// play-time dialog's time fields, each committed with Enter, answering the
// middleware's fit notes; returns the notes shown.
QStringList EnterPlaytimeTimes(QWidget* dialog, const QString& start, const QString& end);

// Answers the next play-time dialog: the times are entered, then "ｿﾝｸﾞ作成".
// With the application's new-song command this makes a song of that span:
//   AnswerPlaytimeDialog("0:00:00:00", "0:00:47:00");
//   app.OnCommand(ID_FILE_NEW_PLAY);
void AnswerPlaytimeDialog(const QString& start, const QString& end);

// While it lives, the addresses the application asks the browser to open
// (the help pages) are kept here instead.
class OpenedUrls : public QObject {
  Q_OBJECT

 public:
  OpenedUrls();
  ~OpenedUrls() override;
  const QList<QUrl>& urls() const { return urls_; }

 public slots:
  void Open(const QUrl& url) { urls_ << url; }

 private:
  QList<QUrl> urls_;
};

// Presses F1 on whatever has the keyboard in `dialog` (else the dialog).
void PressHelpKey(QWidget* dialog);

// The middleware reads its content beside the running program, and the
// shared build folder must stay intact: a test that needs damaged content
// runs itself again, in a child process, from a private copy of the program
// folder in which the files named in `damage` are cut short. The child runs
// only `test_function`, and there InHostCopy() is true. Returns the child's
// exit code (0: its checks passed) with its failed checks in `output`.
//   if (!InHostCopy()) {
//     QCOMPARE(RunInDamagedHostCopy("thisTest", {"I_src_mid.dat"}, &out), 0);
//     return;
//   }
int RunInDamagedHostCopy(const char* test_function, const QStringList& damage, QString* output);
bool InHostCopy();

}  // namespace sonavex::app::testing
