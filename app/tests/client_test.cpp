// The client's pure parts and the shell's settings and file rules, without a
// running middleware.
#include <QFile>
#include <QTest>

#include "app_test_util.h"
#include "client/control_tables.h"
#include "client/midi_data.h"
#include "client/midi_mgr.h"
#include "screens/key_forwarding.h"
#include "shell/app_settings.h"
#include "shell/file_dialogs.h"
#include "shell/message_box.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

// Records the messages instead of showing them.
class RecordingSink : public MessageSink {
 public:
  int ShowMessage(const QString& text, MessageButtons) override {
    shown << text;
    return kIdOk;
  }
  QStringList shown;
};

}  // namespace

class ClientTest : public QObject {
  Q_OBJECT

 private slots:
  void resourceTablesMapBothWays();
  void smfPartRowsShiftByFourPerPart();
  void identifierChecksRefuseWithoutCallingTheMiddleware();
  void messagesNeedTheReturnCodeTable();
  void listsFromMiddlewareRecords();
  void extensionsAndFolders();
  void settingsRoundTripAndDamage();
  void messageBoxRefusesTextsWithoutPrefix();
  void virtualKeysAndFocusIdentifiers();
};

void ClientTest::resourceTablesMapBothWays() {
  QCOMPARE(ResID2MIDIID(1008, kMainFormTable), 0x0506);
  QCOMPARE(ResID2MIDIID(1017, kMainFormTable), 0x0506);
  QCOMPARE(ResID2MIDIID(57665, kMainMenuTable), 0x430D);
  QCOMPARE(ResID2MIDIID(4242, kMainMenuTable), 0);
  // OK and Cancel mean different controls in different windows.
  QCOMPARE(ResID2MIDIID(1, kPlayTimeTable), 0x030C);
  QCOMPARE(ResID2MIDIID(1, kRealTimeTable), 0x0420);
  QCOMPARE(ResID2MIDIID(2, kTimeBaseTable), 0x0904);
  QCOMPARE(GetResID(0x0506, kMainFormTable), 1017);
  QCOMPARE(GetResID(0x4336, kMainMenuTable), 57664);
  QCOMPARE(GetResID(0x4399, kMainMenuTable), 0);
  // Every menu resource of the table maps to a menu item.
  for (const ResourceEntry* e = kMainMenuTable; e->resource != -1; ++e)
    QVERIFY(IsMenuID(ResID2MIDIID(e->resource, kMainMenuTable)));
}

void ClientTest::smfPartRowsShiftByFourPerPart() {
  QCOMPARE(ResID2MIDIID_Smf(1149, kSmfPartTable, 3, 2), 0x4115);
  QCOMPARE(ResID2MIDIID_Smf(1198, kSmfPartTable, 1, 0), 0x4104);
  QCOMPARE(ResID2MIDIID_Smf(1142, kSmfPartTable, 1, 15), 0x4142);
  // Past part 16 there is no control.
  QCOMPARE(ResID2MIDIID_Smf(1142, kSmfPartTable, 2, 15), 0);
  // The time display (index 1) is never a part control.
  QCOMPARE(ResID2MIDIID_Smf(1207, kSmfPartTable, 1, 0), 0);
}

void ClientTest::identifierChecksRefuseWithoutCallingTheMiddleware() {
  RecordingSink sink;
  CMIDIMgr mgr(&sink);
  long a = 7, b = 8;
  QVERIFY(!mgr.GetMIDIMinMax(0x4301, &a, &b));
  QCOMPARE(a, 7L);
  QVERIFY(!mgr.GetMIDIValue(GetScreenID(5), &a));
  bool alive = true;
  QVERIFY(!mgr.GetMIDIAlive(GetProcID(3), &alive));
  QVERIFY(!mgr.GetMIDIAlive(GetScreenID(3), &alive));
  QString text = QStringLiteral("kept");
  QVERIFY(!mgr.GetMIDIValueStr(0x4305, &text));
  QCOMPARE(text, QStringLiteral("kept"));
  QVERIFY(!mgr.InitialMenu(6));
  QVERIFY(!mgr.InitialMenu(-1));
  QVERIFY(sink.shown.isEmpty());
}

