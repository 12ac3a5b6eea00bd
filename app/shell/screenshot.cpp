#include "shell/screenshot.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "dialogs/choice_dialogs.h"
#include "dialogs/convert_dialog.h"
#include "dialogs/device_dialog.h"
#include "dialogs/playtime_dialog.h"
#include "dialogs/realtime_dialog.h"
#include "dialogs/time_dialog.h"
#include "dialogs/tree_dialog.h"
#include "qm3middle_ids.h"
#include "shell/sonavex_app.h"
#include "shell/splash.h"
#include "shell/tour_smf.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

bool Save(QWidget* widget, const QString& folder, const QString& name) {
  widget->show();
  QApplication::processEvents();
  const bool ok = widget->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
  if (!ok) TraceLog("画像を書き込めませんでした: %s", name.toUtf8().constData());
  return ok;
}

// Lets the middleware work for `ms` of real time with the events handled.
void Run(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
}

// The conversion dialog over a real SMF conversion of the song, a little way
// in; the conversion is then cancelled and leaves nothing behind.
int SaveConversion(CSonavexApp* app, const QString& folder) {
  QTemporaryDir target;
  if (!target.isValid() || !app->mgr().ConvertSMFAll(target.filePath(QStringLiteral("tour.mid"))))
    return 0;
  CConvertDlg convert(&app->mgr(), CConvertDlg::kSmf, app->frame());
  convert.show();
  // Until the bar has moved (the song starts after the module's count-in).
  QElapsedTimer waited;
  waited.start();
  long progress = 0;
  while (waited.elapsed() < 12000 && progress < 5) {
    Run(CConvertDlg::kPollMs);
    app->mgr().GetMIDIValue(QM3_ID_CONVERT_PROGRESS, &progress);
  }
  Run(CConvertDlg::kPollMs + 100);
  const int written = Save(&convert, folder, QStringLiteral("convert"));
  convert.reject();
  return written;
}

// The library window with one added entry.
int SaveLibrary(CSonavexApp* app, const QString& folder, bool rhythm) {
  const QString name = rhythm ? QStringLiteral("tour.rhy") : QStringLiteral("tour.mel");
  if (!app->mgr().AddRhyMel(rhythm ? 0 : 1, QDir::temp().filePath(name))) return 0;
  CTreeDlg tree(&app->mgr(), &app->data(), &app->messages(),
                rhythm ? CTreeDlg::kRhythms : CTreeDlg::kMelodies, app->frame());
  tree.tree()->setCurrentItem(tree.tree()->topLevelItem(0));
  const int written = Save(
      &tree, folder, rhythm ? QStringLiteral("library_rhythm") : QStringLiteral("library_melody"));
  rhythm ? app->mgr().RemoveRhythm(0) : app->mgr().RemoveMelody(0);
  return written;
}

// The real-time dialog before a run, then during a recorded one: the intro
// playing with variation 2 waiting (its lamp blinks). The run is cancelled.
int SaveRealtime(CSonavexApp* app, const QString& folder) {
  CRealtimeDlg realtime(&app->mgr(), &app->data(), app->frame());
  app->mgr().ChangeWindow(QM3_SCREEN_REAL_TIME);
  realtime.InitControl();
  realtime.adjustSize();
  int written = Save(&realtime, folder, QStringLiteral("realtime"));
  const auto press = [&realtime](const char* name) {
    if (auto* b = realtime.pad()->findChild<QAbstractButton*>(QString::fromUtf8(name))) b->click();
  };
  press("record");
  press("introEnd1");
  Run(900);
  press("variation2");
  // Until the waiting lamp is lit (it blinks with the beat).
  QElapsedTimer waited;
  waited.start();
  long lit = 0;
  while (waited.elapsed() < 3000 && lit == 0) {
    Run(20);
    app->mgr().GetMIDIValue(QM3_ID_VARIATION_LAMP(2), &lit);
  }
  realtime.UpdateRedraw();
  written += Save(&realtime, folder, QStringLiteral("realtime_run"));
  app->mgr().SetMIDIValue(QM3_ID_RECORD_BUTTON, 0);
  app->mgr().SetMIDIValue(QM3_ID_STOP, 0);
  app->mgr().SetMIDIValue(QM3_ID_REAL_TIME_CANCEL, 1);
  realtime.hide();
  return written;
}

