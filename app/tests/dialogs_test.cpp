// The small dialogs against the real middleware: the time base and the MIDI
// output write what is chosen and refuse an empty choice; the new-song and
// welcome dialogs open with one choice checked; the library window adds and
// removes entries and explains what it refuses.
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "app_test_util.h"
#include "dialogs/choice_dialogs.h"
#include "dialogs/convert_dialog.h"
#include "dialogs/tree_dialog.h"
#include "shell/command_table.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

// A key on `widget` of the active window (a message box just closed may have
// left no window active on the offscreen platform).
void Press(QWidget* widget, Qt::Key key) {
  QApplication::setActiveWindow(widget->window());
  QTest::keyClick(widget, key);
}

}  // namespace

class DialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void timeDialogWritesBothChoices();
  void timeDialogRefusesAnEmptyChoice();
  void deviceDialogChoosesAnOutput();
  void choiceDialogsOpenWithOneChoice();
  void libraryWindowAddsAndRemoves();
  void conversionDialogWithoutProgressWaitsForCancel();
};

void DialogsTest::timeDialogWritesBothChoices() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  const long base = MiddleValue(&s.app, QM3_ID_TIME_BASE),
             format = MiddleValue(&s.app, QM3_ID_TIME_DISPLAY_MODE);
  long shown_base = -1, shown_format = -1;
  AnswerModal("sonavex::app::CTimeDlg", [&](QWidget* w) {
    auto* base_box = Child<QComboBox>(w, "timeBase");
    auto* format_box = Child<QComboBox>(w, "timeFormat");
    shown_base = base_box->currentData().toLongLong();
    shown_format = format_box->currentData().toLongLong();
    QCOMPARE(base_box->count(), 4);
    QCOMPARE(format_box->count(), 7);
    QCOMPARE(base_box->itemText(2), QStringLiteral("29.97"));
    base_box->setCurrentIndex(base_box->findData(1));
    format_box->setCurrentIndex(format_box->findData(0));
    ClickButton(w, "ok");
  });
  s.app.OnCommand(ID_SETUP_TIME);
  QCOMPARE(shown_base, base);
  QCOMPARE(shown_format, format);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_TIME_BASE), 1L);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_TIME_DISPLAY_MODE), 0L);
  // Cancel writes nothing.
  AnswerModal("sonavex::app::CTimeDlg", [](QWidget* w) {
    auto* base_box = Child<QComboBox>(w, "timeBase");
    QCOMPARE(base_box->currentData().toLongLong(), 1LL);
    base_box->setCurrentIndex(base_box->findData(3));
    ClickButton(w, "cancel");
  });
  s.app.OnCommand(ID_SETUP_TIME);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_TIME_BASE), 1L);
}

void DialogsTest::timeDialogRefusesAnEmptyChoice() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  const long base = MiddleValue(&s.app, QM3_ID_TIME_BASE),
             format = MiddleValue(&s.app, QM3_ID_TIME_DISPLAY_MODE);
  QString shown;
  bool stayed = false;
  AnswerModal("sonavex::app::CTimeDlg", [&](QWidget* w) {
    Child<QComboBox>(w, "timeBase")->setCurrentIndex(Child<QComboBox>(w, "timeBase")->findData(0));
    Child<QComboBox>(w, "timeFormat")->setCurrentIndex(-1);
    AnswerMessage(true, &shown);
    ClickButton(w, "ok");
    stayed = w->isVisible();
    ClickButton(w, "cancel");
  });
  s.app.OnCommand(ID_SETUP_TIME);
  QCOMPARE(shown, QStringLiteral("ﾃﾞｰﾀの選択が不正です"));
  QVERIFY(stayed);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_TIME_BASE), base);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_TIME_DISPLAY_MODE), format);
}

void DialogsTest::deviceDialogChoosesAnOutput() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  const long first = MiddleValue(&s.app, QM3_ID_MIDI_OUT_DEVICE);
  const int ports = s.app.data().out_devices().size();
  QVERIFY(ports >= 2);
  const long other = first == 0 ? 1 : 0;
  AnswerModal("sonavex::app::CDeviceDlg", [&](QWidget* w) {
    auto* list = Child<QListWidget>(w, "devices");
    QCOMPARE(list->count(), ports);
    QCOMPARE(list->currentRow(), static_cast<int>(first));
    QCOMPARE(list->item(0)->text(), s.app.data().out_devices().entries()[0].first);
    // Moving down the list with the keyboard, then Enter.
    list->setFocus();
    QTest::keyClick(list, other > first ? Qt::Key_Down : Qt::Key_Up);
    QCOMPARE(list->currentRow(), static_cast<int>(other));
    ClickButton(w, "ok");
  });
  s.app.OnCommand(ID_SETUP_DEVICE);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_MIDI_OUT_DEVICE), other);
  // Cancel keeps the choice; the dialog opens on it.
  AnswerModal("sonavex::app::CDeviceDlg", [&](QWidget* w) {
    auto* list = Child<QListWidget>(w, "devices");
    QCOMPARE(list->currentRow(), static_cast<int>(other));
    list->setCurrentRow(static_cast<int>(first));
    ClickButton(w, "cancel");
  });
  s.app.OnCommand(ID_SETUP_DEVICE);
  QCOMPARE(MiddleValue(&s.app, QM3_ID_MIDI_OUT_DEVICE), other);
}

