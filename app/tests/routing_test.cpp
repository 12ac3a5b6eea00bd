// Notification routing, screen switching, key forwarding and the file
// commands, driven through the real client against the real middleware.
#include <QAction>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QMessageBox>
#include <QTest>

#include "app_test_util.h"
#include "screens/sng_wnd.h"
#include "shell/command_table.h"
#include "shell/help.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

CSonavexApp::Start StartWithSong(CSonavexApp* app) {
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  AnswerModal("sonavex::app::CPlaytimeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  return app->InitInstance();
}

CSngWnd* SongLine(CSonavexApp* app) {
  return app->view()->center()->findChild<CSngWnd*>();
}

int SelectedPhrase(CSonavexApp* app) {
  for (const CPhrase& p : SongLine(app)->phrases().phrases()) {
    if (p.selected) return p.number;
  }
  return -1;
}

}  // namespace

class RoutingTest : public QObject {
  Q_OBJECT

 private slots:
  void notificationsForClosedOrForeignScreensChangeNothing();
  void redrawOfEitherTimeLineRedrawsTheCurrentOne();
  void pointerNotificationSelectsThePhrase();
  void contentModeShowsTheSmfScreen();
  void functionKeysReachTheMiddleware();
  void openCommandRefusesWrongKindsThenOpens();
  void storedWindowPlacementIsUsed();
  void helpPagesAreThere();
};

void RoutingTest::notificationsForClosedOrForeignScreensChangeNothing() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartWithSong(&app), CSonavexApp::Start::kRunning);
  QWidget* center = app.view()->center();
  const QString title = app.frame()->windowTitle();
  // A play-time value while its dialog is closed, a menu value, an unknown
  // command kind, an SMF part value in song mode.
  app.OnMiddle(0x0301, 0);
  app.OnMiddle(0x4305, 0);
  app.OnMiddle(0x0301, 6);
  app.OnMiddle(0x4104, 0);
  app.OnMiddle(0x0301, 4);
  QCOMPARE(app.view()->center(), center);
  QCOMPARE(app.edit_mode(), 0);
  QCOMPARE(app.frame()->windowTitle(), title);
  // A range notification rebuilds the choice lists from the middleware.
  const int melodies = app.data().melodies().size();
  app.OnMiddle(0x0303, 1);
  QCOMPARE(app.data().melodies().size(), melodies);
}

void RoutingTest::redrawOfEitherTimeLineRedrawsTheCurrentOne() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartWithSong(&app), CSonavexApp::Start::kRunning);
  const QM3PhraseList* list = nullptr;
  QVERIFY(app.mgr().GetSongTimeLineData(&list));
  const size_t phrases = static_cast<size_t>(list->nCount);
  QVERIFY(phrases > 0);
  app.OnMiddle(0x4143, 3);  // the SMF part area's redraw, in song mode
  QCOMPARE(SongLine(&app)->phrases().phrases().size(), phrases);
  app.OnMiddle(0x400B, 3);
  QCOMPARE(SongLine(&app)->phrases().phrases().size(), phrases);
}

void RoutingTest::pointerNotificationSelectsThePhrase() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartWithSong(&app), CSonavexApp::Start::kRunning);
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(app.mgr().GetSongTimeLineData(&phrases));
  QVERIFY(phrases->nCount >= 3);
  // The pointer into the third phrase; the middleware posts the new
  // selection and the pointer, and the screen follows.
  long tick = 384;  // music starts after the count-in measure
  for (int i = 0; i < 2; ++i) tick += phrases->pPhrases[i].nLength * 96;
  QVERIFY(app.mgr().SetPointerPos(tick + 1));
  QTRY_COMPARE_WITH_TIMEOUT(SelectedPhrase(&app), 2, 3000);
  int selected = -1;
  QVERIFY(app.mgr().GetSelectPhrase(&selected));
  QCOMPARE(selected, 2);
}

