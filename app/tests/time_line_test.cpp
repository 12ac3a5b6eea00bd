// The song-edit screen and its time line against the real middleware: the
// zoom arithmetic, the pointer handshake through the mouse, auto-scroll,
// phrase edits, and what is refused (a click past the end, edits and drags
// while the song plays, pointer notifications beyond the song).
#include <QButtonGroup>
#include <QCheckBox>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "app_test_util.h"
#include "screens/song_edit_screen.h"
#include "screens/time_line_geometry.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

// The screen opened again at another zoom.
void UseScale(CSonavexApp* app, int scale) {
  app->settings().scale = scale;
  app->ChangeSngedit();
}

CSngeditDlg* Screen(CSonavexApp* app) {
  return qobject_cast<CSngeditDlg*>(app->view()->center());
}

long MiddlePointer(CSonavexApp* app) {
  long tick = 0;
  app->mgr().GetMIDIValue(QM3_ID_POINTER_TICKS, &tick);
  return tick;
}

void Click(CSngWnd* line, int x) {
  const int y = line->phrase_lane().center().y();
  QTest::mouseClick(line->viewport(), Qt::LeftButton, {}, QPoint(x, y));
}

// The x of `tick` inside the view, whatever the scroll origin.
int XOf(CSngWnd* line, long tick) {
  return line->XOf(tick);
}

}  // namespace

class TimeLineTest : public QObject {
  Q_OBJECT

 private slots:
  void zoomTableAndSnapping();
  void clickSnapsAndTheMiddlewareMovesThePointer();
  void clickPastTheEndStopsAtTheEnd();
  void zoomKeepsTheLeftEdge();
  void dragPastTheEdgeScrollsAtOnceAndThenByTimer();
  void pointerBeyondTheSongIsIgnored();
  void phraseEditsReachTheMiddleware();
  void nothingMovesWhilePlaying();
  void bothEndsOfTheSongStayInsideTheView();
};

void TimeLineTest::zoomTableAndSnapping() {
  QCOMPARE(ZoomOf(1).ticks_per_width, 3840L);
  QCOMPARE(ZoomOf(2).ticks_per_width, 1920L);
  QCOMPARE(ZoomOf(3).ticks_per_width, 960L);
  QCOMPARE(ZoomOf(0).snap, 96L);  // a stored scale out of range is the nearest one
  QCOMPARE(ZoomOf(7).snap, 24L);
  QCOMPARE(SnapTick(11, 24), 0L);
  QCOMPARE(SnapTick(12, 24), 24L);  // halves up
  QCOMPARE(SnapTick(47, 96), 0L);
  QCOMPARE(SnapTick(48, 96), 96L);
  QCOMPARE(SnapTick(-30, 24), 0L);
  // 960 ticks over 480 pixels: two ticks a pixel, both ways.
  QCOMPARE(TickToPixel(960, 480, 960), 480L);
  QCOMPARE(PixelToTick(240, 480, 960), 478L);
  // A song shorter than the window does not scroll; a longer one up to its
  // last window.
  QCOMPARE(ScrollMax(900, 480, 960), 0L);
  QCOMPARE(ScrollMax(4000, 480, 960), 4000L - PixelToTick(480, 480, 960));
  // Pixels of long songs need 64 bits on the way.
  QCOMPARE(TickToPixel(100000000, 30000, 960), 3125000000L);
}

void TimeLineTest::clickSnapsAndTheMiddlewareMovesThePointer() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  UseScale(&s.app, 3);
  CSngWnd* line = Screen(&s.app)->sng_wnd();
  QCOMPARE(line->ticks_per_width(), 960L);
  QCOMPARE(line->snap(), 24L);
  // A tick a little past 5 snap units lands on 5 units.
  Click(line, XOf(line, 5 * 24 + 9));
  QTRY_COMPARE_WITH_TIMEOUT(MiddlePointer(&s.app), 120L, 3000);
  QTRY_COMPARE_WITH_TIMEOUT(line->pointer(), 120L, 3000);
  QVERIFY(!Screen(&s.app)->findChild<QLabel*>(QStringLiteral("pointerTime"))->text().isEmpty());
}

