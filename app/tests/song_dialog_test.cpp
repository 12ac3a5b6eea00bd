// The play-time song dialog and the transport window against the real
// middleware and the in-process software module: each field writes what
// the user chose and shows what the middleware kept, a 47-second song made
// through the dialog plays under the virtual clock while the transport
// window follows, and the transport window's place is remembered.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>

#include "app_test_util.h"
#include "controls/bgm_spin.h"
#include "controls/rhythm_tree.h"
#include "dialogs/playtime_dialog.h"
#include "platform/clock.h"
#include "shell/command_table.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

// The start and end fields' texts as the next play-time dialog opens; the
// dialog is then cancelled.
void TimesOnOpen(QString* start, QString* end) {
  AnswerModal("sonavex::app::CPlaytimeDlg", [start, end](QWidget* w) {
    *start = Child<CBgmSpin>(w, "start")->text();
    *end = Child<CBgmSpin>(w, "end")->text();
    ClickButton(w, "cancel");
  });
}

}  // namespace

class SongDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void freshStartOpensWithFittedTimes();
  void openingWritesTheRhythmSoTheTimesFit();
  void fieldsWriteAndShowTheMiddlewareValues();
  void aChoiceThatDoesNotFitIsRefusedAndKept();
  void refusedSongCreationIsToldAndKeepsTheSong();
  void fortySevenSecondSongPlaysWithTheTransportFollowing();
  void transportWindowPlaceIsRemembered();
  void transportClicksGiveTheKeyboardBack();
  void helpKeyOpensTheSectionAndKeepsTheDialog();
  void unreadableSourcesOfANewSongAreNamed();
};

void SongDialogTest::freshStartOpensWithFittedTimes() {
  // No settings file: the welcome's new song opens the dialog on the
  // middleware's first values, fitted to the chosen rhythm.
  AppSession s;
  QString start, end;
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  TimesOnOpen(&start, &end);
  QCOMPARE(s.app.InitInstance(), CSonavexApp::Start::kRunning);
  const long first_end = MiddleValue(&s.app, QM3_ID_END_TIME);
  QVERIFY(first_end > MiddleValue(&s.app, QM3_ID_START_TIME));
  QVERIFY2(end != start, qPrintable(start + QLatin1Char('-') + end));
  QString shown;
  QVERIFY(s.app.mgr().GetMIDIValueStr(QM3_ID_END_TIME, &shown));
  QCOMPARE(end, shown.trimmed());
}

void SongDialogTest::openingWritesTheRhythmSoTheTimesFit() {
  // Before any song the middleware holds no playing time; the dialog opened
  // on its own (not through the new-song command) chooses the rhythm, and
  // the middleware fits the times to it, telling so.
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_END_TIME), MiddleValue(&s.app, QM3_ID_START_TIME));
  s.app.mgr().ChangeWindow(QM3_SCREEN_PLAY_TIME);
  CPlaytimeDlg dialog(&s.app.mgr(), &s.app.data(), s.app.frame());
  AnswerEveryMessage notes;
  QVERIFY(dialog.InitControl());
  QVERIFY(MiddleValue(&s.app, QM3_ID_END_TIME) > MiddleValue(&s.app, QM3_ID_START_TIME));
  QVERIFY(Child<CBgmSpin>(&dialog, "end")->text() != Child<CBgmSpin>(&dialog, "start")->text());
  QCOMPARE(Child<CBgmSpin>(&dialog, "end")->value(), MiddleValue(&s.app, QM3_ID_END_TIME));
  QCOMPARE(notes.shown().size(), 1);
}

