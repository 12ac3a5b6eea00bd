// The main form's synchronisation panel against the real middleware: the
// two synchronisation methods and the fields each opens, typed and stepped
// values reaching the middleware (and the values it works out in answer),
// and values it refuses leaving the previous one shown.
#include "screens/sync_panel.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "app_test_util.h"
#include "controls/bgm_spin.h"
#include "shell/command_table.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

CBgmSpin* Spin(CSonavexApp* app, CSyncPanel::Spin which) {
  return app->view()->sync_panel()->spin(which);
}

template <typename T>
T* PanelChild(CSonavexApp* app, const char* name) {
  return app->view()->sync_panel()->findChild<T*>(QString::fromUtf8(name));
}

QString MiddleText(CSonavexApp* app, ControlId id) {
  QString text;
  app->mgr().GetMIDIValueStr(id, &text);
  return text.trimmed();
}

// Types `text` into the spin's field and commits it with Enter, as a user.
void Type(CBgmSpin* spin, const QString& text) {
  spin->edit()->setFocus();
  spin->edit()->selectAll();
  QTest::keyClicks(spin->edit(), text);
  QTest::keyClick(spin->edit(), Qt::Key_Return);
}

bool Checked(CSonavexApp* app, int command) {
  bool enabled = false, checked = false;
  return app->CommandState(command, &enabled, &checked) && checked;
}

}  // namespace

class SyncPanelTest : public QObject {
  Q_OBJECT

 private slots:
  void methodSwitchOpensItsFields();
  void typedAndSteppedValuesReachTheMiddleware();
  void refusedValuesKeepThePreviousOne();
  void fadeOutAndStandardTempo();
};

void SyncPanelTest::methodSwitchOpensItsFields() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  auto* method = PanelChild<QLabel>(&s.app, "syncMethod");
  auto* standard = PanelChild<QPushButton>(&s.app, "standardTempo");
  // Two points: the four point fields open, the tempo follows from them.
  QCOMPARE(MiddleValue(&s.app, QM3_ID_SYNC_METHOD), 0L);
  QCOMPARE(method->text(), QStringLiteral("同期ﾎﾟｲﾝﾄ1,2を指定"));
  for (auto spin :
       {CSyncPanel::kTime1, CSyncPanel::kMeasure1, CSyncPanel::kTime2, CSyncPanel::kMeasure2}) {
    QVERIFY(Spin(&s.app, spin)->isEnabled());
  }
  QVERIFY(!Spin(&s.app, CSyncPanel::kTempo)->isEnabled());
  QVERIFY(!standard->isEnabled());
  QVERIFY(Checked(&s.app, ID_SYNCHRO_POINT));
  QVERIFY(!Checked(&s.app, ID_SYNCHRO_TEMPO));

  // Point 1 and the tempo: point 2 closes, the tempo and its button open.
  s.app.OnCommand(ID_SYNCHRO_TEMPO);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_SYNC_METHOD), 1L);
  QTRY_COMPARE_WITH_TIMEOUT(method->text(), QStringLiteral("同期ﾎﾟｲﾝﾄ1とﾃﾝﾎﾟを指定"), 3000);
  QTRY_VERIFY_WITH_TIMEOUT(Spin(&s.app, CSyncPanel::kTempo)->isEnabled(), 3000);
  QVERIFY(standard->isEnabled());
  QVERIFY(!Spin(&s.app, CSyncPanel::kTime2)->isEnabled());
  QVERIFY(!Spin(&s.app, CSyncPanel::kMeasure2)->isEnabled());
  QVERIFY(Spin(&s.app, CSyncPanel::kTime1)->isEnabled());
  QVERIFY(Spin(&s.app, CSyncPanel::kMeasure1)->isEnabled());
  QVERIFY(Checked(&s.app, ID_SYNCHRO_TEMPO));
  QVERIFY(!Checked(&s.app, ID_SYNCHRO_POINT));

  s.app.OnCommand(ID_SYNCHRO_POINT);
  QTRY_VERIFY_WITH_TIMEOUT(Spin(&s.app, CSyncPanel::kTime2)->isEnabled(), 3000);
  QVERIFY(!Spin(&s.app, CSyncPanel::kTempo)->isEnabled());
  QVERIFY(!standard->isEnabled());
  QCOMPARE(method->text(), QStringLiteral("同期ﾎﾟｲﾝﾄ1,2を指定"));
}