void TimeLineTest::clickPastTheEndStopsAtTheEnd() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  UseScale(&s.app, 1);
  CSngWnd* line = Screen(&s.app)->sng_wnd();
  const long total = line->total_ticks();
  QVERIFY(total > 0);
  line->horizontalScrollBar()->setValue(line->horizontalScrollBar()->maximum());
  Click(line, line->viewport()->width() - 2);
  QTRY_COMPARE_WITH_TIMEOUT(MiddlePointer(&s.app), total, 3000);
  QTRY_COMPARE_WITH_TIMEOUT(line->pointer(), total, 3000);
}

void TimeLineTest::zoomKeepsTheLeftEdge() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  UseScale(&s.app, 1);
  CSngeditDlg* screen = Screen(&s.app);
  CSngWnd* line = screen->sng_wnd();
  auto* in = screen->findChild<QToolButton*>(QStringLiteral("zoomIn"));
  auto* out = screen->findChild<QToolButton*>(QStringLiteral("zoomOut"));
  QVERIFY(in->isEnabled());
  QVERIFY(!out->isEnabled());
  line->horizontalScrollBar()->setValue(192);
  in->click();
  QCOMPARE(s.app.settings().scale, 2);
  QCOMPARE(line->ticks_per_width(), 1920L);
  QCOMPARE(line->origin(), 192L);
  in->click();
  QCOMPARE(line->ticks_per_width(), 960L);
  QCOMPARE(line->origin(), 192L);
  QVERIFY(!in->isEnabled());
  QVERIFY(out->isEnabled());
  in->click();  // disabled at the finest zoom: nothing changes
  QCOMPARE(s.app.settings().scale, 3);
}

void TimeLineTest::dragPastTheEdgeScrollsAtOnceAndThenByTimer() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  UseScale(&s.app, 3);
  CSngWnd* line = Screen(&s.app)->sng_wnd();
  QVERIFY(line->horizontalScrollBar()->maximum() > 10 * line->snap());
  QWidget* port = line->viewport();
  const int y = line->phrase_lane().center().y();
  QTest::mousePress(port, Qt::LeftButton, {}, QPoint(40, y));
  QTest::mouseMove(port, QPoint(port->width() / 2, y));
  QCOMPARE(line->origin(), 0L);
  QTest::mouseMove(port, QPoint(port->width() + 30, y));
  QCOMPARE(line->origin(), line->snap());  // one line at once
  QTest::mouseMove(port, QPoint(port->width() + 40, y));
  QCOMPARE(line->origin(), line->snap());  // not again for moving outside
  QTRY_VERIFY_WITH_TIMEOUT(line->origin() >= 3 * line->snap(), 5000);  // then every 500 ms
  QTest::mouseMove(port, QPoint(port->width() / 2, y));
  const long stopped = line->origin();
  QTest::qWait(700);
  QCOMPARE(line->origin(), stopped);  // back inside: the timer stopped
  QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(port->width() / 2, y));
  QTRY_COMPARE_WITH_TIMEOUT(line->pointer(), line->CorrectMouseTick(port->width() / 2), 3000);
}

void TimeLineTest::pointerBeyondTheSongIsIgnored() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  CSngeditDlg* screen = Screen(&s.app);
  CSngWnd* line = screen->sng_wnd();
  const long before = line->pointer();
  QVERIFY(!screen->UpdatePointer(line->total_ticks() + 1));
  QVERIFY(!screen->UpdatePointer(-5));
  QCOMPARE(line->pointer(), before);
  QVERIFY(screen->UpdatePointer(line->total_ticks()));
  QCOMPARE(line->pointer(), line->total_ticks());
}