// The SMF-edit screen over a small file made for the tour, with a range
// of two measures chosen.
int SaveSmfScreen(CSonavexApp* app, const QString& folder) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("tour.mid"));
  if (!dir.isValid() || !WriteTourSmf(path) || !app->OpenNamedFile(path)) return 0;
  constexpr long kMeasure = 384;
  app->mgr().SetPointerPos(2 * kMeasure);
  app->mgr().SetPointerRange(2 * kMeasure, 4 * kMeasure);
  Run(200);
  return Save(app->frame(), folder, QStringLiteral("main_smf_edit"));
}

}  // namespace

int TakeScreenshots(CSonavexApp* app, const QString& folder) {
  if (!QDir().mkpath(folder)) return -1;
  int written = 0;
  CMainFrame* frame = app->frame();
  frame->resize(frame->sizeHint().expandedTo(QSize(760, 520)));

  // A 47-second song of the default choices, so the song-edit screen has
  // phrases (a fresh settings file has no playing time yet). The times are
  // written without the fit notes a user would see.
  app->mgr().SetMIDIValue(QM3_ID_MENU_NEW_PLAY_TIME_SONG, 1);
  app->mgr().SetValue(QM3_ID_START_TIME, QM3_CMD_VALUE, 0, 0);
  app->mgr().SetValue(QM3_ID_END_TIME, QM3_CMD_VALUE, 47 * 30, 0);
  app->mgr().SetMIDIValue(QM3_ID_CREATE_SONG_BUTTON, 1);
  app->ChangeSngedit();
  written += Save(frame, folder, QStringLiteral("main_song_edit"));
  if (CControlDlg* transport = app->control_dlg()) {
    transport->UpdatePointer(false);
    written += Save(transport, folder, QStringLiteral("transport"));
  }

  // Every menu of the menu bar, opened.
  const QList<QAction*> menus = frame->menuBar()->actions();
  for (int i = 0; i < menus.size(); ++i) {
    QMenu* menu = menus[i]->menu();
    if (menu == nullptr) continue;
    frame->RefreshCommandStates();
    menu->popup(frame->mapToGlobal(frame->menuBar()->actionGeometry(menus[i]).bottomLeft()));
    QApplication::processEvents();
    written += menu->grab().save(folder + QStringLiteral("/menu_%1.png").arg(i + 1));
    menu->hide();
  }

  CSonavexSplashWindow splash;
  written += Save(&splash, folder, QStringLiteral("splash"));
  splash.hide();

  CWelcomeDlg welcome(frame);
  written += Save(&welcome, folder, QStringLiteral("welcome"));
  welcome.hide();
  CFileNewDlg file_new(frame);
  written += Save(&file_new, folder, QStringLiteral("file_new"));
  file_new.hide();
  CTimeDlg time(&app->mgr(), &app->data(), &app->messages(), frame);
  time.InitControl();
  written += Save(&time, folder, QStringLiteral("time_base"));
  time.hide();
  CDeviceDlg device(&app->mgr(), &app->data(), frame);
  device.InitControl();
  written += Save(&device, folder, QStringLiteral("midi_output"));
  device.hide();
  written += SaveLibrary(app, folder, true);
  written += SaveLibrary(app, folder, false);
  written += SaveConversion(app, folder);
  CAboutDlg about(frame);
  written += Save(&about, folder, QStringLiteral("about"));
  about.hide();
  CPlaytimeDlg playtime(&app->mgr(), &app->data(), frame);
  app->mgr().ChangeWindow(QM3_SCREEN_PLAY_TIME);
  playtime.InitControl();
  written += Save(&playtime, folder, QStringLiteral("playtime"));
  playtime.hide();
  written += SaveRealtime(app, folder);

  QMessageBox box(QMessageBox::Question, QStringLiteral("Sonavex"),
                  QStringLiteral("編集中のファイル[名称未設定]を保存しますか？"));
  box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
  written += Save(&box, folder, QStringLiteral("message_save_changes"));
  box.hide();

  // Last, as it replaces the song: the SMF-edit screen with a file open.
  written += SaveSmfScreen(app, folder);
  return written;
}

}  // namespace sonavex::app