void SyncPanelTest::typedAndSteppedValuesReachTheMiddleware() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  // Point 2 typed five seconds earlier (30 frames a second): the song must
  // play faster to meet it, and the tempo field shows the tempo the
  // middleware worked out.
  CBgmSpin* time2 = Spin(&s.app, CSyncPanel::kTime2);
  CBgmSpin* tempo = Spin(&s.app, CSyncPanel::kTempo);
  const long tempo_before = MiddleValue(&s.app, QM3_ID_EDIT_TEMPO);
  const long frames = MiddleValue(&s.app, QM3_ID_SYNC2_TIME) - 5 * 30;
  const QString text = QString::asprintf("%ld:%02ld:%02ld:%02ld", frames / 108000,
                                         frames / 1800 % 60, frames / 30 % 60, frames % 30);
  long typed = 0;
  QVERIFY(s.app.mgr().GetMIDIStrValue(QM3_ID_SYNC2_TIME, text, &typed));
  QCOMPARE(typed, frames);
  Type(time2, text);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_SYNC2_TIME), frames);
  QCOMPARE(time2->text(), MiddleText(&s.app, QM3_ID_SYNC2_TIME));
  QVERIFY(MiddleValue(&s.app, QM3_ID_EDIT_TEMPO) > tempo_before);
  QTRY_COMPARE_WITH_TIMEOUT(tempo->text(), MiddleText(&s.app, QM3_ID_EDIT_TEMPO), 3000);

  // Point 1's position a step up with the key: written, and its time
  // follows the middleware.
  CBgmSpin* measure1 = Spin(&s.app, CSyncPanel::kMeasure1);
  const long position = MiddleValue(&s.app, QM3_ID_SYNC1_MEASURE);
  measure1->edit()->setFocus();
  QTest::keyClick(measure1->edit(), Qt::Key_Up);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_SYNC1_MEASURE), position + 1);
  QCOMPARE(measure1->text(), MiddleText(&s.app, QM3_ID_SYNC1_MEASURE));

  // A changed field is written when the user leaves it.
  CBgmSpin* time1 = Spin(&s.app, CSyncPanel::kTime1);
  s.app.frame()->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(s.app.frame()));
  time1->edit()->setFocus();
  time1->edit()->selectAll();
  QTest::keyClicks(time1->edit(), QStringLiteral("0:00:01:00"));
  measure1->edit()->setFocus();
  QTRY_COMPARE_WITH_TIMEOUT(MiddleValue(&s.app, QM3_ID_SYNC1_TIME), 30L, 3000);
  QCOMPARE(time1->text(), MiddleText(&s.app, QM3_ID_SYNC1_TIME));
}

void SyncPanelTest::refusedValuesKeepThePreviousOne() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  s.app.OnCommand(ID_SYNCHRO_TEMPO);
  CBgmSpin* tempo = Spin(&s.app, CSyncPanel::kTempo);
  QTRY_VERIFY_WITH_TIMEOUT(tempo->isEnabled(), 3000);
  AnswerEveryMessage messages;
  // Beyond the tempo's range (40 to 300 beats a minute): the old tempo stays.
  const long before = MiddleValue(&s.app, QM3_ID_EDIT_TEMPO);
  const QString shown = tempo->text();
  Type(tempo, QStringLiteral("500"));
  QCOMPARE(MiddleValue(&s.app, QM3_ID_EDIT_TEMPO), before);
  QCOMPARE(tempo->text(), shown);
  QCOMPARE(tempo->value(), before);
  Type(tempo, QStringLiteral("20"));
  QCOMPARE(MiddleValue(&s.app, QM3_ID_EDIT_TEMPO), before);
  QCOMPARE(tempo->text(), shown);
  // Text that is no time at all leaves point 1 where it was.
  CBgmSpin* time1 = Spin(&s.app, CSyncPanel::kTime1);
  const long time_before = MiddleValue(&s.app, QM3_ID_SYNC1_TIME);
  const QString time_shown = time1->text();
  Type(time1, QStringLiteral("abc"));
  QCOMPARE(MiddleValue(&s.app, QM3_ID_SYNC1_TIME), time_before);
  QCOMPARE(time1->text(), time_shown);
  // The middleware refuses these without a word: no message box.
  QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.shown().join(QLatin1Char('\n'))));
}

void SyncPanelTest::fadeOutAndStandardTempo() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  auto* fade = PanelChild<QCheckBox>(&s.app, "fadeOut");
  CBgmSpin* seconds = Spin(&s.app, CSyncPanel::kFadeOut);
  QVERIFY(!fade->isChecked());
  QVERIFY(!seconds->isEnabled());
  fade->click();
  QCOMPARE(MiddleValue(&s.app, QM3_ID_EDIT_FADE_OUT), 1L);
  QVERIFY(fade->isChecked());
  QTRY_VERIFY_WITH_TIMEOUT(seconds->isEnabled(), 3000);
  // Stepped past the largest length: it stays at the largest.
  Type(seconds, QString::number(seconds->maximum()));
  QCOMPARE(MiddleValue(&s.app, QM3_ID_EDIT_FADE_OUT_SECONDS), seconds->maximum());
  seconds->edit()->setFocus();
  QTest::keyClick(seconds->edit(), Qt::Key_Up);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_EDIT_FADE_OUT_SECONDS), seconds->maximum());
  QCOMPARE(seconds->text(), MiddleText(&s.app, QM3_ID_EDIT_FADE_OUT_SECONDS));

  // A tempo of its own, then the standard tempo back with the button.
  s.app.OnCommand(ID_SYNCHRO_TEMPO);
  CBgmSpin* tempo = Spin(&s.app, CSyncPanel::kTempo);
  QTRY_VERIFY_WITH_TIMEOUT(tempo->isEnabled(), 3000);
  Type(tempo, QStringLiteral("100"));
  QCOMPARE(MiddleValue(&s.app, QM3_ID_EDIT_TEMPO), 10000L);
  QCOMPARE(tempo->text(), MiddleText(&s.app, QM3_ID_EDIT_TEMPO));
  PanelChild<QPushButton>(&s.app, "standardTempo")->click();
  QVERIFY(MiddleValue(&s.app, QM3_ID_EDIT_TEMPO) != 10000L);
  QTRY_COMPARE_WITH_TIMEOUT(tempo->text(), MiddleText(&s.app, QM3_ID_EDIT_TEMPO), 3000);
}

QTEST_MAIN(SyncPanelTest)
#include "sync_panel_test.moc"
