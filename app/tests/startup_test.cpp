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
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(s.app.started());
  QVERIFY(s.app.frame()->isVisible());
  QCOMPARE(s.app.edit_mode(), 0);
  QCOMPARE(s.app.content_kind(), 0);
  QVERIFY(s.app.view()->center()->inherits("sonavex::app::CSngeditDlg"));
  QCOMPARE(s.app.frame()->windowTitle(), QStringLiteral("SONAVEX - 名称未設定"));
  // The lists came from the middleware's catalogs.
  QVERIFY(!s.app.data().rhythm_tree().empty());
  QVERIFY(s.app.data().melodies().size() > 0);
  QCOMPARE(s.app.data().time_displays().size(), 7);
  QVERIFY(s.app.data().out_devices().size() > 0);
  // First run: no stored rectangle, so the window fits the form.
  QVERIFY(s.app.fit_window());
  // Without a song, saving is the middleware's choice; re-edit needs a song.
  s.app.frame()->RefreshCommandStates();
  bool alive = true;
  QVERIFY(s.app.mgr().GetMIDIAlive(ResID2MIDIID(ID_EDIT_UNDO, kMainMenuTable), &alive));
  QCOMPARE(s.app.frame()->action(ID_EDIT_UNDO)->isEnabled(), alive);
}

void StartupTest::startupChoosingANewSong() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(s.app.mgr().GetSongTimeLineData(&phrases));
  QVERIFY(phrases->nCount > 0);
  auto* line = s.app.view()->center()->findChild<CSngWnd*>();
  QVERIFY(line != nullptr);
  QCOMPARE(line->phrases().phrases().size(), static_cast<size_t>(phrases->nCount));
}

void StartupTest::menuCommandWritesItsItem() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  long method = -1;
  QVERIFY(s.app.mgr().GetMIDIValue(0x0503, &method));
  QCOMPARE(method, 0L);
  // The menu item's write makes the middleware change the synchronisation
  // method; the check marks follow the middleware, not the click.
  s.app.frame()->action(ID_SYNCHRO_TEMPO)->trigger();
  QVERIFY(s.app.mgr().GetMIDIValue(0x0503, &method));
  QCOMPARE(method, 1L);
  QVERIFY(s.app.frame()->action(ID_SYNCHRO_TEMPO)->isChecked());
  QVERIFY(!s.app.frame()->action(ID_SYNCHRO_POINT)->isChecked());
  s.app.frame()->action(ID_SYNCHRO_POINT)->trigger();
  QVERIFY(s.app.mgr().GetMIDIValue(0x0503, &method));
  QCOMPARE(method, 0L);
  QVERIFY(s.app.frame()->action(ID_SYNCHRO_POINT)->isChecked());
}

void StartupTest::notificationSwitchesTheScreen() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  QCOMPARE(s.app.edit_mode(), 0);
  // The editing mode changed behind the application's back: the middleware's
  // redraw notifications alone must bring the SMF-edit screen, and back.
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 1));
  QTRY_COMPARE_WITH_TIMEOUT(s.app.edit_mode(), 1, 5000);
  QVERIFY(s.app.view()->center()->inherits("sonavex::app::CSmfeditDlg"));
  QCOMPARE(s.app.content_kind(), 1);
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 0));
  QTRY_COMPARE_WITH_TIMEOUT(s.app.edit_mode(), 0, 5000);
  QVERIFY(s.app.view()->center()->inherits("sonavex::app::CSngeditDlg"));
  QCOMPARE(s.app.content_kind(), 0);
}

void StartupTest::saveChangesYesWithoutNameSavesAs() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  bool saved = true;
  QVERIFY(s.app.mgr().GetSaved(&saved));
  QVERIFY(!saved);
  const QString target = s.folders.path() + QStringLiteral("/first.bgm");
  QString question;
  AnswerMessage(true, &question);
  ScriptedChooser* files = AnswerFiles(&s.app, {target});
  QVERIFY(s.app.ChangeEditFile());
  QCOMPARE(files->requests().size(), 1);
  QVERIFY(files->requests()[0].saving);
  QCOMPARE(question, QStringLiteral("編集中のファイル[名称未設定]を保存しますか？"));
  QVERIFY(QFile::exists(target));
  QVERIFY(s.app.mgr().GetSaved(&saved));
  QVERIFY(saved);
  QCOMPARE(s.app.frame()->windowTitle(), QStringLiteral("SONAVEX - first.bgm"));
  QCOMPARE(s.app.settings().folder(Folder::kDefault), s.folders.path());
}

void StartupTest::saveChangesYesWithNameOverwrites() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  const QString target = s.folders.path() + QStringLiteral("/named.bgm");
  QVERIFY(s.app.mgr().SaveAsFile(target));
  QFile::remove(target);
  // An edit that the undo snapshot counts makes the song unsaved again.
  QVERIFY(s.app.mgr().SetMIDIValue(0x0506, 100));
  bool saved = true;
  QVERIFY(s.app.mgr().GetSaved(&saved));
  QVERIFY(!saved);
  QString question;
  AnswerMessage(true, &question);
  QVERIFY(s.app.ChangeEditFile());
  QCOMPARE(question, QStringLiteral("編集中のファイル[%1]を保存しますか？").arg(target));
  QVERIFY(QFile::exists(target));
}