void SongDialogTest::fieldsWriteAndShowTheMiddlewareValues() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  bool checked = false;
  AnswerModal("sonavex::app::CPlaytimeDlg", [&](QWidget* w) {
    checked = true;
    QCOMPARE(s.app.playtime_dlg(), w);
    // The times the middleware holds, in its format, with the format shown.
    const QStringList notes =
        EnterPlaytimeTimes(w, QStringLiteral("1000"), QStringLiteral("0:01:30:00"));
    QCOMPARE(Child<CBgmSpin>(w, "start")->text(), QStringLiteral("0:00:10:00"));
    QCOMPARE(Child<CBgmSpin>(w, "end")->text(), QStringLiteral("0:01:30:00"));
    QCOMPARE(MiddleValue(&s.app, QM3_ID_END_TIME), 90L * 30);
    QVERIFY(!Child<QLabel>(w, "startFormat")->text().isEmpty());
    // The rhythm's names follow the tree.
    auto* tree = Child<CRhythmTreeCtrl>(w, "rhythmTree");
    QVERIFY(tree->topLevelItemCount() > 0);
    QTreeWidgetItem* group = tree->topLevelItem(tree->topLevelItemCount() - 1);
    tree->setCurrentItem(group->child(group->childCount() - 1));
    QCOMPARE(MiddleValue(&s.app, QM3_ID_RHYTHM), tree->tree().GetSelNumFromGroup(group->text(0)));
    QCOMPARE(Child<QLabel>(w, "rhythmName")->text(),
             group->child(group->childCount() - 1)->text(0));
    QVERIFY(Child<QLabel>(w, "rhythmTempo")->text().toInt() > 0);
    // Radios write their value; the user melody opens with "ﾕｰｻﾞｰ設定".
    Child<QRadioButton>(w, "dark")->click();
    QCOMPARE(MiddleValue(&s.app, QM3_ID_MOOD), 1L);
    auto* melody = Child<QComboBox>(w, "melody");
    QVERIFY(!melody->isEnabled());
    Child<QRadioButton>(w, "user")->click();
    QCOMPARE(MiddleValue(&s.app, QM3_ID_MELODY_CHOICE), 1L);
    QTRY_VERIFY(melody->isEnabled());
    // A slider writes on a step, and after a drag only once it ends.
    auto* liveliness = Child<QSlider>(w, "liveliness");
    QCOMPARE(liveliness->value(), 2);
    QTest::keyClick(liveliness, Qt::Key_Right);
    QCOMPARE(MiddleValue(&s.app, QM3_ID_LIVELINESS), 3L);
    liveliness->setSliderDown(true);
    liveliness->setValue(4);
    liveliness->setValue(0);
    QCOMPARE(MiddleValue(&s.app, QM3_ID_LIVELINESS), 3L);
    liveliness->setSliderDown(false);
    QCOMPARE(MiddleValue(&s.app, QM3_ID_LIVELINESS), 0L);
    // The fade-out's seconds open with the check box.
    auto* fade_seconds = Child<CBgmSpin>(w, "fadeOutSeconds");
    QVERIFY(!fade_seconds->isEnabled());
    Child<QCheckBox>(w, "fadeOut")->click();
    QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT), 1L);
    QTRY_VERIFY(fade_seconds->isEnabled());
    ClickButton(w, "cancel");
    Q_UNUSED(notes);
  });
  s.app.OnCommand(ID_FILE_NEW_PLAY);
  QVERIFY(checked);
  QCOMPARE(s.app.playtime_dlg(), nullptr);
}

void SongDialogTest::aChoiceThatDoesNotFitIsRefusedAndKept() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  bool checked = false;
  AnswerModal("sonavex::app::CPlaytimeDlg", [&](QWidget* w) {
    checked = true;
    // A short span: no intro, no ending fit beside each other.
    EnterPlaytimeTimes(w, QStringLiteral("0:00:00:00"), QStringLiteral("0:00:00:01"));
    auto* intro = Child<QComboBox>(w, "intro");
    const long before = MiddleValue(&s.app, QM3_ID_INTRO);
    const int shown_before = intro->currentIndex();
    int longest = -1;
    for (int i = 0; i < intro->count(); ++i) {
      if (intro->itemData(i).toLongLong() == 1) longest = i;  // intro 2, the longest
    }
    QVERIFY(longest >= 0);
    AnswerEveryMessage answers;
    intro->setCurrentIndex(longest);
    emit intro->activated(longest);
    QCOMPARE(MiddleValue(&s.app, QM3_ID_INTRO), before);
    QCOMPARE(intro->currentIndex(), shown_before);
    QVERIFY(!answers.shown().isEmpty());
    QCOMPARE(answers.shown().last(), QStringLiteral("時間内におさまらないため、選択できません。\n開"
                                                    "始時間または終了時間を変更してください。"));
    // A time the middleware cannot take leaves the time it had.
    auto* end = Child<CBgmSpin>(w, "end");
    const QString kept = end->text();
    end->edit()->setText(QStringLiteral("99:99:99:99"));
    QTest::keyClick(end->edit(), Qt::Key_Return);
    QCOMPARE(end->text(), kept);
    ClickButton(w, "cancel");
  });
  s.app.OnCommand(ID_FILE_NEW_PLAY);
  QVERIFY(checked);
}

void SongDialogTest::refusedSongCreationIsToldAndKeepsTheSong() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  const long length = MiddleValue(&s.app, QM3_ID_SONG_LENGTH);
  QVERIFY(length > 0);
  QString refused;
  bool closed_by_ok = false;
  AnswerModal("sonavex::app::CPlaytimeDlg", [&](QWidget* w) {
    // The user's melody is one the library no longer has.
    Child<QRadioButton>(w, "user")->click();
    QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_USER_MELODY, 99));
    // The refusal's message has only OK: it closes the dialog.
    AnswerMessage(true, &refused);
    ClickButton(w, "ok");
    closed_by_ok = !w->isVisible();
  });
  s.app.OnCommand(ID_EDIT_REEDIT);
  QCOMPARE(refused, QStringLiteral("エラーです"));
  QVERIFY(closed_by_ok);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_SONG_LENGTH), length);
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(s.app.mgr().GetSongTimeLineData(&phrases));
  QVERIFY(phrases->nCount > 0);
}

