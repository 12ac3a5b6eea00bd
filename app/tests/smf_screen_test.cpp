// The SMF-edit screen against the real middleware: part edits that survive
// saving and opening again, the range dragged on the time line and answered
// by the middleware, part scrolling, the note activity records, and what is
// refused (a file that does not import, drags while playing).
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include "app_test_util.h"
#include "controls/bgm_spin.h"
#include "dialogs/sound_dialog.h"
#include "screens/delta_ticks.h"
#include "screens/smf_edit_screen.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

void Put32(QByteArray* b, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) b->append(static_cast<char>((v >> s) & 0xFF));
}

// A format-0 file, 96 ticks a quarter, 4/4: eight measures of a note on
// every beat on channels 1 and 2, drums on channel 10 and, for the part
// scrolling, channel 16.
QByteArray EightMeasures() {
  QByteArray t;
  auto event = [&t](uint8_t delta, std::initializer_list<int> bytes) {
    t.append(static_cast<char>(delta));
    for (int b : bytes) t.append(static_cast<char>(b));
  };
  event(0, {0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20});  // 120 beats a minute
  event(0, {0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08});
  event(0, {0xC0, 0});
  event(0, {0xC1, 32});
  event(0, {0xCF, 48});
  for (int beat = 0; beat < 32; ++beat) {
    event(0, {0x90, 60, 100});
    event(0, {0x91, 48, 70});
    event(0, {0x99, 36, 110});
    event(0, {0x9F, 72, 40});
    event(90, {0x80, 60, 0});
    event(0, {0x81, 48, 0});
    event(0, {0x89, 36, 0});
    event(0, {0x8F, 72, 0});
    event(6, {0xB0, 0x07, 100});
  }
  event(0, {0xFF, 0x2F, 0x00});
  QByteArray f("MThd");
  Put32(&f, 6);
  f.append(QByteArray::fromHex("000000010060"));
  f.append("MTrk");
  Put32(&f, static_cast<uint32_t>(t.size()));
  f.append(t);
  return f;
}

QString WriteFile(const QString& folder, const QString& name, const QByteArray& bytes) {
  const QString path = folder + QLatin1Char('/') + name;
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(bytes);
  return path;
}

CSmfeditDlg* Screen(CSonavexApp* app) {
  return qobject_cast<CSmfeditDlg*>(app->view()->center());
}

}  // namespace

class SmfScreenTest : public QObject {
  Q_OBJECT

 private slots:
  void noteActivityRecords();
  void partEditsSurviveSaveAndOpen();
  void rangeDraggedOnTheTimeLine();
  void scrollingRebindsTheRows();
  void fileThatDoesNotImportKeepsTheScreen();
  void noDragWhilePlaying();
  void rowsLineUpWithTheTimeLine();
  void withoutAFileTheRowsStandEmpty();
};

void SmfScreenTest::noteActivityRecords() {
  CTimeLine line;
  // Two parts at one tick (the louder of two notes kept), then 200 ticks
  // later (a two-byte delta) part 16.
  const uint8_t good[] = {0x00, 0, 50, 0x00, 0, 90, 0x00, 3, 20, 0x81, 0x48, 15, 127};
  QVERIFY(line.CreateDeltaTick(good, sizeof good));
  QCOMPARE(line.entries().size(), size_t{2});
  QCOMPARE(int{line.entries()[0].loudness[0]}, 90);
  QCOMPARE(int{line.entries()[0].loudness[3]}, 20);
  QCOMPARE(line.entries()[1].delta, 200L);
  QCOMPARE(int{line.entries()[1].loudness[15]}, 127);
  QCOMPARE(line.GetSongAll(), 200L);
  // Each broken record empties the list.
  const uint8_t no_loudness[] = {0x00, 0, 50, 0x10, 2};
  const uint8_t long_delta[] = {0x81, 0x81, 0x81, 0x81, 0x81, 0x01, 0, 50};
  const uint8_t bad_part[] = {0x00, 16, 50};
  const uint8_t bad_loudness[] = {0x00, 1, 128};
  const uint8_t cut_delta[] = {0x00, 1, 50, 0x81};
  for (const auto& [bytes, size] : {std::pair{no_loudness, sizeof no_loudness},
                                    {long_delta, sizeof long_delta},
                                    {bad_part, sizeof bad_part},
                                    {bad_loudness, sizeof bad_loudness},
                                    {cut_delta, sizeof cut_delta}}) {
    QVERIFY(line.CreateDeltaTick(good, sizeof good));
    QVERIFY(!line.CreateDeltaTick(bytes, size));
    QVERIFY(line.entries().empty());
  }
  QVERIFY(line.CreateDeltaTick(nullptr, 0));
  QCOMPARE(line.GetSongAll(), 0L);
}

