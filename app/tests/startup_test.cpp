// The application driven through its real client against the real
// middleware and the in-process software module, under the offscreen
// platform: start-up, commands, notifications, the save-changes flow and the
// single-instance hand-over.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "app_test_util.h"
#include "client/control_tables.h"
#include "dialogs/choice_dialogs.h"
#include "screens/sng_wnd.h"
#include "shell/command_table.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

// Starts the application, cancelling the welcome choice.
CSonavexApp::Start StartCancellingWelcome(CSonavexApp* app) {
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "cancel"); });
  return app->InitInstance();
}

// Makes a song through the new-song command: the play-time dialog's OK.
void MakeSong(CSonavexApp* app) {
  AnswerModal("sonavex::app::CPlaytimeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  app->OnCommand(ID_FILE_NEW_PLAY);
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void startupWithWelcomeCancelled();
  void startupChoosingANewSong();
  void menuCommandWritesItsItem();
  void notificationSwitchesTheScreen();
  void saveChangesYesWithoutNameSavesAs();
  void saveChangesYesWithNameOverwrites();
  void saveChangesNoDiscards();
  void newSongLeavesThePreviousFile();
  void exitRefusedWhenSaveAsCancelled();
  void secondStartHandsItsFileOver();
  void damagedSettingsGiveDefaultsAndOneMessage();
  void unwritableSettingsAreToldOnce();
  void missingCommandLineFileKeepsRunning();
  void commandLineFileOfWrongKindKeepsRunning();
  void middlewareFailingToStartEndsCleanly();
};

void StartupTest::startupWithWelcomeCancelled() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  QVERIFY(app.started());
  QVERIFY(app.frame()->isVisible());
  QCOMPARE(app.edit_mode(), 0);
  QCOMPARE(app.content_kind(), 0);
  QVERIFY(app.view()->center()->inherits("sonavex::app::CSngeditDlg"));
  QCOMPARE(app.frame()->windowTitle(), QStringLiteral("SONAVEX - 名称未設定"));
  // The lists came from the middleware's catalogs.
  QVERIFY(!app.data().rhythm_tree().empty());
  QVERIFY(app.data().melodies().size() > 0);
  QCOMPARE(app.data().time_displays().size(), 7);
  QVERIFY(app.data().out_devices().size() > 0);
  // First run: no stored rectangle, so the window fits the form.
  QVERIFY(app.fit_window());
  // Without a song, saving is the middleware's choice; re-edit needs a song.
  app.frame()->RefreshCommandStates();
  bool alive = true;
  QVERIFY(app.mgr().GetMIDIAlive(ResID2MIDIID(ID_EDIT_UNDO, kMainMenuTable), &alive));
  QCOMPARE(app.frame()->action(ID_EDIT_UNDO)->isEnabled(), alive);
}

void StartupTest::startupChoosingANewSong() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  AnswerModal("sonavex::app::CPlaytimeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kRunning);
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(app.mgr().GetSongTimeLineData(&phrases));
  QVERIFY(phrases->nCount > 0);
  auto* line = app.view()->center()->findChild<CSngWnd*>();
  QVERIFY(line != nullptr);
  QCOMPARE(line->phrases().phrases().size(), static_cast<size_t>(phrases->nCount));
}

void StartupTest::menuCommandWritesItsItem() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  long method = -1;
  QVERIFY(app.mgr().GetMIDIValue(0x0503, &method));
  QCOMPARE(method, 0L);
  // The menu item's write makes the middleware change the synchronisation
  // method; the check marks follow the middleware, not the click.
  app.frame()->action(ID_SYNCHRO_TEMPO)->trigger();
  QVERIFY(app.mgr().GetMIDIValue(0x0503, &method));
  QCOMPARE(method, 1L);
  QVERIFY(app.frame()->action(ID_SYNCHRO_TEMPO)->isChecked());
  QVERIFY(!app.frame()->action(ID_SYNCHRO_POINT)->isChecked());
  app.frame()->action(ID_SYNCHRO_POINT)->trigger();
  QVERIFY(app.mgr().GetMIDIValue(0x0503, &method));
  QCOMPARE(method, 0L);
  QVERIFY(app.frame()->action(ID_SYNCHRO_POINT)->isChecked());
}