void SongDialogTest::fortySevenSecondSongPlaysWithTheTransportFollowing() {
  AppSession s(AppSession::Clock::kVirtual);
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  AnswerPlaytimeDialog(QStringLiteral("0:00:00:00"), QStringLiteral("0:00:47:00"));
  s.app.OnCommand(ID_FILE_NEW_PLAY);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_START_TIME), 0L);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_END_TIME), 47L * 30);
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(s.app.mgr().GetSongTimeLineData(&phrases));
  QVERIFY(phrases->nCount > 0);

  CControlDlg* transport = s.app.control_dlg();
  QVERIFY(transport != nullptr);
  QVERIFY(transport->isVisible());
  QVERIFY(transport->windowFlags() & Qt::WindowStaysOnTopHint);
  auto* play = Child<QToolButton>(transport, "play");
  auto* pointer = Child<QLabel>(transport, "pointer");
  // Watches the window at every pass of the event loop while the song plays.
  QStringList times;
  bool held_while_playing = true;
  bool ended = false;
  uint32_t ended_at = 0;
  QTimer watch;
  connect(&watch, &QTimer::timeout, [&] {
    bool playing = false;
    s.app.mgr().IsPlayingNow(&playing);
    if (playing) held_while_playing &= play->isChecked();
    if (times.isEmpty() || times.last() != pointer->text()) times << pointer->text();
    if (!ended && !playing && !play->isChecked()) {
      ended = true;
      ended_at = platform::GetTickCount();
    }
  });
  const uint32_t began = platform::GetTickCount();
  play->click();
  QVERIFY(play->isChecked());
  watch.start(0);
  QTRY_VERIFY_WITH_TIMEOUT(ended, 60000);
  watch.stop();
  const uint32_t played_ms = ended_at - began;
  QVERIFY(held_while_playing);
  // The song's 47 seconds (and the count-in measure) of virtual time.
  QVERIFY2(played_ms >= 47000 && played_ms < 56000, qPrintable(QString::number(played_ms)));
  // The pointer's time moved on in steps, never back, past 0:00:40.
  QVERIFY2(times.size() > 20, qPrintable(times.join(QLatin1Char(' '))));
  QStringList sorted = times;
  std::sort(sorted.begin(), sorted.end());
  QCOMPARE(times, sorted);
  QVERIFY(times.last() >= QStringLiteral("0:00:40:00"));
}

void SongDialogTest::transportWindowPlaceIsRemembered() {
  AppSession s;
  QVERIFY(WriteSettings(s.folders,
                        "[ControlWindow]\nPosLeft=40\nPosTop=30\nPosRight=200\nPosBottom=110\n"));
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  CControlDlg* transport = s.app.control_dlg();
  QVERIFY(transport != nullptr);
  QCOMPARE(transport->pos(), QPoint(40, 30));
  // Dragged by its background, then the program closes normally.
  const QPoint background(2, transport->height() - 2);
  QTest::mousePress(transport, Qt::LeftButton, {}, background);
  QMouseEvent move(QEvent::MouseMove, QPointF(background),
                   transport->mapToGlobal(QPointF(background + QPoint(60, 40))), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(transport, &move);
  QTest::mouseRelease(transport, Qt::LeftButton, {}, background);
  QCOMPARE(transport->pos(), QPoint(100, 70));
  // A message box hides it meanwhile.
  AnswerModal("QMessageBox", [transport](QWidget* box) {
    QVERIFY(!transport->isVisible());
    ClickButton(box, "first");
  });
  s.app.messages().ShowMessageOk(QStringLiteral("I\\test"));
  QVERIFY(transport->isVisible());
  // So does a file request, answered here with Cancel.
  ScriptedChooser* files = AnswerFiles(&s.app, {});
  bool shown_meanwhile = true;
  files->OnRequest([&] { shown_meanwhile = transport->isVisible(); });
  s.app.OnCommand(ID_FILE_BGM_OPEN);
  QCOMPARE(files->requests().size(), 1);
  QVERIFY(!shown_meanwhile);
  QVERIFY(transport->isVisible());
  QVERIFY(s.app.OnClose());
  QSettings ini(s.folders.settings(), QSettings::IniFormat);
  QCOMPARE(ini.value(QStringLiteral("ControlWindow/PosLeft")).toInt(), 100);
  QCOMPARE(ini.value(QStringLiteral("ControlWindow/PosTop")).toInt(), 70);
}

void SongDialogTest::transportClicksGiveTheKeyboardBack() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  CControlDlg* transport = s.app.control_dlg();
  QVERIFY(transport != nullptr);
  // First run: placed over the main window (centred when it was made).
  QVERIFY(s.app.frame()->frameGeometry().contains(transport->frameGeometry().center()));
  bool alive = false;
  transport->activateWindow();
  QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(transport));
  // A click on the background, and on an enabled transport button.
  QTest::mouseClick(transport, Qt::LeftButton, {}, QPoint(2, transport->height() - 2));
  QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(s.app.frame()));
  auto* top = Child<QToolButton>(transport, "top");
  QCOMPARE(top->isEnabled(), s.app.mgr().GetMIDIAlive(QM3_ID_RETURN_TO_TOP, &alive) && alive);
  if (top->isEnabled()) {
    transport->activateWindow();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(transport));
    top->click();
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(s.app.frame()));
  }
  // The volume field opens on the middleware's volume in its format, wide
  // enough for the largest volume; the spin writes it.
  auto* volume = Child<CBgmSpin>(transport, "volume");
  const long before = MiddleValue(&s.app, QM3_ID_MAIN_VOLUME);
  QString shown;
  QVERIFY(s.app.mgr().GetMIDIValueStr(QM3_ID_MAIN_VOLUME, &shown));
  QCOMPARE(volume->text(), shown.trimmed());
  QLineEdit* field = volume->edit();
  QVERIFY(field->fontMetrics().horizontalAdvance(QString::number(volume->maximum())) <=
          field->contentsRect().width() - 4);
  QTest::keyClick(field, Qt::Key_Down);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_MAIN_VOLUME), before - 1);
  QCOMPARE(volume->value(), before - 1);
  // A volume past the largest is refused: the field shows the one kept.
  const QString kept = volume->text();
  field->setText(QString::number(volume->maximum() + 1));
  QTest::keyClick(field, Qt::Key_Return);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_MAIN_VOLUME), before - 1);
  QCOMPARE(volume->text(), kept);
}

