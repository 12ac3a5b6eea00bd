#include "shell/screenshot.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include "dialogs/choice_dialogs.h"
#include "dialogs/song_dialogs.h"
#include "qm3middle_ids.h"
#include "shell/sonavex_app.h"
#include "shell/splash.h"
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

}  // namespace

int TakeScreenshots(CSonavexApp* app, const QString& folder) {
  if (!QDir().mkpath(folder)) return -1;
  int written = 0;
  CMainFrame* frame = app->frame();
  frame->resize(frame->sizeHint().expandedTo(QSize(760, 520)));

  // A one-minute song of the default choices, so the song-edit screen has
  // phrases (a fresh settings file has no playing time yet).
  app->mgr().SetMIDIValue(QM3_ID_MENU_NEW_PLAY_TIME_SONG, 1);
  app->mgr().SetMIDIValue(QM3_ID_CREATE_SONG_BUTTON, 1);
  app->ChangeSngedit();
  written += Save(frame, folder, QStringLiteral("main_song_edit"));
  app->mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 1);
  app->ChangeSmfedit();
  written += Save(frame, folder, QStringLiteral("main_smf_edit"));
  app->mgr().SetMIDIValue(QM3_ID_EDITING_MODE, 0);
  app->ChangeSngedit();

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
  CAboutDlg about(frame);
  written += Save(&about, folder, QStringLiteral("about"));
  about.hide();
  CPlaytimeDlg playtime(&app->mgr(), frame);
  playtime.SetRhythmNamer([app](long value) { return app->data().RhythmName(value); });
  playtime.InitControl();
  written += Save(&playtime, folder, QStringLiteral("playtime"));
  playtime.hide();

  QMessageBox box(QMessageBox::Question, QStringLiteral("Sonavex"),
                  QStringLiteral("編集中のファイル[名称未設定]を保存しますか？"));
  box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
  box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
  written += Save(&box, folder, QStringLiteral("message_save_changes"));
  box.hide();
  return written;
}

}  // namespace sonavex::app
