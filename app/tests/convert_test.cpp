// Conversions through the conversion dialog, on the virtual clock: a song of
// 47 seconds to a Standard MIDI File and to WAV, each read back and checked;
// closing the dialog half-way cancels and leaves nothing behind; a start the
// middleware refuses shows its message and opens no dialog.
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTest>
#include <cstdlib>
#include <cstring>

#include "app_test_util.h"
#include "dialogs/convert_dialog.h"
#include "midibytes/smf_file.h"
#include "midibytes/track_walker.h"
#include "shell/command_table.h"

using namespace sonavex::app;
using namespace sonavex::app::testing;

namespace {

constexpr long kSongSeconds = 47;

StartOptions Options(bool sound) {
  StartOptions o = QuietOptions();
  o.link.module_sound = sound;
  return o;
}

// Starts with the welcome cancelled, then makes a song of 47 seconds at
// 30 frames per second through the new-song command.
bool StartWithFortySevenSecondSong(CSonavexApp* app) {
  AnswerModal("sonavex::app::CWelcomeDlg", [](QWidget* w) { ClickButton(w, "cancel"); });
  if (app->InitInstance() != CSonavexApp::Start::kRunning) return false;
  if (!app->mgr().SetMIDIValue(QM3_ID_TIME_BASE, 3)) return false;
  AnswerModal("sonavex::app::CPlaytimeDlg", [app](QWidget* w) {
    app->mgr().SetMIDIValue(QM3_ID_START_TIME, 0);
    app->mgr().SetMIDIValue(QM3_ID_END_TIME, kSongSeconds * 30);
    ClickButton(w, "ok");
  });
  app->OnCommand(ID_FILE_NEW_PLAY);
  long ticks = 0, seconds = 0;
  return app->mgr().GetMIDIValue(QM3_ID_SONG_LENGTH, &ticks) && ticks > 0 &&
         app->mgr().Tick2Sec(ticks, &seconds) && std::labs(seconds - kSongSeconds) <= 1;
}

// Runs conversion command `id` into `target`; the closing message's text.
QString Convert(CSonavexApp* app, int id, const QString& target) {
  AnswerFiles(app, {target});
  QString shown;
  AnswerMessage(true, &shown);
  app->OnCommand(id);
  return shown;
}

QByteArray ReadAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

uint32_t Le(const QByteArray& b, int at, int size) {
  uint32_t v = 0;
  for (int i = size - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(b[at + i]);
  return v;
}

// Closes the conversion dialog once the middleware's progress reaches
// `percent`. Looks at every turn of the event loop, like the clock's pump, so
// the virtual clock cannot run past it. Tells whether the transport window
// was on screen meanwhile.
void CloseConversionAt(CSonavexApp* app, long percent, bool* transport_shown) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, app, percent, transport_shown] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->inherits("sonavex::app::CConvertDlg")) return;
    long progress = 0;
    if (!app->mgr().GetMIDIValue(QM3_ID_CONVERT_PROGRESS, &progress) || progress < percent) return;
    timer->stop();
    timer->deleteLater();
    *transport_shown = app->control_dlg() != nullptr && app->control_dlg()->isVisible();
    modal->close();
  });
  timer->start(0);
}

}  // namespace

class ConvertTest : public QObject {
  Q_OBJECT

 private slots:
  void songConvertsToSmf();
  void songConvertsToWav();
  void closingSmfHalfWayCancelsAndLeavesNothing();
  void closingWavHalfWayCancelsAndLeavesNothing();
  void refusedStartShowsTheMiddlewaresMessage();
  void unwritableTargetIsNotReportedAsConverted();
};

