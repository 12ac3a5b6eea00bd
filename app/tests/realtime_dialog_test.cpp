// The real-time song dialog against the real middleware and the in-process
// software module, on the virtual clock: a short run performed with the
// section keys and a click, its lamps followed (the waiting section's lamp
// blinks), ended by an ending and accepted as the song; a run cancelled
// leaves no song; buttons that mean nothing before a run do nothing, and
// digits typed into a field stay text.
#include "dialogs/realtime_dialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app_test_util.h"
#include "client/sjis_text.h"
#include "controls/bgm_spin.h"
#include "shell/command_table.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

bool Lit(QWidget* dialog, const char* lamp) {
  auto* w = Child<CLamp>(dialog, lamp);
  return w != nullptr && w->lit();
}

int LitCount(QWidget* dialog) {
  int lit = 0;
  for (CLamp* lamp : dialog->findChildren<CLamp*>()) lit += lamp->lit() ? 1 : 0;
  return lit;
}

// A key as the user types it, to whatever has the keyboard.
void Type(QWidget* dialog, Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus != nullptr ? focus : dialog, key);
}

// The measure the run is playing (from 1), from the song length it reports.
long Measure(CSonavexApp* app) {
  long ticks = 0;
  app->mgr().Meas2Tick(1, &ticks);
  return MiddleValue(app, QM3_ID_SONG_LENGTH) / std::max(ticks, 1L) + 1;
}

// Runs `perform` on the real-time dialog once it is shown; a check that
// fails inside leaves the dialog open, so it is closed then.
void AnswerRealtimeDialog(std::function<void(QWidget*)> perform) {
  AnswerModal("sonavex::app::CRealtimeDlg", [perform](QWidget* w) {
    perform(w);
    if (w->isVisible()) static_cast<QDialog*>(w)->done(QDialog::Rejected);
  });
}

template <typename Done>
bool WaitFor(Done done, int timeout_ms = 30000) {
  return QTest::qWaitFor(done, timeout_ms);
}

}  // namespace

class RealtimeDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void shortRunPerformedByKeysAndClicksBecomesTheSong();
  void cancelledRunLeavesNoSongAndIdleKeysDoNothing();
  void helpKeyOpensTheKeysSectionEvenDuringARun();
  void unreadableSourceIsNamedWhileTheRunGoesOn();
};