void SmfScreenTest::partEditsSurviveSaveAndOpen() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  const QString path = WriteFile(s.folders.path(), QStringLiteral("parts.mid"), EightMeasures());
  QVERIFY(s.app.OpenNamedFile(path));
  CSmfeditDlg* screen = Screen(&s.app);
  QVERIFY(screen != nullptr);
  QVERIFY(screen->smf_wnd()->total_ticks() >= 8 * 384 - 96);

  // Part 2's sound through the chooser: the first sound of another group.
  long chosen = -1;
  AnswerModal("sonavex::app::CSoundDlg", [&chosen](QWidget* w) {
    auto* dialog = static_cast<CSoundDlg*>(w);
    QTreeWidgetItem* group = dialog->tree()->topLevelItem(1);
    if (group != nullptr && group->childCount() > 0) {
      dialog->tree()->setCurrentItem(group->child(0));
    }
    chosen = dialog->number();
    ClickButton(dialog, "ok");
  });
  screen->findChild<QToolButton*>(QStringLiteral("chooseSound2"))->click();
  QVERIFY(chosen >= 0);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_PART_SOUND(2)), chosen);
  const QString shown = screen->findChild<QLabel*>(QStringLiteral("sound2"))->text();
  QCOMPARE(shown, screen->sounds().GetSoundName(chosen).trimmed());

  // Volume by a step, pan typed.
  auto* volume = screen->findChild<CBgmSpin*>(QStringLiteral("volume2"));
  auto* pan = screen->findChild<CBgmSpin*>(QStringLiteral("pan2"));
  QCOMPARE(volume->id(), QM3_ID_PART_VOLUME(2));
  const long volume_before = MiddleValue(&s.app, QM3_ID_PART_VOLUME(2));
  volume->UpDown(-5);
  const long volume_after = MiddleValue(&s.app, QM3_ID_PART_VOLUME(2));
  QCOMPARE(volume_after, std::max(volume->minimum(), volume_before - 5));
  long pan_typed = 0;
  QVERIFY(s.app.mgr().GetMIDIStrValue(QM3_ID_PART_PAN(2), QStringLiteral("20"), &pan_typed));
  pan->edit()->setText(QStringLiteral("20"));
  pan->NoticeEdit();
  QCOMPARE(MiddleValue(&s.app, QM3_ID_PART_PAN(2)), pan_typed);
  // Part 1 silenced with its switch.
  auto* play = screen->findChild<QToolButton*>(QStringLiteral("play1"));
  QVERIFY(play->isChecked());
  play->click();
  QCOMPARE(MiddleValue(&s.app, QM3_ID_PART_PLAY(1)), 0L);

  QVERIFY(s.app.mgr().SaveFile());
  QVERIFY(s.app.OpenNamedFile(path));
  screen = Screen(&s.app);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_PART_SOUND(2)), chosen);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_PART_VOLUME(2)), volume_after);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_PART_PAN(2)), pan_typed);
  QCOMPARE(screen->findChild<QLabel*>(QStringLiteral("sound2"))->text(), shown);
  QCOMPARE(screen->findChild<CBgmSpin*>(QStringLiteral("volume2"))->value(), volume_after);
}