void ClientTest::messagesNeedTheReturnCodeTable() {
  RecordingSink sink;
  CMIDIMgr mgr(&sink);
  QCOMPARE(mgr.DispMessage(1), -1);
  QVERIFY(!mgr.IsRetry(10));
  QVERIFY(mgr.GetReturnCodeData());
  QCOMPARE(mgr.DispMessage(28), -1);
  // The count itself is past the table's last code.
  QCOMPARE(mgr.DispMessage(QM3_RETURN_CODE_COUNT), -1);
  QCOMPARE(mgr.DispMessage(-1), -1);
  QCOMPARE(mgr.DispMessage(9), static_cast<int>(kIdOk));
  QCOMPARE(sink.shown.last(),
           QStringLiteral("I\\SONAVEXが認識できません。接続を確認してから、再度アプリケーションを"
                          "起動してください。"));
  mgr.DispMessage(11);
  QCOMPARE(sink.shown.last(), QStringLiteral("E\\ファイルが書き込みできませんでした"));
  QVERIFY(mgr.IsRetry(10));
  QVERIFY(!mgr.IsRetry(9));
}

void ClientTest::listsFromMiddlewareRecords() {
  CBgmList list;
  list.Add(QStringLiteral("old"), 1);
  const QM3ChoiceData records[] = {{"A", 10, 1}, {"B", 20, 1}};
  auto name = [](const QM3ChoiceData& d) { return QString::fromLatin1(d.pszName); };
  auto data = [](const QM3ChoiceData& d, int) { return static_cast<long>(d.lValue); };
  QVERIFY(CMIDIData::FillList(&list, 2, records, name, data));
  QCOMPARE(list.size(), 2);
  QCOMPARE(list.entries()[1].second, 20L);
  // A count without records is refused and leaves the list empty.
  QVERIFY(!CMIDIData::FillList(&list, 3, static_cast<const QM3ChoiceData*>(nullptr), name, data));
  QCOMPARE(list.size(), 0);
  // Count 0 is an empty list, not an error.
  list.Add(QStringLiteral("x"), 0);
  QVERIFY(CMIDIData::FillList(&list, 0, static_cast<const QM3ChoiceData*>(nullptr), name, data));
  QCOMPARE(list.size(), 0);
}

void ClientTest::extensionsAndFolders() {
  QCOMPARE(ExtensionOf(QStringLiteral("/a.b/song.BGM")), QStringLiteral("bgm"));
  QCOMPARE(ExtensionOf(QStringLiteral("/a.b/song")), QString());
  QVERIFY(ExtensionFits(FileType::kEditable, QStringLiteral("MID")));
  QVERIFY(!ExtensionFits(FileType::kEditable, QStringLiteral("txt")));
  QVERIFY(!ExtensionFits(FileType::kSmf, QStringLiteral("wav")));
  QVERIFY(ExtensionFits(FileType::kAudio, QStringLiteral("wav")));
  QVERIFY(ExtensionFits(FileType::kAll, QString()));
  QCOMPARE(FolderOf(FileType::kSong, false), Folder::kSong);
  QCOMPARE(FolderOf(FileType::kSong, true), Folder::kDefault);
  QCOMPARE(FolderOf(FileType::kContent, false), Folder::kContent);
  QCOMPARE(FolderOf(FileType::kMelody, false), Folder::kRhythmMelody);
  QCOMPARE(FolderOf(FileType::kAudio, true), Folder::kAudio);
}

