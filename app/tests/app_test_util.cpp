#include "app_test_util.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <memory>

#include "controls/bgm_spin.h"
#include "platform/clock.h"

namespace sonavex::app::testing {

PrivateFolders::PrivateFolders() {
  // Through Qt's environment lock: QtTest's watchdog thread reads the
  // environment as each test function starts, and a plain setenv racing it
  // can move the environment under its feet.
  qputenv("XDG_CONFIG_HOME", (dir_.path() + QStringLiteral("/config")).toLocal8Bit());
  qputenv("XDG_RUNTIME_DIR", dir_.path().toLocal8Bit());
  qputenv("HOME", dir_.path().toLocal8Bit());
}

StartOptions QuietOptions() {
  StartOptions o;
  o.link.module_sound = false;
  o.link.live_audio = false;
  return o;
}

bool WriteSettings(const PrivateFolders& folders, const QByteArray& ini) {
  QDir().mkpath(QFileInfo(folders.settings()).absolutePath());
  QFile file(folders.settings());
  return file.open(QIODevice::WriteOnly) && file.write(ini) == ini.size();
}

AppSession::AppSession(const StartOptions& options, Clock clock_kind)
    : clock(clock_kind == Clock::kVirtual ? std::make_unique<VirtualClockPump>() : nullptr),
      app(options) {}

CSonavexApp::Start StartWithoutWelcome(CSonavexApp* app) {
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "cancel"); });
  return app->InitInstance();
}

CSonavexApp::Start StartWithSong(CSonavexApp* app) {
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  AnswerModal("sonavex::app::CPlaytimeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  return app->InitInstance();
}

long MiddleValue(CSonavexApp* app, ControlId id) {
  long value = -1;
  app->mgr().GetMIDIValue(id, &value);
  return value;
}

VirtualClockPump::VirtualClockPump(unsigned step_ms) {
  platform::UseVirtualClock();
  // The GUI thread is one of the clock's participants: virtual time moves
  // only while it waits on the clock, which it does here between events.
  QObject::connect(&timer_, &QTimer::timeout, [step_ms] { platform::Sleep(step_ms); });
  timer_.start(0);
}

VirtualClockPump::~VirtualClockPump() {
  timer_.stop();
  platform::UseRealClock();
}

void AnswerModal(const char* class_name, std::function<void(QWidget*)> answer, int timeout_ms) {
  auto* timer = new QTimer;
  auto waited = std::make_shared<int>(0);
  const QString wanted = QString::fromUtf8(class_name);
  QObject::connect(timer, &QTimer::timeout, [timer, waited, wanted, answer, timeout_ms] {
    *waited += 20;
    QWidget* modal = QApplication::activeModalWidget();
    const bool fits = modal != nullptr && modal->isVisible() &&
                      (wanted.isEmpty() || modal->inherits(wanted.toUtf8().constData()));
    if (!fits && *waited < timeout_ms) return;
    timer->stop();
    timer->deleteLater();
    if (fits) answer(modal);
  });
  timer->start(20);
}

void AnswerMessage(bool first, QString* shown) {
  AnswerModal("QMessageBox", [first, shown](QWidget* w) {
    auto* box = static_cast<QMessageBox*>(w);
    if (shown != nullptr) *shown = box->text();
    ClickButton(box, first ? "first" : "second");
  });
}

QString ScriptedChooser::Choose(const FileRequest& request) {
  requests_.append(request);
  if (look_) look_();
  return answers_.isEmpty() ? QString() : answers_.takeFirst();
}

ScriptedChooser* AnswerFiles(CSonavexApp* app, const QStringList& answers) {
  auto chooser = std::make_unique<ScriptedChooser>(answers);
  ScriptedChooser* raw = chooser.get();
  app->SetFileChooser(std::move(chooser));
  return raw;
}

AnswerEveryMessage::AnswerEveryMessage() : timer_(new QTimer) {
  QObject::connect(timer_, &QTimer::timeout, [this] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    shown_ << box->text();
    ClickButton(box, "first");
  });
  timer_->start(20);
}