void SmfScreenTest::rangeDraggedOnTheTimeLine() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(s.app.OpenNamedFile(
      WriteFile(s.folders.path(), QStringLiteral("range.mid"), EightMeasures())));
  CSmfWnd* line = Screen(&s.app)->smf_wnd();
  QWidget* port = line->viewport();
  const int y = line->row(0).center().y();
  const int from_x = port->width() / 5, to_x = port->width() / 2;
  const long first = line->CorrectMouseTick(from_x), last = line->CorrectMouseTick(to_x);
  QVERIFY(last > first);
  QTest::mousePress(port, Qt::LeftButton, {}, QPoint(from_x, y));
  QTest::mouseMove(port, QPoint(to_x, y));
  QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(to_x, y));
  // The window shows the range once the middleware has answered with it.
  QTRY_COMPARE_WITH_TIMEOUT(line->range_first(), first, 3000);
  QTRY_COMPARE_WITH_TIMEOUT(line->range_last(), last, 3000);

  // Shift extends it past the song's end: it stops at the end.
  line->horizontalScrollBar()->setValue(line->horizontalScrollBar()->maximum());
  QTest::mouseClick(port, Qt::LeftButton, Qt::ShiftModifier, QPoint(port->width() - 1, y));
  QTRY_COMPARE_WITH_TIMEOUT(line->range_last(), line->total_ticks(), 3000);
  QCOMPARE(line->range_first(), first);

  // A click is a range of no length: the pointer goes there.
  line->horizontalScrollBar()->setValue(0);
  const long at = line->CorrectMouseTick(port->width() / 3);
  QTest::mouseClick(port, Qt::LeftButton, {}, QPoint(port->width() / 3, y));
  QTRY_COMPARE_WITH_TIMEOUT(line->range_first(), at, 3000);
  QTRY_COMPARE_WITH_TIMEOUT(line->range_last(), at, 3000);
  QTRY_COMPARE_WITH_TIMEOUT(MiddleValue(&s.app, QM3_ID_PART_POINTER_TICKS), at, 3000);
}

void SmfScreenTest::scrollingRebindsTheRows() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(s.app.OpenNamedFile(
      WriteFile(s.folders.path(), QStringLiteral("scroll.mid"), EightMeasures())));
  CSmfeditDlg* screen = Screen(&s.app);
  screen->part_bar()->triggerAction(QAbstractSlider::SliderToMaximum);
  QCOMPARE(screen->part_bar()->value(), 10);
  QCOMPARE(screen->smf_wnd()->top_part(), 10);
  QCOMPARE(screen->findChild<QLabel*>(QStringLiteral("label1"))->text(), QStringLiteral("ﾊﾟｰﾄ10"));
  QCOMPARE(screen->findChild<QLabel*>(QStringLiteral("label7"))->text(), QStringLiteral("ﾊﾟｰﾄ16"));
  QCOMPARE(ItemOf(screen->findChild<CBgmSpin*>(QStringLiteral("volume1"))->id()), 41);
  QCOMPARE(ItemOf(screen->findChild<CBgmSpin*>(QStringLiteral("pan1"))->id()), 42);
  // Part 16 plays in the file: its row's value is the middleware's.
  auto* volume16 = screen->findChild<CBgmSpin*>(QStringLiteral("volume7"));
  QCOMPARE(volume16->value(), MiddleValue(&s.app, QM3_ID_PART_VOLUME(16)));
  // A line further down at the bottom does nothing; a page up goes to 3.
  screen->part_bar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  QCOMPARE(screen->part_bar()->value(), 10);
  screen->part_bar()->triggerAction(QAbstractSlider::SliderPageStepSub);
  QCOMPARE(screen->part_bar()->value(), 3);
  QCOMPARE(screen->findChild<QLabel*>(QStringLiteral("label1"))->text(), QStringLiteral("ﾊﾟｰﾄ3"));
}

void SmfScreenTest::fileThatDoesNotImportKeepsTheScreen() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  const QString good = WriteFile(s.folders.path(), QStringLiteral("good.mid"), EightMeasures());
  QVERIFY(s.app.OpenNamedFile(good));
  CSmfeditDlg* screen = Screen(&s.app);
  const long total = screen->smf_wnd()->total_ticks();
  QByteArray broken = EightMeasures();
  broken.truncate(30);  // the track's length runs past the end
  const QString bad = WriteFile(s.folders.path(), QStringLiteral("broken.mid"), broken);
  QString shown;
  AnswerMessage(true, &shown);
  QVERIFY(!s.app.OpenNamedFile(bad));
  QVERIFY(!shown.isEmpty());
  QCOMPARE(Screen(&s.app), screen);
  QCOMPARE(screen->smf_wnd()->total_ticks(), total);
  QString name;
  QVERIFY(s.app.mgr().GetEditFileName(&name));
  QCOMPARE(name, good);
}