void StartupTest::notificationSwitchesTheScreen() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  QCOMPARE(app.edit_mode(), 0);
  // The editing mode changed behind the application's back: the middleware's
  // redraw notifications alone must bring the SMF-edit screen, and back.
  QVERIFY(app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 1));
  QTRY_COMPARE_WITH_TIMEOUT(app.edit_mode(), 1, 5000);
  QVERIFY(app.view()->center()->inherits("sonavex::app::CSmfeditDlg"));
  QCOMPARE(app.content_kind(), 1);
  QVERIFY(app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 0));
  QTRY_COMPARE_WITH_TIMEOUT(app.edit_mode(), 0, 5000);
  QVERIFY(app.view()->center()->inherits("sonavex::app::CSngeditDlg"));
  QCOMPARE(app.content_kind(), 0);
}

void StartupTest::saveChangesYesWithoutNameSavesAs() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  bool saved = true;
  QVERIFY(app.mgr().GetSaved(&saved));
  QVERIFY(!saved);
  const QString target = folders.path() + QStringLiteral("/first.bgm");
  QString question;
  AnswerMessage(true, &question);
  ScriptedChooser* files = AnswerFiles(&app, {target});
  QVERIFY(app.ChangeEditFile());
  QCOMPARE(files->requests().size(), 1);
  QVERIFY(files->requests()[0].saving);
  QCOMPARE(question, QStringLiteral("編集中のファイル[名称未設定]を保存しますか？"));
  QVERIFY(QFile::exists(target));
  QVERIFY(app.mgr().GetSaved(&saved));
  QVERIFY(saved);
  QCOMPARE(app.frame()->windowTitle(), QStringLiteral("SONAVEX - first.bgm"));
  QCOMPARE(app.settings().folder(Folder::kDefault), folders.path());
}

void StartupTest::saveChangesYesWithNameOverwrites() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  const QString target = folders.path() + QStringLiteral("/named.bgm");
  QVERIFY(app.mgr().SaveAsFile(target));
  QFile::remove(target);
  // An edit that the undo snapshot counts makes the song unsaved again.
  QVERIFY(app.mgr().SetMIDIValue(0x0506, 100));
  bool saved = true;
  QVERIFY(app.mgr().GetSaved(&saved));
  QVERIFY(!saved);
  QString question;
  AnswerMessage(true, &question);
  QVERIFY(app.ChangeEditFile());
  QCOMPARE(question, QStringLiteral("編集中のファイル[%1]を保存しますか？").arg(target));
  QVERIFY(QFile::exists(target));
}

void StartupTest::saveChangesNoDiscards() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  AnswerMessage(false);
  QVERIFY(app.ChangeEditFile());
  bool saved = true;
  QVERIFY(app.mgr().GetSaved(&saved));
  QVERIFY(!saved);
  QVERIFY(QDir(folders.path()).entryList({QStringLiteral("*.bgm")}).isEmpty());
}

void StartupTest::newSongLeavesThePreviousFile() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  const QString first = folders.path() + QStringLiteral("/first.bgm");
  QVERIFY(app.mgr().SaveAsFile(first));
  QFile before(first);
  QVERIFY(before.open(QIODevice::ReadOnly));
  const QByteArray first_bytes = before.readAll();
  before.close();
  // A new song is nobody's file yet: the title says so, and saving asks for
  // a name instead of overwriting the file of the song before.
  MakeSong(&app);
  QCOMPARE(app.frame()->windowTitle(), QStringLiteral("SONAVEX - 名称未設定"));
  const QString second = folders.path() + QStringLiteral("/second.bgm");
  ScriptedChooser* files = AnswerFiles(&app, {second});
  app.OnCommand(ID_FILE_BGM_SAVE);
  QCOMPARE(files->requests().size(), 1);
  QVERIFY(QFile::exists(second));
  QCOMPARE(app.frame()->windowTitle(), QStringLiteral("SONAVEX - second.bgm"));
  QVERIFY(before.open(QIODevice::ReadOnly));
  QCOMPARE(before.readAll(), first_bytes);
}

void StartupTest::exitRefusedWhenSaveAsCancelled() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartCancellingWelcome(&app), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  AnswerMessage(true);
  AnswerFiles(&app, {});  // the save dialog is cancelled
  QVERIFY(!app.frame()->close());
  QVERIFY(app.frame()->isVisible());
  // Choosing No closes, and the settings are written.
  QSignalSpy finished(&app, &CSonavexApp::Finished);
  AnswerMessage(false);
  QVERIFY(app.frame()->close());
  QVERIFY(finished.wait(2000));
  QVERIFY(QFile::exists(folders.settings()));
}