void RealtimeDialogTest::shortRunPerformedByKeysAndClicksBecomesTheSong() {
  AppSession s(AppSession::Clock::kVirtual);
  CSonavexApp& app = s.app;
  QCOMPARE(StartWithoutWelcome(&app), CSonavexApp::Start::kRunning);
  bool performed = false;
  long fill_measure = 0;
  AnswerRealtimeDialog([&](QWidget* w) {
    QVERIFY(QTest::qWaitForWindowActive(w));
    auto* ok = Child<QAbstractButton>(w, "ok");
    auto* record = Child<QToolButton>(w, "record");
    QCOMPARE(LitCount(w), 0);
    QVERIFY(!ok->isEnabled());  // nothing recorded yet

    Type(w, Qt::Key_R);
    QCOMPARE(MiddleValue(&app, QM3_ID_RECORD_BUTTON), 1L);
    QVERIFY(record->isChecked());
    QVERIFY(!Child<QAbstractButton>(w, "cancel")->isEnabled());
    QVERIFY(!Child<CBgmSpin>(w, "tempo")->isEnabled());
    Type(w, Qt::Key_Escape);  // no cancel while recording
    QVERIFY(w->isVisible());

    Type(w, Qt::Key_1);  // intro 1 starts the run
    QVERIFY(WaitFor([&] { return Lit(w, "introEnd1Lamp"); }));
    // Variation 1 follows the intro by itself (its lamp blinks while it waits).
    QVERIFY(WaitFor([&] { return Lit(w, "variation1Lamp") && !Lit(w, "introEnd1Lamp"); }));
    QCOMPARE(LitCount(w), 1);
    const long first_main = Measure(&app);
    QVERIFY(WaitFor([&] { return Measure(&app) > first_main; }));
    // Early in the measure a fill-in starts at once; variation 2 then waits
    // for the bar line, its lamp blinking with the beat.
    fill_measure = Measure(&app);
    Child<QToolButton>(w, "fillIn1")->click();
    QVERIFY(WaitFor([&] { return Lit(w, "fillIn1Lamp") && !Lit(w, "variation1Lamp"); }));
    QCOMPARE(Measure(&app), fill_measure);
    Type(w, Qt::Key_6);
    QStringList blink;
    QVERIFY(WaitFor([&] {
      const QString now = Lit(w, "variation2Lamp") ? QStringLiteral("on") : QStringLiteral("off");
      if (blink.isEmpty() || blink.last() != now) blink << now;
      return Lit(w, "variation2Lamp") && !Lit(w, "fillIn1Lamp");
    }));
    QVERIFY2(blink.size() >= 3, qPrintable(blink.join(QLatin1Char(' '))));
    QCOMPARE(Measure(&app), fill_measure);  // decided just before the bar line
    QVERIFY(WaitFor([&] { return Measure(&app) > fill_measure + 1; }));
    Type(w, Qt::Key_2);  // ending 2 after this measure; the run then ends itself
    QVERIFY(WaitFor([&] { return Lit(w, "introEnd2Lamp"); }));
    QVERIFY(WaitFor([&] { return ok->isEnabled(); }, 60000));
    QVERIFY(!record->isChecked());
    QCOMPARE(LitCount(w), 0);
    performed = true;
    ok->click();
  });
  app.OnCommand(ID_FILE_NEW_REAL);
  QVERIFY(performed);
  QVERIFY(app.realtime_dlg() == nullptr);

  // The song: the intro, the main measures ending with the fill-in, two
  // measures of variation 2, ending 2.
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(app.mgr().GetSongTimeLineData(&phrases));
  QCOMPARE(phrases->nCount, 4);
  const QM3SongPhrase* p = phrases->pPhrases;
  long measure_ticks = 0;
  QVERIFY(app.mgr().Meas2Tick(1, &measure_ticks));
  const int beats = static_cast<int>(measure_ticks / 96);
  const int intro_measures = p[0].nLength / beats;
  QCOMPARE(FromMiddleText(p[0].szName), QStringLiteral("ｲﾝﾄﾛ1"));
  QCOMPARE(p[0].cKind, static_cast<signed char>(0));
  QCOMPARE(FromMiddleText(p[1].szName), QStringLiteral("ﾌﾚｰｽﾞ1"));
  QCOMPARE(p[1].cKind, static_cast<signed char>(2));
  QCOMPARE(p[1].cVariation, static_cast<signed char>(0));
  QCOMPARE(p[1].cFillIn, static_cast<signed char>(0));
  QCOMPARE(p[1].nLength, static_cast<int>(fill_measure - intro_measures) * beats);
  QCOMPARE(FromMiddleText(p[2].szName), QStringLiteral("ﾌﾚｰｽﾞ2"));
  QCOMPARE(p[2].cKind, static_cast<signed char>(2));
  QCOMPARE(p[2].cVariation, static_cast<signed char>(1));
  QCOMPARE(p[2].cFillIn, static_cast<signed char>(2));
  QCOMPARE(p[2].nLength, 2 * beats);
  QCOMPARE(FromMiddleText(p[3].szName), QStringLiteral("ｴﾝﾃﾞｨﾝｸﾞ2"));
  QCOMPARE(p[3].cKind, static_cast<signed char>(1));
  QCOMPARE(p[3].cVariation, static_cast<signed char>(1));
  bool realtime = false;
  QVERIFY(app.mgr().IsSongRealtime(&realtime));
  QVERIFY(realtime);
}

void RealtimeDialogTest::cancelledRunLeavesNoSongAndIdleKeysDoNothing() {
  AppSession s(AppSession::Clock::kVirtual);
  CSonavexApp& app = s.app;
  QCOMPARE(StartWithoutWelcome(&app), CSonavexApp::Start::kRunning);
  bool cancelled = false;
  AnswerRealtimeDialog([&](QWidget* w) {
    QVERIFY(QTest::qWaitForWindowActive(w));
    // Fade-out means nothing before a run: nothing starts.
    Type(w, Qt::Key_F);
    QTest::qWait(500);
    QCOMPARE(LitCount(w), 0);
    QCOMPARE(MiddleValue(&app, QM3_ID_SONG_LENGTH), 0L);
    // Digits typed into the tempo field are the tempo, not fill-in keys.
    auto* tempo = Child<CBgmSpin>(w, "tempo");
    tempo->edit()->setFocus();
    tempo->edit()->selectAll();
    QTest::keyClick(tempo->edit(), Qt::Key_9);
    QTest::keyClick(tempo->edit(), Qt::Key_0);
    QTest::keyClick(tempo->edit(), Qt::Key_Return);
    QCOMPARE(MiddleValue(&app, QM3_ID_TEMPO), 90L);
    QCOMPARE(LitCount(w), 0);

    Child<QToolButton>(w, "variation1")->setFocus();
    Type(w, Qt::Key_R);
    Type(w, Qt::Key_5);  // variation 1 starts the run
    QVERIFY(WaitFor([&] { return Lit(w, "variation1Lamp"); }));
    QVERIFY(WaitFor([&] { return Measure(&app) >= 2; }));
    // The record switch again: the run ends at the bar line.
    Child<QToolButton>(w, "record")->click();
    QCOMPARE(MiddleValue(&app, QM3_ID_RECORD_BUTTON), 0L);
    auto* ok = Child<QAbstractButton>(w, "ok");
    QVERIFY(WaitFor([&] { return ok->isEnabled(); }));
    QCOMPARE(LitCount(w), 0);
    long measure_ticks = 0;
    QVERIFY(app.mgr().Meas2Tick(1, &measure_ticks));
    QCOMPARE(MiddleValue(&app, QM3_ID_SONG_LENGTH), 2 * measure_ticks);
    cancelled = true;
    ClickButton(w, "cancel");
  });
  app.OnCommand(ID_FILE_NEW_REAL);
  QVERIFY(cancelled);
  const QM3PhraseList* phrases = nullptr;
  QVERIFY(app.mgr().GetSongTimeLineData(&phrases));
  QCOMPARE(phrases->nCount, 0);
}

