// The shared controls: the spin's steps, limits and typed entries against
// the real middleware, and the list and tree controls' keyboard and mouse
// behaviour on data of their own.
#include <QComboBox>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "app_test_util.h"
#include "controls/bgm_list.h"
#include "controls/bgm_spin.h"
#include "controls/rhythm_tree.h"
#include "controls/sound_tree.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

CRhythmTree SampleRhythms() {
  CRhythmTree tree;
  CRhythmGroup pops(QStringLiteral("Pops"));
  pops.Add({QStringLiteral("Pops 1"), 0x0100, 120});
  pops.Add({QStringLiteral("Pops 2"), 0x0101, 96});
  pops.Select(-1);
  CRhythmGroup jazz(QStringLiteral("Jazz"));
  jazz.Add({QStringLiteral("Swing"), 0x0200, 140});
  jazz.Add({QStringLiteral("Ballad"), 0x0201, 70});
  jazz.Select(-1);
  tree.AddGroup(pops);
  tree.AddGroup(jazz);
  return tree;
}

}  // namespace

class ControlsTest : public QObject {
  Q_OBJECT

 private slots:
  void spinStepsByKeyAndMouseAndStopsAtTheLimits();
  void spinTypedTextIsCommittedAndReformatted();
  void listFillsBoxesAndSelectsByData();
  void rhythmTreeKeysTellTheChosenRhythm();
  void rhythmTreeMouseAndGroupOpening();
  void treesFromMiddlewareData();
};

void ControlsTest::spinStepsByKeyAndMouseAndStopsAtTheLimits() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  CBgmSpin spin;
  QVERIFY(spin.Bind(&s.app.mgr(), QM3_ID_FADE_OUT_SECONDS));
  QCOMPARE(spin.minimum(), 1L);
  QCOMPARE(spin.maximum(), 9L);
  QVERIFY(spin.Refresh());
  QCOMPARE(spin.text(), QStringLiteral("1"));
  QSignalSpy committed(&spin, &CBgmSpin::ValueCommitted);

  QTest::keyClick(spin.edit(), Qt::Key_Up);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 2L);
  QCOMPARE(spin.text(), QStringLiteral("2"));
  // A page step past the top stops at the top; another step writes it again.
  QTest::keyClick(spin.edit(), Qt::Key_PageUp);
  QCOMPARE(spin.value(), 9L);
  QTest::keyClick(spin.edit(), Qt::Key_Up);
  QCOMPARE(spin.value(), 9L);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 9L);
  QCOMPARE(committed.count(), 3);
  QTest::keyClick(spin.edit(), Qt::Key_PageDown);
  QTest::keyClick(spin.edit(), Qt::Key_Down);
  QCOMPARE(spin.value(), 1L);
  QCOMPARE(spin.text(), QStringLiteral("1"));

  // Mouse: the up button and one wheel notch each step by one.
  spin.findChild<QToolButton*>(QStringLiteral("up"))->click();
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 2L);
  QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&spin, &wheel);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 3L);
  spin.findChild<QToolButton*>(QStringLiteral("down"))->click();
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 2L);
}

void ControlsTest::spinTypedTextIsCommittedAndReformatted() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  CBgmSpin spin;
  QVERIFY(spin.Bind(&s.app.mgr(), QM3_ID_FADE_OUT_SECONDS));
  spin.Refresh();
  spin.edit()->selectAll();
  QTest::keyClicks(spin.edit(), QStringLiteral("7"));
  QTest::keyClick(spin.edit(), Qt::Key_Return);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 7L);
  QVERIFY(!spin.edit()->isModified());
  // The middleware's width limits typing.
  QCOMPARE(spin.edit()->maxLength(), 1);
  // Enter with Shift is not a commit; leaving the modified field is.
  spin.edit()->setText(QStringLiteral("4"));
  spin.edit()->setModified(true);
  QTest::keyClick(spin.edit(), Qt::Key_Return, Qt::ShiftModifier);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 7L);
  spin.CommitIfModified();
  QCOMPARE(MiddleValue(&s.app, QM3_ID_FADE_OUT_SECONDS), 4L);

  // A time typed as digits comes back in the middleware's time format; the
  // end time (and the intro) had to move, which the middleware tells.
  CBgmSpin start;
  QVERIFY(start.Bind(&s.app.mgr(), QM3_ID_START_TIME));
  start.edit()->setText(QStringLiteral("4700"));
  QString shown;
  AnswerMessage(true, &shown);
  start.NoticeEdit();
  QCOMPARE(start.text(), QStringLiteral("0:00:47:00"));
  QCOMPARE(MiddleValue(&s.app, QM3_ID_START_TIME), 47L * 30);
  QVERIFY(shown.startsWith(QStringLiteral("時間内におさまらないため")));
  // A time out of range is refused: the field shows the time kept.
  start.edit()->setText(QStringLiteral("9:99:99:99"));
  start.NoticeEdit();
  QCOMPARE(start.text(), QStringLiteral("0:00:47:00"));
  QCOMPARE(MiddleValue(&s.app, QM3_ID_START_TIME), 47L * 30);
}