void RoutingTest::contentModeShowsTheSmfScreen() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartWithSong(&app), CSonavexApp::Start::kRunning);
  QVERIFY(app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 2));
  app.ChangeScreen();
  QCOMPARE(app.edit_mode(), 1);
  QCOMPARE(app.content_kind(), 2);
  QVERIFY(app.view()->center()->inherits("sonavex::app::CSmfeditDlg"));
  QVERIFY(app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 0));
  app.ChangeScreen();
  QCOMPARE(app.edit_mode(), 0);
  QCOMPARE(app.content_kind(), 0);
}

void RoutingTest::functionKeysReachTheMiddleware() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartWithSong(&app), CSonavexApp::Start::kRunning);
  app.frame()->activateWindow();
  QWidget* list = SongLine(&app)->viewport();
  list->setFocus();
  bool playing = true;
  QVERIFY(app.mgr().IsPlayingNow(&playing));
  QVERIFY(!playing);
  QTest::keyClick(list, Qt::Key_F12);
  QTRY_VERIFY_WITH_TIMEOUT(app.mgr().IsPlayingNow(&playing) && playing, 5000);
  QTest::qWait(150);  // the same key again within 100 ms counts as auto-repeat
  QTest::keyClick(list, Qt::Key_F11);
  QTRY_VERIFY_WITH_TIMEOUT(app.mgr().IsPlayingNow(&playing) && !playing, 5000);
}

void RoutingTest::openCommandRefusesWrongKindsThenOpens() {
  PrivateFolders folders;
  CSonavexApp app(QuietOptions());
  QCOMPARE(StartWithSong(&app), CSonavexApp::Start::kRunning);
  const QString song = folders.path() + QStringLiteral("/kept.bgm");
  QVERIFY(app.mgr().SaveAsFile(song));
  const QString wav = folders.path() + QStringLiteral("/sound.wav");
  {
    QFile file(wav);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
  }
  // A .wav is refused with the message and the dialog comes back; the song
  // chosen then opens.
  QString refused;
  ScriptedChooser* files = AnswerFiles(&app, {wav, song});
  AnswerMessage(true, &refused);
  app.OnCommand(ID_FILE_BGM_OPEN);
  QCOMPARE(refused, QStringLiteral("不正なﾌｧｲﾙが指定されました"));
  // Asked twice, the second time starting at the refused file.
  QCOMPARE(files->requests().size(), 2);
  QVERIFY(!files->requests()[0].saving);
  QCOMPARE(files->requests()[1].start, wav);
  QCOMPARE(app.frame()->windowTitle(), QStringLiteral("SONAVEX - kept.bgm"));
  QCOMPARE(app.edit_mode(), 0);
  QCOMPARE(app.settings().recent_files.value(0), song);
  QCOMPARE(app.settings().folder(Folder::kDefault), folders.path());
  QCOMPARE(app.settings().folder(Folder::kSong), folders.path());
}

void RoutingTest::storedWindowPlacementIsUsed() {
  PrivateFolders folders;
  QDir().mkpath(QFileInfo(folders.settings()).absolutePath());
  {
    QFile file(folders.settings());
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Window]\nPosLeft=40\nPosTop=30\nPosRight=840\nPosBottom=630\nWndState=0\n");
  }
  CSonavexApp app(QuietOptions());
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "cancel"); });
  QCOMPARE(app.InitInstance(), CSonavexApp::Start::kRunning);
  QVERIFY(!app.fit_window());
  QCOMPARE(app.frame()->geometry().size(), QSize(800, 600));
}

void RoutingTest::helpPagesAreThere() {
  for (HelpPage page : {HelpPage::kContents, HelpPage::kIndex, HelpPage::kUsage}) {
    const QString file = HelpFile(page);
    QVERIFY2(!file.isEmpty(), "help page missing beside the program");
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    // Every page links back to the contents.
    QVERIFY(text.contains(QStringLiteral("href=\"index.html\"")));
  }
}

QTEST_MAIN(RoutingTest)
#include "routing_test.moc"