void TimeLineTest::phraseEditsReachTheMiddleware() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  UseScale(&s.app, 1);
  CSngeditDlg* screen = Screen(&s.app);
  CSngWnd* line = screen->sng_wnd();
  // The pointer into the second phrase, a body phrase, selects it.
  const QM3PhraseList* list = nullptr;
  QVERIFY(s.app.mgr().GetSongTimeLineData(&list));
  QVERIFY(list->nCount >= 3);
  QCOMPARE(static_cast<int>(list->pPhrases[1].cKind), 2);
  const long second = list->pPhrases[0].nLength * kTicksPerBeat;
  Click(line, XOf(line, second + 2 * kTicksPerBeat));
  QTRY_VERIFY_WITH_TIMEOUT(line->phrases().phrases()[1].selected, 3000);
  auto* variation4 = screen->findChild<QRadioButton*>(QStringLiteral("variation4"));
  QTRY_VERIFY_WITH_TIMEOUT(variation4->isEnabled(), 3000);
  variation4->click();
  QVERIFY(s.app.mgr().GetSongTimeLineData(&list));
  QCOMPARE(static_cast<int>(list->pPhrases[1].cVariation), 3);
  long value = -1;
  QVERIFY(s.app.mgr().GetMIDIValue(QM3_ID_PHRASE_VARIATION, &value));
  QCOMPARE(value, 3L);
  QVERIFY(variation4->isChecked());
  // Fill-in "none" and the drums off, for this phrase only.
  screen->findChild<QRadioButton*>(QStringLiteral("fillIn3"))->click();
  auto* drums = screen->findChild<QCheckBox*>(QStringLiteral("part5"));
  QVERIFY(drums->isChecked());
  drums->click();
  QVERIFY(s.app.mgr().GetSongTimeLineData(&list));
  QCOMPARE(static_cast<int>(list->pPhrases[1].cFillIn), 2);
  QCOMPARE(list->pPhrases[1].nParts & (1 << 5), 0);
  QVERIFY(list->pPhrases[2].nParts & (1 << 5));
  QVERIFY(!drums->isChecked());
}

void TimeLineTest::nothingMovesWhilePlaying() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  UseScale(&s.app, 1);
  CSngeditDlg* screen = Screen(&s.app);
  CSngWnd* line = screen->sng_wnd();
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_PLAY, 1));
  bool playing = false;
  QTRY_VERIFY_WITH_TIMEOUT(s.app.mgr().IsPlayingNow(&playing) && playing, 5000);
  QTRY_VERIFY_WITH_TIMEOUT(line->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff, 5000);
  // A click far into the song neither starts a drag nor moves the pointer.
  Click(line, line->viewport()->width() - 10);
  QTest::qWait(100);
  QVERIFY(MiddlePointer(&s.app) < line->total_ticks() / 2);
  // Phrase edits are shut while the song plays.
  bool alive = true;
  QVERIFY(s.app.mgr().GetMIDIAlive(QM3_ID_PHRASE_VARIATION, &alive));
  if (alive) {
    long before = 0, after = 0;
    QVERIFY(s.app.mgr().GetMIDIValue(QM3_ID_PHRASE_VARIATION, &before));
    s.app.mgr().SetMIDIValue(QM3_ID_PHRASE_VARIATION, (before + 1) % 4);
    QVERIFY(s.app.mgr().GetMIDIValue(QM3_ID_PHRASE_VARIATION, &after));
    QCOMPARE(after, before);
  }
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_STOP, 0));
  QTRY_VERIFY_WITH_TIMEOUT(s.app.mgr().IsPlayingNow(&playing) && !playing, 5000);
  QTRY_VERIFY_WITH_TIMEOUT(line->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn, 5000);
}

void TimeLineTest::bothEndsOfTheSongStayInsideTheView() {
  AppSession s;
  QCOMPARE(StartWithSong(&s.app), CSonavexApp::Start::kRunning);
  constexpr int kKnobHalf = 5;  // the pointer's knob reaches this far either side
  for (int scale = kMinScale; scale <= kMaxScale; ++scale) {
    UseScale(&s.app, scale);
    CSngWnd* line = Screen(&s.app)->sng_wnd();
    const int width = line->viewport()->width();
    QVERIFY(line->XOf(0) - kKnobHalf >= 0);
    line->horizontalScrollBar()->setValue(line->horizontalScrollBar()->maximum());
    QVERIFY2(line->XOf(line->total_ticks()) + kKnobHalf <= width - 1,
             qPrintable(QStringLiteral("scale %1").arg(scale)));
    // Yet the end is not left far inside: the last window is full.
    QVERIFY(line->XOf(line->total_ticks()) >= width - 2 * kKnobHalf - 4);
  }
  // A click left of the song's start is its start.
  CSngWnd* line = Screen(&s.app)->sng_wnd();
  line->horizontalScrollBar()->setValue(0);
  Click(line, XOf(line, 4 * kTicksPerBeat));
  QTRY_COMPARE_WITH_TIMEOUT(line->pointer(), 4 * kTicksPerBeat, 3000);
  Click(line, 1);
  QTRY_COMPARE_WITH_TIMEOUT(MiddlePointer(&s.app), 0L, 3000);
  QTRY_COMPARE_WITH_TIMEOUT(line->pointer(), 0L, 3000);
}

QTEST_MAIN(TimeLineTest)
#include "time_line_test.moc"