void ControlsTest::listFillsBoxesAndSelectsByData() {
  CBgmList list;
  list.Add(QStringLiteral("Intro 1"), 0);
  list.Add(QStringLiteral("Intro 2"), 1);
  list.Add(QStringLiteral("intro 1"), 7);  // same name as the first, other case
  list.Add(QStringLiteral("None"), 4);
  QComboBox combo;
  QCOMPARE(CBgmList::GetSelectComboData(&combo), -1L);
  list.AddControl(&combo, 4);
  QCOMPARE(combo.count(), 4);
  QCOMPARE(CBgmList::GetSelectComboData(&combo), 4L);
  // Selecting by a name the box shares selects the first such entry.
  QVERIFY(list.Select(&combo, 7));
  QCOMPARE(combo.currentIndex(), 0);
  QVERIFY(!list.Select(&combo, 99));
  QCOMPARE(combo.currentIndex(), 0);
  list.AddControl(&combo, 99);
  QCOMPARE(CBgmList::GetSelectComboData(&combo), -1L);

  // The keyboard moves through the box, and the data follows.
  list.AddControl(&combo, 0);
  QSignalSpy changed(&combo, &QComboBox::currentIndexChanged);
  QTest::keyClick(&combo, Qt::Key_Down);
  QCOMPARE(CBgmList::GetSelectComboData(&combo), 1L);
  QTest::keyClick(&combo, Qt::Key_End);
  QCOMPARE(CBgmList::GetSelectComboData(&combo), 4L);
  QCOMPARE(changed.count(), 2);

  QListWidget box;
  list.AddControl(&box, 1);
  QCOMPARE(box.currentRow(), 1);
  QTest::keyClick(&box, Qt::Key_Down);
  QCOMPARE(box.currentItem()->data(Qt::UserRole).toLongLong(), 7LL);
}

void ControlsTest::rhythmTreeKeysTellTheChosenRhythm() {
  CRhythmTreeCtrl tree;
  QSignalSpy chosen(&tree, &CCatalogTreeCtrl::SelectionChosen);
  tree.CreateTree(SampleRhythms(), 0x0201);
  tree.show();
  tree.setFocus();
  QCOMPARE(chosen.count(), 0);  // building selects without telling
  QCOMPARE(tree.currentItem()->text(0), QStringLiteral("Ballad"));
  QCOMPARE(tree.tree().GetSelNumFromGroup(QStringLiteral("Jazz")), 0x0201L);

  QTest::keyClick(&tree, Qt::Key_Up);
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0200LL);
  // Left goes to the group: the group stands for the rhythm last chosen.
  QTest::keyClick(&tree, Qt::Key_Left);
  QCOMPARE(tree.currentItem()->text(0), QStringLiteral("Jazz"));
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0200LL);
  QTest::keyClick(&tree, Qt::Key_Up);
  QCOMPARE(tree.currentItem()->text(0), QStringLiteral("Pops"));
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0100LL);
  // Opening the selected group moves onto its current rhythm.
  QTest::keyClick(&tree, Qt::Key_Right);
  QTRY_COMPARE(tree.currentItem()->text(0), QStringLiteral("Pops 1"));
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0100LL);
  QTest::keyClick(&tree, Qt::Key_Down);
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0101LL);

  QString name;
  long tempo = 0;
  QVERIFY(tree.tree().GetNamesFromSelNum(0x0101, &name, &tempo));
  QCOMPARE(name, QStringLiteral("Pops 2"));
  QCOMPARE(tempo, 96L);
  // A number that is not its group's current one has no names.
  QVERIFY(!tree.tree().GetNamesFromSelNum(0x0100, &name, &tempo));
  // The program's selection is not told.
  QVERIFY(tree.SelectNumber(0x0200));
  QCOMPARE(tree.currentItem()->text(0), QStringLiteral("Swing"));
  QVERIFY(!tree.SelectNumber(0x0999));
  QCOMPARE(chosen.count(), 0);
}