AnswerEveryMessage::~AnswerEveryMessage() {
  delete timer_;
}

QStringList EnterPlaytimeTimes(QWidget* dialog, const QString& start, const QString& end) {
  AnswerEveryMessage answers;
  for (const auto& [name, text] : {std::pair{"start", start}, std::pair{"end", end}}) {
    auto* spin = dialog->findChild<CBgmSpin*>(QString::fromUtf8(name));
    if (spin == nullptr) continue;
    spin->edit()->setText(text);
    QTest::keyClick(spin->edit(), Qt::Key_Return);
  }
  return answers.shown();
}

void AnswerPlaytimeDialog(const QString& start, const QString& end) {
  AnswerModal("sonavex::app::CPlaytimeDlg", [start, end](QWidget* w) {
    EnterPlaytimeTimes(w, start, end);
    AnswerEveryMessage answers;
    ClickButton(w, "ok");
  });
}

void ClickButton(QWidget* dialog, const char* name) {
  auto* button = dialog->findChild<QAbstractButton*>(QString::fromUtf8(name));
  if (button != nullptr) button->click();
}

OpenedUrls::OpenedUrls() {
  QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "Open");
}

OpenedUrls::~OpenedUrls() {
  QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
}

void PressHelpKey(QWidget* dialog) {
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus != nullptr && focus->window() == dialog ? focus : dialog, Qt::Key_F1);
}

namespace {
constexpr char kInHostCopy[] = "SONAVEX_TEST_IN_HOST_COPY";
}  // namespace

bool InHostCopy() {
  return qEnvironmentVariableIsSet(kInHostCopy);
}

int RunInDamagedHostCopy(const char* test_function, const QStringList& damage, QString* output) {
  QTemporaryDir copy;
  const QString program = QCoreApplication::applicationFilePath();
  const QDir from(QCoreApplication::applicationDirPath());
  // The program itself is copied (the middleware finds its content beside
  // the program's real file); other content is linked; the damaged files
  // are new; earlier work folders and the other test programs stay behind.
  for (const QFileInfo& entry : from.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
    const QString name = entry.fileName();
    const QString to = copy.filePath(name);
    bool ok = true;
    if (entry.absoluteFilePath() == program) {
      ok = QFile::copy(program, to);
    } else if (damage.contains(name)) {
      QFile cut(to);
      ok = cut.open(QIODevice::WriteOnly) && cut.write("MThd cut short") > 0;
    } else if (!name.startsWith(QStringLiteral("work")) &&
               !name.startsWith(QStringLiteral("app_"))) {
      ok = QFile::link(entry.absoluteFilePath(), to);
    }
    if (!ok) {
      *output = QStringLiteral("could not copy %1").arg(name);
      return -1;
    }
  }
  QProcess child;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QString::fromLatin1(kInHostCopy), QStringLiteral("1"));
  child.setProcessEnvironment(env);
  child.setProcessChannelMode(QProcess::MergedChannels);
  child.start(copy.filePath(QFileInfo(program).fileName()), {QString::fromUtf8(test_function)});
  const bool ended = child.waitForFinished(100000);
  // The child's verdict lines, which a failed check here shows.
  QStringList verdict;
  for (const QString& line : QString::fromUtf8(child.readAll()).split(QLatin1Char('\n'))) {
    if (line.contains(QStringLiteral("FAIL!")) || line.contains(QStringLiteral("Loc:")) ||
        line.startsWith(QStringLiteral("QFATAL")))
      verdict << line;
  }
  *output = verdict.join(QLatin1Char('\n'));
  if (!ended) {
    child.kill();
    child.waitForFinished();
    return -1;
  }
  return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

}  // namespace sonavex::app::testing