void RealtimeDialogTest::helpKeyOpensTheKeysSectionEvenDuringARun() {
  // F1 opens the real-time section (it lists the dialog's keys); during a
  // run the dialog stays modal and the run goes on taking its keys.
  AppSession s(AppSession::Clock::kVirtual);
  CSonavexApp& app = s.app;
  QCOMPARE(StartWithoutWelcome(&app), CSonavexApp::Start::kRunning);
  OpenedUrls browser;
  bool checked = false;
  AnswerRealtimeDialog([&](QWidget* w) {
    QVERIFY(QTest::qWaitForWindowActive(w));
    PressHelpKey(w);
    QCOMPARE(browser.urls().size(), 1);
    QCOMPARE(browser.urls()[0].fileName(), QStringLiteral("making-a-song.html"));
    QCOMPARE(browser.urls()[0].fragment(), QStringLiteral("realtime"));
    QCOMPARE(QApplication::activeModalWidget(), w);

    Type(w, Qt::Key_R);
    Type(w, Qt::Key_5);
    QVERIFY(WaitFor([&] { return Lit(w, "variation1Lamp"); }));
    PressHelpKey(w);
    QCOMPARE(browser.urls().size(), 2);
    QCOMPARE(QApplication::activeModalWidget(), w);
    QVERIFY(Child<QToolButton>(w, "record")->isChecked());
    Type(w, Qt::Key_R);  // the run ends at the bar line
    QVERIFY(WaitFor([&] { return Child<QAbstractButton>(w, "ok")->isEnabled(); }));
    checked = true;
    ClickButton(w, "cancel");
  });
  app.OnCommand(ID_FILE_NEW_REAL);
  QVERIFY(checked);
  QVERIFY(app.realtime_dlg() == nullptr);
}

void RealtimeDialogTest::unreadableSourceIsNamedWhileTheRunGoesOn() {
  // The run's material holds the intro source even when no intro plays: cut
  // short, it is named over the main window while the run goes on taking
  // the dialog's keys, once, and the note outlives the dialog.
  if (!InHostCopy()) {
    QString output;
    const int code = RunInDamagedHostCopy("unreadableSourceIsNamedWhileTheRunGoesOn",
                                          {QStringLiteral("I_src_mid.dat")}, &output);
    QVERIFY2(code == 0, qPrintable(output));
    return;
  }
  AppSession s(AppSession::Clock::kVirtual);
  CSonavexApp& app = s.app;
  QCOMPARE(StartWithoutWelcome(&app), CSonavexApp::Start::kRunning);
  const QString damaged = QCoreApplication::applicationDirPath() + QStringLiteral("/I_src_mid.dat");
  bool checked = false;
  AnswerRealtimeDialog([&](QWidget* w) {
    QVERIFY(QTest::qWaitForWindowActive(w));
    Type(w, Qt::Key_R);
    Type(w, Qt::Key_5);
    QVERIFY(WaitFor([&] { return Lit(w, "variation1Lamp"); }));
    QVERIFY(WaitFor([&] { return app.skipped_files().box() != nullptr; }));
    QMessageBox* note = app.skipped_files().box();
    QVERIFY(note->isVisible());
    QCOMPARE(note->informativeText(), damaged);
    QCOMPARE(QApplication::activeModalWidget(), w);
    QVERIFY(WaitFor([&] { return QApplication::activeWindow() == w; }, 2000));
    QVERIFY(QApplication::focusWidget() != nullptr);
    QCOMPARE(QApplication::focusWidget()->window(), w);
    Type(w, Qt::Key_R);  // the run ends at the bar line
    QVERIFY(WaitFor([&] { return Child<QAbstractButton>(w, "ok")->isEnabled(); }));
    // A second run reads the material again: the file is not named twice.
    Type(w, Qt::Key_R);
    Type(w, Qt::Key_6);
    QVERIFY(WaitFor([&] { return Lit(w, "variation2Lamp"); }));
    Type(w, Qt::Key_R);
    QVERIFY(WaitFor([&] { return Child<QAbstractButton>(w, "ok")->isEnabled(); }));
    QCOMPARE(note->informativeText(), damaged);
    checked = true;
    ClickButton(w, "cancel");
  });
  app.OnCommand(ID_FILE_NEW_REAL);
  QVERIFY(checked);
  QVERIFY(app.skipped_files().box() != nullptr);
  QVERIFY(app.skipped_files().box()->isVisible());
}

QTEST_MAIN(RealtimeDialogTest)
#include "realtime_dialog_test.moc"