void SongDialogTest::helpKeyOpensTheSectionAndKeepsTheDialog() {
  // The dialog is modal, so the main window's F1 cannot reach it: the
  // dialog's own opens the play-time section, once per press, from a field
  // as from the dialog, and the dialog stays open and modal.
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  OpenedUrls browser;
  AnswerEveryMessage notes;
  bool checked = false;
  AnswerModal("sonavex::app::CPlaytimeDlg", [&](QWidget* w) {
    QVERIFY(QTest::qWaitForWindowActive(w));
    PressHelpKey(w);
    QCOMPARE(browser.urls().size(), 1);
    QCOMPARE(browser.urls()[0].fileName(), QStringLiteral("making-a-song.html"));
    QCOMPARE(browser.urls()[0].fragment(), QStringLiteral("playtime"));
    QVERIFY(w->isVisible());
    QCOMPARE(QApplication::activeModalWidget(), w);
    Child<CBgmSpin>(w, "end")->edit()->setFocus();
    PressHelpKey(w);
    QCOMPARE(browser.urls().size(), 2);
    QCOMPARE(QApplication::activeModalWidget(), w);
    checked = true;
    ClickButton(w, "cancel");
  });
  s.app.OnCommand(ID_FILE_NEW_PLAY);
  QVERIFY(checked);
  QVERIFY(s.app.playtime_dlg() == nullptr);
  Q_UNUSED(notes);
}

void SongDialogTest::unreadableSourcesOfANewSongAreNamed() {
  // The song is made with its intro and ending sources cut short: the note
  // names those the render could not read, and the song is there.
  const QStringList damage = {QStringLiteral("I_src_mid.dat"), QStringLiteral("E_src_mid.dat")};
  if (!InHostCopy()) {
    QString output;
    const int code = RunInDamagedHostCopy("unreadableSourcesOfANewSongAreNamed", damage, &output);
    QVERIFY2(code == 0, qPrintable(output));
    return;
  }
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  AnswerPlaytimeDialog(QStringLiteral("0:00:00:00"), QStringLiteral("0:00:47:00"));
  s.app.OnCommand(ID_FILE_NEW_PLAY);
  QTRY_VERIFY(s.app.skipped_files().box() != nullptr);
  QMessageBox* note = s.app.skipped_files().box();
  QVERIFY(note->isVisible());
  QCOMPARE(note->text(), CSkippedFilesNote::Header());
  const QStringList named = note->informativeText().split(QLatin1Char('\n'));
  QVERIFY(!named.isEmpty());
  for (const QString& file : named) {
    QVERIFY2(damage.contains(QFileInfo(file).fileName()), qPrintable(file));
    QCOMPARE(QFileInfo(file).absolutePath(), QCoreApplication::applicationDirPath());
  }
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(s.app.mgr().GetSongTimeLineData(&phrases));
  QVERIFY(phrases->nCount > 0);
}

QTEST_MAIN(SongDialogTest)
#include "song_dialog_test.moc"