void ClientTest::settingsRoundTripAndDamage() {
  PrivateFolders folders;
  const QString path = folders.path() + QStringLiteral("/cfg/Sonavex.ini");
  {
    CAppSettings first(path, folders.path());
    QCOMPARE(first.Load(), CAppSettings::Problem::kNone);
    QCOMPARE(first.scale, 1);
    QVERIFY(!first.window.stored());
    first.scale = 3;
    first.window = StoredRect{10, 20, 810, 620};
    first.SetFolder(Folder::kAudio, folders.path());
    first.AddRecentFile(folders.path() + QStringLiteral("/a.bgm"));
    first.AddRecentFile(folders.path() + QStringLiteral("/b.mid"));
    first.AddRecentFile(folders.path() + QStringLiteral("/a.bgm"));
    QVERIFY(first.Save());
  }
  CAppSettings second(path, folders.path());
  QCOMPARE(second.Load(), CAppSettings::Problem::kNone);
  QCOMPARE(second.scale, 3);
  QCOMPARE(second.window.right, 810);
  QCOMPARE(second.folder(Folder::kAudio), folders.path());
  QCOMPARE(second.recent_files.size(), 2);
  QVERIFY(second.recent_files.first().endsWith(QStringLiteral("a.bgm")));

  // A minimised close keeps the rectangle stored before.
  second.window_state = 1;
  second.window = StoredRect{0, 0, 100, 100};
  QVERIFY(second.Save());
  CAppSettings third(path, folders.path());
  third.Load();
  QCOMPARE(third.window.right, 810);
  QCOMPARE(third.window_state, 1);

  // Damage: an inside-out rectangle, a zero byte.
  for (const QByteArray& bytes :
       {QByteArray("[Window]\nPosLeft=500\nPosTop=0\nPosRight=100\nPosBottom=50\n"),
        QByteArray("[Parameter]\nScale=2\n\0\n", 22)}) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    CAppSettings damaged(path, folders.path());
    QCOMPARE(damaged.Load(), CAppSettings::Problem::kDamaged);
    QCOMPARE(damaged.scale, 1);
    QVERIFY(!damaged.window.stored());
  }
}

void ClientTest::messageBoxRefusesTextsWithoutPrefix() {
  CModalCounter modals;
  CMessageBox box(&modals);
  QCOMPARE(box.ShowMessageOk(QString()), static_cast<int>(kIdNone));
  QCOMPARE(box.ShowMessageOk(QStringLiteral("no prefix")), static_cast<int>(kIdNone));
  QCOMPARE(box.ShowMessageOk(QStringLiteral("X\\unknown icon")), static_cast<int>(kIdNone));
  QCOMPARE(box.ShowMessageOk(QStringLiteral("I\\") + QString(766, QLatin1Char('a'))),
           static_cast<int>(kIdNone));
  // A good one counts as a modal while open and answers the button pressed.
  int seen = -1;
  AnswerModal("QMessageBox", [&](QWidget* w) {
    seen = modals.count();
    ClickButton(w, "second");
  });
  QCOMPARE(box.ShowMessageYesNo(QStringLiteral("Q\\continue?")), static_cast<int>(kIdNo));
  QCOMPARE(seen, 1);
  QCOMPARE(modals.count(), 0);
}

void ClientTest::virtualKeysAndFocusIdentifiers() {
  QCOMPARE(VirtualKeyOf(Qt::Key_F11), 122);
  QCOMPARE(VirtualKeyOf(Qt::Key_F12), 123);
  QCOMPARE(VirtualKeyOf(Qt::Key_A), 'A');
  QCOMPARE(VirtualKeyOf(Qt::Key_Return), 0x0D);
  QCOMPARE(VirtualKeyOf(Qt::Key_Eacute), 0);
  QWidget screen;
  screen.setProperty("screenNumber", kScreenSongPane);
  QWidget inner(&screen);
  QWidget control(&inner);
  control.setProperty("midiId", 0x4003);
  QCOMPARE(FocusedControlId(&control), 0x4003);
  QCOMPARE(FocusedControlId(&inner), GetScreenID(kScreenSongPane));
  QWidget alone;
  QCOMPARE(FocusedControlId(&alone), 0);
}

QTEST_MAIN(ClientTest)
#include "client_test.moc"