void StartupTest::saveChangesNoDiscards() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  AnswerMessage(false);
  QVERIFY(s.app.ChangeEditFile());
  bool saved = true;
  QVERIFY(s.app.mgr().GetSaved(&saved));
  QVERIFY(!saved);
  QVERIFY(QDir(s.folders.path()).entryList({QStringLiteral("*.bgm")}).isEmpty());
}

void StartupTest::newSongLeavesThePreviousFile() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  const QString first = s.folders.path() + QStringLiteral("/first.bgm");
  QVERIFY(s.app.mgr().SaveAsFile(first));
  QFile before(first);
  QVERIFY(before.open(QIODevice::ReadOnly));
  const QByteArray first_bytes = before.readAll();
  before.close();
  // A new song is nobody's file yet: the title says so, and saving asks for
  // a name instead of overwriting the file of the song before.
  MakeSong(&s.app);
  QCOMPARE(s.app.frame()->windowTitle(), QStringLiteral("SONAVEX - 名称未設定"));
  const QString second = s.folders.path() + QStringLiteral("/second.bgm");
  ScriptedChooser* files = AnswerFiles(&s.app, {second});
  s.app.OnCommand(ID_FILE_BGM_SAVE);
  QCOMPARE(files->requests().size(), 1);
  QVERIFY(QFile::exists(second));
  QCOMPARE(s.app.frame()->windowTitle(), QStringLiteral("SONAVEX - second.bgm"));
  QVERIFY(before.open(QIODevice::ReadOnly));
  QCOMPARE(before.readAll(), first_bytes);
}

void StartupTest::exitRefusedWhenSaveAsCancelled() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  AnswerMessage(true);
  AnswerFiles(&s.app, {});  // the save dialog is cancelled
  QVERIFY(!s.app.frame()->close());
  QVERIFY(s.app.frame()->isVisible());
  // Choosing No closes, and the settings are written.
  QSignalSpy finished(&s.app, &CSonavexApp::Finished);
  AnswerMessage(false);
  QVERIFY(s.app.frame()->close());
  QVERIFY(finished.wait(2000));
  QVERIFY(QFile::exists(s.folders.settings()));
}

void StartupTest::secondStartHandsItsFileOver() {
  StartOptions options = QuietOptions();
  options.welcome = false;
  AppSession s(options);
  QCOMPARE(s.app.InitInstance(), CSonavexApp::Start::kRunning);
  MakeSong(&s.app);
  const QString song = s.folders.path() + QStringLiteral("/handed.bgm");
  QVERIFY(s.app.mgr().SaveAsFile(song));

  QProcess second;
  second.setProcessEnvironment(QProcessEnvironment::systemEnvironment());
  second.start(QStringLiteral(SONAVEX_APP_BINARY), {QStringLiteral("--no-sound"), song});
  QVERIFY(second.waitForStarted());
  // The second process ends by itself once the first has the file.
  QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 20000);
  QCOMPARE(second.exitStatus(), QProcess::NormalExit);
  QCOMPARE(second.exitCode(), 0);
  QTRY_COMPARE_WITH_TIMEOUT(s.app.frame()->windowTitle(), QStringLiteral("SONAVEX - handed.bgm"),
                            5000);
  QCOMPARE(s.app.edit_mode(), 0);
}

void StartupTest::damagedSettingsGiveDefaultsAndOneMessage() {
  AppSession s;
  QVERIFY(WriteSettings(s.folders, "[Parameter]\nScale=9\n[Window]\nPosLeft=abc\nWndState=2\n"));
  QString shown;
  AnswerMessage(true, &shown);
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(shown.contains(QStringLiteral("壊れている")));
  QCOMPARE(s.app.settings().scale, 1);
  QCOMPARE(s.app.settings().window_state, 0);
  QVERIFY(!s.app.frame()->isMaximized());
  // Closing writes good values back.
  QVERIFY(s.app.frame()->close());
  CAppSettings again(s.folders.settings(), QString());
  QCOMPARE(again.Load(), CAppSettings::Problem::kNone);
}

void StartupTest::unwritableSettingsAreToldOnce() {
  AppSession s;
  QVERIFY(WriteSettings(s.folders, "[Parameter]\nScale=2\n"));
  QFile::setPermissions(s.folders.settings(), QFile::ReadOwner);
  if (QFileInfo(s.folders.settings()).isWritable()) QSKIP("the file stays writable (root)");
  QString shown;
  AnswerMessage(true, &shown);
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(shown.contains(QStringLiteral("書き込めない")));
  QCOMPARE(s.app.settings().scale, 2);
  // No second message on exit.
  QVERIFY(s.app.frame()->close());
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
  StartOptions options = QuietOptions();
  options.link.start_module = false;
  AppSession s(options);
  QString shown;
  AnswerMessage(true, &shown);
  QCOMPARE(s.app.InitInstance(), CSonavexApp::Start::kFailed);
  QCOMPARE(shown, QStringLiteral(
                      "SONAVEXが認識できません。接続を確認してから、再度アプリケーションを起動して"
                      "ください。"));
  QVERIFY(s.app.frame() == nullptr);
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