void StartupTest::secondStartHandsItsFileOver() {
  PrivateFolders folders;
  StartOptions options = QuietOptions();
  options.welcome = false;
  CSonavexApp app(options);
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kRunning);
  MakeSong(&app);
  const QString song = folders.path() + QStringLiteral("/handed.bgm");
  QVERIFY(app.mgr().SaveAsFile(song));

  QProcess second;
  second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
  second.start(QStringLiteral(SONAVEX_APP_BINARY), {QStringLiteral("--no-sound"), song});
  QVERIFY(second.waitForStarted());
  // The second process ends by itself once the first has the file.
  QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
  QCOMPARE(second.exitStatus(), QProcess::NormalExit);
  QCOMPARE(second.exitCode(), 0);
  QTRY_COMPARE_WITH_TIMEOUT(app.frame()->windowTitle(), QStringLiteral("SONAVEX - handed.bgm"),
                            5000);
  QCOMPARE(app.edit_mode(), 0);
}

void StartupTest::damagedSettingsGiveDefaultsAndOneMessage() {
  PrivateFolders folders;
  QDir().mkpath(QFileInfo(folders.settings()).absolutePath());
  {
    QFile file(folders.settings());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Parameter]\nScale=9\n[Window]\nPosLeft=abc\nWndState=2\n");
  }
  CSonavexApp app(QuietOptions());
  QString shown;
  AnswerMessage(true, &shown);
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "cancel"); });
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kRunning);
  QVERIFY(shown.contains(QStringLiteral("壊れている")));
  QCOMPARE(app.settings().scale, 1);
  QCOMPARE(app.settings().window_state, 0);
  QVERIFY(!app.frame()->isMaximized());
  // Closing writes good values back.
  QVERIFY(app.frame()->close());
  CAppSettings again(folders.settings(), QString());
  QCOMPARE(again.Load(), CAppSettings::Problem::kNone);
}

void StartupTest::unwritableSettingsAreToldOnce() {
  PrivateFolders folders;
  const QString dir = QFileInfo(folders.settings()).absolutePath();
  QDir().mkpath(dir);
  {
    QFile file(folders.settings());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Parameter]\nScale=2\n");
  }
  QFile::setPermissions(folders.settings(), QFile::ReadOwner);
  if (QFileInfo(folders.settings()).isWritable()) QSKIP("the file stays writable (root)");
  CSonavexApp app(QuietOptions());
  QString shown;
  AnswerMessage(true, &shown);
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "cancel"); });
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kRunning);
  QVERIFY(shown.contains(QStringLiteral("書き込めない")));
  QCOMPARE(app.settings().scale, 2);
  // No second message on exit.
  QVERIFY(app.frame()->close());
  QVERIFY(QApplication::activeModalWidget() == nullptr);
}

void StartupTest::missingCommandLineFileKeepsRunning() {
  PrivateFolders folders;
  StartOptions options = QuietOptions();
  options.file = folders.path() + QStringLiteral("/nothing-here.bgm");
  CSonavexApp app(options);
  QString shown;
  AnswerMessage(true, &shown);
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kRunning);
  QCOMPARE(shown, QStringLiteral("ファイルが読み込めませんでした"));
  QVERIFY(app.frame()->isVisible());
  QVERIFY(app.view()->center() != nullptr);
  QCOMPARE(app.edit_mode(), 0);
}

void StartupTest::commandLineFileOfWrongKindKeepsRunning() {
  PrivateFolders folders;
  StartOptions options = QuietOptions();
  options.file = folders.path() + QStringLiteral("/notes.txt");
  CSonavexApp app(options);
  QString shown;
  AnswerMessage(true, &shown);
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kRunning);
  QCOMPARE(shown, QStringLiteral("不正なﾌｧｲﾙが指定されました"));
  QVERIFY(app.frame()->isVisible());
  QVERIFY(app.view()->center() != nullptr);
}

void StartupTest::middlewareFailingToStartEndsCleanly() {
  PrivateFolders folders;
  StartOptions options = QuietOptions();
  options.link.start_module = false;
  CSonavexApp app(options);
  QString shown;
  AnswerMessage(true, &shown);
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kFailed);
  QCOMPARE(shown, QStringLiteral(
                      "SONAVEXが認識できません。接続を確認してから、再度アプリケーションを起動して"
                      "ください。"));
  QVERIFY(app.frame() == nullptr);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