void DialogsTest::choiceDialogsOpenWithOneChoice() {
  CFileNewDlg file_new(nullptr);
  QVERIFY(Child<QRadioButton>(&file_new, "playTime")->isChecked());
  QVERIFY(!Child<QRadioButton>(&file_new, "realTime")->isChecked());
  file_new.play_time = false;
  file_new.real_time = true;
  AnswerModal("sonavex::app::CFileNewDlg", [](QWidget* w) {
    QVERIFY(Child<QRadioButton>(w, "realTime")->isChecked());
    Child<QRadioButton>(w, "playTime")->click();
    ClickButton(w, "ok");
  });
  QCOMPARE(file_new.exec(), static_cast<int>(QDialog::Accepted));
  QVERIFY(file_new.play_time);
  QVERIFY(!file_new.real_time);

  // The welcome choice is one across both groups; OK untouched gives mode 0.
  CWelcomeDlg welcome(nullptr);
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "ok"); });
  welcome.exec();
  QCOMPARE(welcome.GetOpenMode(), 0);
  welcome.SetOpenMode(3);
  QVERIFY(!Child<QRadioButton>(&welcome, "mode0")->isChecked());
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) {
    Child<QRadioButton>(w, "mode1")->click();
    QVERIFY(!Child<QRadioButton>(w, "mode3")->isChecked());
    ClickButton(w, "ok");
  });
  welcome.exec();
  QCOMPARE(welcome.GetOpenMode(), 1);
}

void DialogsTest::libraryWindowAddsAndRemoves() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  const QString rhythm = s.folders.path() + QStringLiteral("/mine.rhy");
  ScriptedChooser* files =
      AnswerFiles(&s.app, {s.folders.path() + QStringLiteral("/wrong.txt"), QString(), rhythm});
  QStringList shown;
  AnswerModal("sonavex::app::CTreeDlg", [&](QWidget* w) {
    auto* dialog = static_cast<CTreeDlg*>(w);
    QTreeWidget* tree = dialog->tree();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("リズムの追加と削除"));
    QCOMPARE(tree->topLevelItemCount(), 0);
    // A file of the wrong kind is refused and the request asked again;
    // cancelling it adds nothing.
    QString refused;
    AnswerMessage(true, &refused);
    dialog->OnFileAdd();
    shown << refused;
    QCOMPARE(tree->topLevelItemCount(), 0);
    // Insert adds through the application's command.
    Press(tree, Qt::Key_Insert);
    QCOMPARE(tree->topLevelItemCount(), 1);
    QTreeWidgetItem* added = tree->topLevelItem(0);
    QCOMPARE(added->text(0), QStringLiteral("追加１"));
    const QString info = dialog->FileInfo(added);
    QVERIFY2(info.startsWith(QStringLiteral("リズム番号 [")), qPrintable(info));
    QVERIFY(info.contains(QStringLiteral("\r\nリズム名 [追加１]\r\nデフォルトテンポ [")));
    // Delete without a selection explains itself and removes nothing.
    tree->clearSelection();
    tree->setCurrentItem(nullptr);
    QString unselected;
    AnswerMessage(true, &unselected);
    Press(tree, Qt::Key_Delete);
    shown << unselected;
    QCOMPARE(tree->topLevelItemCount(), 1);
    tree->setCurrentItem(tree->topLevelItem(0));
    Press(tree, Qt::Key_Delete);
    QCOMPARE(tree->topLevelItemCount(), 0);
    dialog->reject();
  });
  s.app.OnCommand(ID_FILE_RMV_RHYTHM);
  QCOMPARE(shown, QStringList({QStringLiteral("不正なﾌｧｲﾙが指定されました"),
                               QStringLiteral("削除したいものを選択してください。")}));
  QCOMPARE(files->requests().size(), 3);
  const QM3RhythmList* left = nullptr;
  QVERIFY(s.app.mgr().GetDelRhythmData(&left));
  QCOMPARE(static_cast<int>(left->cCount), 0);

  // Melodies: a flat list with their own tooltip.
  AnswerFiles(&s.app, {s.folders.path() + QStringLiteral("/mine.mel")});
  AnswerModal("sonavex::app::CTreeDlg", [](QWidget* w) {
    auto* dialog = static_cast<CTreeDlg*>(w);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("メロディーの追加と削除"));
    dialog->OnFileAdd();
    QCOMPARE(dialog->tree()->topLevelItemCount(), 1);
    QVERIFY(dialog->FileInfo(dialog->tree()->topLevelItem(0))
                .endsWith(QStringLiteral("\r\nメロディ名 [追加１]")));
    QCOMPARE(dialog->FileInfo(nullptr), QStringLiteral("選択してください。"));
    dialog->reject();
  });
  s.app.OnCommand(ID_FILE_RMV_MELODY);
  const QM3MelodyList* melodies = nullptr;
  QVERIFY(s.app.mgr().GetDelMelodyData(&melodies));
  QCOMPARE(static_cast<int>(melodies->cCount), 1);
}

void DialogsTest::conversionDialogWithoutProgressWaitsForCancel() {
  AppSession s;
  QCOMPARE(StartWithoutWelcome(&s.app), CSonavexApp::Start::kRunning);
  // No conversion runs: the progress stays below 100 and only Cancel ends it.
  CConvertDlg dialog(&s.app.mgr(), CConvertDlg::kAudio, s.app.frame());
  QCOMPARE(dialog.windowTitle(), QStringLiteral("ｵｰﾃﾞｨｵに変換中"));
  bool open_after_polls = false;
  AnswerModal("sonavex::app::CConvertDlg", [&](QWidget* w) {
    QTest::qWait(3 * CConvertDlg::kPollMs + 100);
    open_after_polls = w->isVisible();
    ClickButton(w, "cancel");
  });
  QCOMPARE(dialog.exec(), static_cast<int>(QDialog::Rejected));
  QVERIFY(open_after_polls);
  long progress = -1;
  QVERIFY(s.app.mgr().GetMIDIValue(QM3_ID_CONVERT_PROGRESS, &progress));
  QVERIFY(progress < 100);
}

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