void SmfScreenTest::noDragWhilePlaying() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(s.app.OpenNamedFile(
      WriteFile(s.folders.path(), QStringLiteral("play.mid"), EightMeasures())));
  CSmfWnd* line = Screen(&s.app)->smf_wnd();
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_PLAY, 1));
  bool playing = false;
  QTRY_VERIFY_WITH_TIMEOUT(s.app.mgr().IsPlayingNow(&playing) && playing, 5000);
  QWidget* port = line->viewport();
  const int y = line->row(0).center().y();
  QTest::mousePress(port, Qt::LeftButton, {}, QPoint(port->width() / 4, y));
  QTest::mouseRelease(port, Qt::LeftButton, {}, QPoint(port->width() / 2, y));
  QTest::qWait(200);
  QCOMPARE(line->range_last(), line->range_first());
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_STOP, 0));
  QTRY_VERIFY_WITH_TIMEOUT(s.app.mgr().IsPlayingNow(&playing) && !playing, 5000);
}

void SmfScreenTest::rowsLineUpWithTheTimeLine() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(s.app.OpenNamedFile(
      WriteFile(s.folders.path(), QStringLiteral("rows.mid"), EightMeasures())));
  CSmfeditDlg* screen = Screen(&s.app);
  CSmfWnd* line = screen->smf_wnd();
  // Each row's sound field spans its row of the time line to the pixel,
  // below the rulers.
  auto rows_match = [screen, line] {
    if (line->measure_lane().bottom() >= line->row(0).top()) return false;
    for (int r = 0; r < CSmfWnd::kRows; ++r) {
      auto* sound = screen->findChild<QLabel*>(QStringLiteral("sound%1").arg(r + 1));
      const int top = line->viewport()->mapFrom(screen, sound->mapTo(screen, QPoint(0, 0))).y();
      if (top != line->row(r).top() || top + sound->height() - 1 != line->row(r).bottom()) {
        return false;
      }
    }
    return true;
  };
  QTRY_VERIFY_WITH_TIMEOUT(rows_match(), 3000);
  // The main form makes room for the whole screen: the time line's scroll
  // bar is not cut off below.
  QWidget* frame = screen->parentWidget();
  QScrollBar* bar = line->horizontalScrollBar();
  QTRY_VERIFY_WITH_TIMEOUT(
      frame->rect().contains(QRect(bar->mapTo(frame, QPoint(0, 0)), bar->size())), 3000);
  // A larger window, and the rows follow.
  s.app.frame()->resize(s.app.frame()->width() + 120, s.app.frame()->height() + 90);
  QTRY_VERIFY_WITH_TIMEOUT(rows_match(), 3000);
}

void SmfScreenTest::withoutAFileTheRowsStandEmpty() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  QVERIFY(s.app.mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 1));
  QVERIFY(s.app.ChangeSmfedit());
  CSmfeditDlg* screen = Screen(&s.app);
  QVERIFY(screen != nullptr);
  for (int r = 1; r <= CSmfWnd::kRows; ++r) {
    auto* sound = screen->findChild<QLabel*>(QStringLiteral("sound%1").arg(r));
    auto* volume = screen->findChild<CBgmSpin*>(QStringLiteral("volume%1").arg(r));
    auto* pan = screen->findChild<CBgmSpin*>(QStringLiteral("pan%1").arg(r));
    auto* play = screen->findChild<QToolButton*>(QStringLiteral("play%1").arg(r));
    QVERIFY(sound->text().trimmed().isEmpty());
    QVERIFY(volume->text().isEmpty());
    QVERIFY(pan->text().isEmpty());
    QVERIFY(!play->isChecked());
    for (QWidget* w : std::initializer_list<QWidget*>{sound, volume, pan, play}) {
      QVERIFY(!w->isEnabled());
    }
  }
  QVERIFY(!screen->part_bar()->isEnabled());
  // A file opened: its parts fill the rows.
  QVERIFY(s.app.OpenNamedFile(
      WriteFile(s.folders.path(), QStringLiteral("fill.mid"), EightMeasures())));
  screen = Screen(&s.app);
  auto* volume = screen->findChild<CBgmSpin*>(QStringLiteral("volume1"));
  QVERIFY(volume->isEnabled());
  QString shown;
  QVERIFY(s.app.mgr().GetMIDIValueStr(QM3_ID_PART_VOLUME(1), &shown));
  QCOMPARE(volume->text(), shown.trimmed());
  QVERIFY(!screen->findChild<QLabel*>(QStringLiteral("sound1"))->text().trimmed().isEmpty());
  QVERIFY(screen->part_bar()->isEnabled());
}

QTEST_MAIN(SmfScreenTest)
#include "smf_screen_test.moc"
