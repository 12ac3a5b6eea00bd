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
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  QWidget* center = s.app.view()->center();
  const QString title = s.app.frame()->windowTitle();
  // A play-time value while its dialog is closed, a menu value, an unknown
  // command kind, an SMF part value in song mode.
  s.app.OnMiddle(0x0301, 0);
  s.app.OnMiddle(0x4305, 0);
  s.app.OnMiddle(0x0301, 6);
  s.app.OnMiddle(0x4104, 0);
  s.app.OnMiddle(0x0301, 4);
  QCOMPARE(s.app.view()->center(), center);
  QCOMPARE(s.app.edit_mode(), 0);
  QCOMPARE(s.app.frame()->windowTitle(), title);
  // A range notification rebuilds the choice lists from the middleware.
  const int melodies = s.app.data().melodies().size();
  s.app.OnMiddle(0x0303, 1);
  QCOMPARE(s.app.data().melodies().size(), melodies);
}

void RoutingTest::redrawOfEitherTimeLineRedrawsTheCurrentOne() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  const QM3PhraseList* list = nullptr;
  QVERIFY(s.app.mgr().GetSongTimeLineData(&list));
  const size_t phrases = static_cast<size_t>(list->nCount);
  QVERIFY(phrases > 0);
  s.app.OnMiddle(0x4143, 3);  // the SMF part area's redraw, in song mode
  QCOMPARE(SongLine(&s.app)->phrases().phrases().size(), phrases);
  s.app.OnMiddle(0x400B, 3);
  QCOMPARE(SongLine(&s.app)->phrases().phrases().size(), phrases);
}

void RoutingTest::pointerNotificationSelectsThePhrase() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(s.app.mgr().GetSongTimeLineData(&phrases));
  QVERIFY(phrases->nCount >= 3);
  // The pointer into the third phrase; the middleware posts the new
  // selection and the pointer, and the screen follows.
  long tick = 384;  // music starts after the count-in measure
  for (int i = 0; i < 2; ++i) tick += phrases->pPhrases[i].nLength * 96;
  QVERIFY(s.app.mgr().SetPointerPos(tick + 1));
  QTRY_COMPARE_WITH_TIMEOUT(SelectedPhrase(&s.app), 2, 3000);
  int selected = -1;
  QVERIFY(s.app.mgr().GetSelectPhrase(&selected));
  QCOMPARE(selected, 2);
}

void RoutingTest::contentModeShowsTheSmfScreen() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 2));
  s.app.ChangeScreen();
  QCOMPARE(s.app.edit_mode(), 1);
  QCOMPARE(s.app.content_kind(), 2);
  QVERIFY(s.app.view()->center()->inherits("sonavex::app::CSmfeditDlg"));
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 0));
  s.app.ChangeScreen();
  QCOMPARE(s.app.edit_mode(), 0);
  QCOMPARE(s.app.content_kind(), 0);
}

void RoutingTest::functionKeysReachTheMiddleware() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  s.app.frame()->activateWindow();
  QWidget* list = SongLine(&s.app)->viewport();
  list->setFocus();
  bool playing = true;
  QVERIFY(s.app.mgr().IsPlayingNow(&playing));
  QVERIFY(!playing);
  QTest::keyClick(list, Qt::Key_F12);
  QTRY_VERIFY_WITH_TIMEOUT(s.app.mgr().IsPlayingNow(&playing) && playing, 5000);
  QTest::qWait(150);  // the same key again within 100 ms counts as auto-repeat
  QTest::keyClick(list, Qt::Key_F11);
  QTRY_VERIFY_WITH_TIMEOUT(s.app.mgr().IsPlayingNow(&playing) && !playing, 5000);
}

void RoutingTest::openCommandRefusesWrongKindsThenOpens() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  const QString song = s.folders.path() + QStringLiteral("/kept.bgm");
  QVERIFY(s.app.mgr().SaveAsFile(song));
  const QString wav = s.folders.path() + QStringLiteral("/sound.wav");
  {
    QFile file(wav);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
  }
  // A .wav is refused with the message and the dialog comes back; the song
  // chosen then opens.
  QString refused;
  ScriptedChooser* files = AnswerFiles(&s.app, {wav, song});
  AnswerMessage(true, &refused);
  s.app.OnCommand(ID_FILE_BGM_OPEN);
  QCOMPARE(refused, QStringLiteral("不正なﾌｧｲﾙが指定されました"));
  // Asked twice, the second time starting at the refused file.
  QCOMPARE(files->requests().size(), 2);
  QVERIFY(!files->requests()[0].saving);
  QCOMPARE(files->requests()[1].start, wav);
  QCOMPARE(s.app.frame()->windowTitle(), QStringLiteral("SONAVEX - kept.bgm"));
  QCOMPARE(s.app.edit_mode(), 0);
  QCOMPARE(s.app.settings().recent_files.value(0), song);
  QCOMPARE(s.app.settings().folder(Folder::kDefault), s.folders.path());
  QCOMPARE(s.app.settings().folder(Folder::kSong), s.folders.path());
}

void RoutingTest::storedWindowPlacementIsUsed() {
  AppSession s;
  QVERIFY(WriteSettings(
      s.folders, "[Window]\nPosLeft=40\nPosTop=30\nPosRight=840\nPosBottom=630\nWndState=0\n"));
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(!s.app.fit_window());
  QCOMPARE(s.app.frame()->geometry().size(), QSize(800, 600));
}

void RoutingTest::helpPagesAreThere() {
  for (HelpPage page : {HelpPage::kContents, HelpPage::kIndex, HelpPage::kUsage,
                        HelpPage::kPlaytimeSong, HelpPage::kRealtimeSong}) {
    const QString file = HelpFile(page);
    QVERIFY2(!file.isEmpty(), "help page missing beside the program");
    QFile f(file);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    // Every page links back to the contents.
    QVERIFY(text.contains(QStringLiteral("href=\"index.html\"")));
    // A dialog's section is where its help key leads.
    const QString anchor = HelpUrl(page).fragment();
    if (!anchor.isEmpty())
      QVERIFY2(text.contains(QStringLiteral("id=\"%1\"").arg(anchor)), qPrintable(anchor));
  }
}

QTEST_MAIN(RoutingTest)
#include "routing_test.moc"