void ConvertTest::songConvertsToSmf() {
  AppSession s(Options(false), AppSession::Clock::kVirtual);
  QVERIFY(StartWithFortySevenSecondSong(&s.app));
  const QString target = s.folders.path() + QStringLiteral("/song.mid");
  QCOMPARE(Convert(&s.app, ID_FILE_CONVALL_SMF, target), QStringLiteral("変換が終了しました"));

  const QByteArray bytes = ReadAll(target);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.constData());
  midibytes::SmfHeader header;
  QVERIFY(midibytes::ReadHeader(data, bytes.size(), &header));
  QCOMPARE(header.format, uint16_t{0});
  QCOMPARE(header.division, uint16_t{96});
  midibytes::TrackWalker walker(data, static_cast<int32_t>(bytes.size()));
  QVERIFY(walker.Valid());
  // Its playing time from the tempo map, and what it plays.
  double seconds = 0, us_per_tick = 500000.0 / 96;
  int notes = 0;
  bool named = false;
  midibytes::SmfEvent e;
  midibytes::SmfStep step;
  while ((step = walker.Next(&e)) == midibytes::SmfStep::kEvent) {
    seconds += e.delta * us_per_tick / 1e6;
    if (e.Kind() == 0x90 && e.length == 2 && data[e.data + 1] > 0) ++notes;
    if (e.status == 0xFF && e.type == 0x51 && e.length == 3)
      us_per_tick = (data[e.data] << 16 | data[e.data + 1] << 8 | data[e.data + 2]) / 96.0;
    if (e.status == 0xFF && e.length == 19 &&
        std::memcmp(data + e.data, "Corvane SY-QM3-0001", 19) == 0)
      named = true;
  }
  seconds += e.delta * us_per_tick / 1e6;
  QCOMPARE(step, midibytes::SmfStep::kEnd);
  QVERIFY(named);
  QVERIFY2(notes > 50, qPrintable(QString::number(notes)));
  QVERIFY2(seconds > kSongSeconds - 3 && seconds < kSongSeconds + 5,
           qPrintable(QString::number(seconds)));
  // The finished SMF conversion shows the song again, unchanged.
  QCOMPARE(s.app.edit_mode(), 0);
  // A finished conversion reads 100: the dialog closes at its first tick.
  CConvertDlg again(&s.app.mgr(), CConvertDlg::kSmf, s.app.frame());
  QCOMPARE(again.exec(), static_cast<int>(QDialog::Accepted));
}

void ConvertTest::songConvertsToWav() {
  AppSession s(Options(true), AppSession::Clock::kVirtual);
  QVERIFY(StartWithFortySevenSecondSong(&s.app));
  const QString target = s.folders.path() + QStringLiteral("/song.wav");
  QCOMPARE(Convert(&s.app, ID_FILE_CONVALL_AUDIO, target), QStringLiteral("変換が終了しました"));

  const QByteArray wav = ReadAll(target);
  QVERIFY(wav.size() > 44);
  QCOMPARE(wav.left(4), QByteArray("RIFF"));
  QCOMPARE(wav.mid(8, 4), QByteArray("WAVE"));
  QCOMPARE(Le(wav, 4, 4), static_cast<uint32_t>(wav.size() - 8));
  int at = 12, data_at = -1;
  uint32_t data_size = 0;
  while (at + 8 <= wav.size()) {
    const QByteArray tag = wav.mid(at, 4);
    const uint32_t size = Le(wav, at + 4, 4);
    if (tag == "fmt ") {
      QCOMPARE(Le(wav, at + 8, 2), 1u);       // PCM
      QCOMPARE(Le(wav, at + 10, 2), 2u);      // stereo
      QCOMPARE(Le(wav, at + 12, 4), 44100u);  // samples per second
      QCOMPARE(Le(wav, at + 22, 2), 16u);     // bits per sample
    } else if (tag == "data") {
      data_at = at + 8;
      data_size = size;
    }
    at += 8 + static_cast<int>(size) + static_cast<int>(size & 1);
  }
  QVERIFY(data_at > 0);
  QVERIFY(data_at + static_cast<qint64>(data_size) <= wav.size());
  const double seconds = data_size / 4.0 / 44100.0;
  QVERIFY2(std::abs(seconds - kSongSeconds) < 2, qPrintable(QString::number(seconds)));
  int loudest = 0;
  for (uint32_t i = 0; i + 1 < data_size; i += 2) {
    const auto sample = static_cast<int16_t>(Le(wav, data_at + static_cast<int>(i), 2));
    loudest = std::max(loudest, std::abs(static_cast<int>(sample)));
  }
  QVERIFY2(loudest > 1000, qPrintable(QString::number(loudest)));
}