void ControlsTest::rhythmTreeMouseAndGroupOpening() {
  CRhythmTreeCtrl tree;
  tree.resize(240, 300);
  tree.CreateTree(SampleRhythms(), 0x0100);
  tree.expandAll();
  tree.show();
  QVERIFY(QTest::qWaitForWindowExposed(&tree));
  QSignalSpy chosen(&tree, &CCatalogTreeCtrl::SelectionChosen);
  QTreeWidgetItem* jazz = tree.topLevelItem(1);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {},
                    tree.visualItemRect(jazz->child(1)).center());
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0201LL);
  // Clicking a group chooses its current rhythm; opening a group that is
  // not selected leaves the selection alone.
  tree.collapseItem(jazz);
  QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(jazz).center());
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0201LL);
  tree.collapseItem(tree.topLevelItem(0));
  tree.expandItem(tree.topLevelItem(0));
  QTest::qWait(20);
  QCOMPARE(tree.currentItem(), jazz);
  tree.expandItem(jazz);
  QTRY_COMPARE(tree.currentItem(), jazz->child(1));
  QCOMPARE(chosen.takeFirst().at(0).toLongLong(), 0x0201LL);

  // No groups: an empty tree, no error.
  tree.CreateTree(CRhythmTree(), 0);
  QCOMPARE(tree.topLevelItemCount(), 0);
  QVERIFY(!tree.SelectNumber(0x0100));
}

void ControlsTest::treesFromMiddlewareData() {
  QM3RhythmData rhythms[2] = {};
  rhythms[0].pszName = "A";
  rhythms[0].lID = 5;
  rhythms[0].lTempo = 100;
  rhythms[1].pszName = "B";
  rhythms[1].lID = 6;
  QM3RhythmGroup group{2, rhythms, "G"};
  QM3RhythmGroupList list{1, &group};
  CRhythmTree tree;
  QVERIFY(tree.Create(&list));
  QCOMPARE(tree.GetSelNumFromGroup(QStringLiteral("G")), 5L);
  QCOMPARE(tree.GetRhythmName(6), QStringLiteral("B"));
  QCOMPARE(tree.SelectRhythm(6), QStringLiteral("G"));
  QCOMPARE(tree.GetSelNumFromGroup(QStringLiteral("G")), 6L);
  QCOMPARE(tree.GetSelNumFromGroup(QStringLiteral("H")), -1L);
  // A count without records empties the tree and fails.
  group.pRhythm = nullptr;
  QVERIFY(!tree.Create(&list));
  QVERIFY(tree.empty());
  QM3RhythmGroupList none{0, nullptr};
  QVERIFY(tree.Create(&none));

  QM3SoundData sounds[2] = {{"Piano           ", 0x0000}, {"Organ", 0x0010}};
  QM3SoundGroup sound_group{2, sounds, "Keys"};
  QM3SoundGroupList sound_list{1, &sound_group};
  CSoundTree sound_tree;
  QVERIFY(sound_tree.Create(&sound_list));
  QCOMPARE(sound_tree.GetSoundName(0), QStringLiteral("Piano"));
  QCOMPARE(sound_tree.GetSelNumFromSound(QStringLiteral("Keys"), QStringLiteral("Organ")), 0x10L);
  QCOMPARE(sound_tree.GetNameFromSelNum(0x10), QStringLiteral("Organ"));
  CSoundTreeCtrl ctrl;
  ctrl.CreateTree(sound_tree, 0x10);
  QCOMPARE(ctrl.currentItem()->text(0), QStringLiteral("Organ"));
  QCOMPARE(CCatalogTreeCtrl::KindOf(ctrl.currentItem()), int(CCatalogTreeCtrl::kEntryItem));
}

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