namespace {

// The middleware is one per process: each variant is its own test.
void CancelHalfWay(int command, const QString& name) {
  AppSession s(Options(false), AppSession::Clock::kVirtual);
  QVERIFY(StartWithFortySevenSecondSong(&s.app));
  const QString out = s.folders.path() + QStringLiteral("/out");
  QVERIFY(QDir().mkpath(out));
  QVERIFY(s.app.control_dlg() != nullptr && s.app.control_dlg()->isVisible());
  bool transport_shown = true;
  CloseConversionAt(&s.app, 40, &transport_shown);
  QCOMPARE(Convert(&s.app, command, out + QLatin1Char('/') + name),
           QStringLiteral("変換を中断しました"));
  // The transport window stood aside during the conversion and is back.
  QVERIFY(!transport_shown);
  QVERIFY(s.app.control_dlg()->isVisible());
  QVERIFY2(QDir(out).isEmpty(), qPrintable(QDir(out).entryList().join(QLatin1Char(' '))));
  bool playing = true;
  QVERIFY(s.app.mgr().IsPlayingNow(&playing));
  QVERIFY(!playing);
  long progress = -1;
  QVERIFY(s.app.mgr().GetMIDIValue(QM3_ID_CONVERT_PROGRESS, &progress));
  QVERIFY(progress < 100);
}

}  // namespace

void ConvertTest::closingSmfHalfWayCancelsAndLeavesNothing() {
  CancelHalfWay(ID_FILE_CONVALL_SMF, QStringLiteral("song.mid"));
}

void ConvertTest::closingWavHalfWayCancelsAndLeavesNothing() {
  CancelHalfWay(ID_FILE_CONVALL_AUDIO, QStringLiteral("song.wav"));
}

void ConvertTest::refusedStartShowsTheMiddlewaresMessage() {
  AppSession s(Options(false), AppSession::Clock::kVirtual);
  QVERIFY(StartWithFortySevenSecondSong(&s.app));
  const QString target = s.folders.path() + QStringLiteral("/part.mid");
  // No range is selected: the middleware refuses the selection's conversion.
  bool dialog = false;
  AnswerModal(
      "sonavex::app::CConvertDlg",
      [&dialog](QWidget* w) {
        dialog = true;
        ClickButton(w, "cancel");
      },
      3000);
  QCOMPARE(Convert(&s.app, ID_FILE_CONVSEL_SMF, target),
           QStringLiteral("範囲が選択されていません"));
  QTest::qWait(3100);
  QVERIFY(!dialog);
  QVERIFY(!QFile::exists(target));
}

void ConvertTest::unwritableTargetIsNotReportedAsConverted() {
  AppSession s(Options(false), AppSession::Clock::kVirtual);
  QVERIFY(StartWithFortySevenSecondSong(&s.app));
  const QString out = s.folders.path() + QStringLiteral("/out");
  QVERIFY(QDir().mkpath(out));
  AnswerFiles(&s.app, {out + QStringLiteral("/song.mid")});
  // The target's folder goes away while the conversion runs.
  AnswerModal("sonavex::app::CConvertDlg", [out](QWidget*) { QDir(out).removeRecursively(); });
  AnswerEveryMessage messages;
  s.app.OnCommand(ID_FILE_CONVALL_SMF);
  QVERIFY2(messages.shown().size() == 1 &&
               messages.shown()[0] == QStringLiteral("ファイルが書き込みできませんでした"),
           qPrintable(messages.shown().join(QLatin1Char('|'))));
  QVERIFY(!QFile::exists(out));
}

QTEST_MAIN(ConvertTest)
#include "convert_test.moc"
