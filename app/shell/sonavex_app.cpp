#include "shell/sonavex_app.h"

#include <QApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

#include "client/control_tables.h"
#include "dialogs/choice_dialogs.h"
#include "screens/key_forwarding.h"
#include "shell/command_table.h"
#include "shell/splash.h"
#include "shell/trace.h"

// The pictures are compiled into the application's static library.
static void InitSonavexResources() {
  Q_INIT_RESOURCE(sonavex);
  Q_INIT_RESOURCE(screens);
}

namespace sonavex::app {
namespace {

constexpr int kHandOverTimeoutMs = 5000;

}  // namespace

CSonavexApp::CSonavexApp(const StartOptions& options) : options_(options), link_(options.link) {
  InitSonavexResources();
  messages_.SetUnattended(options.unattended);
  skipped_.SetUnattended(options.unattended);
  const QString path =
      options.settings_path.isEmpty() ? CAppSettings::DefaultPath() : options.settings_path;
  settings_ = std::make_unique<CAppSettings>(path, CHostLink::ProgramFolder());
  connect(&instance_, &CSingleInstance::Activated, this, &CSonavexApp::OnActivated);
  connect(qApp, &QGuiApplication::applicationStateChanged, this, &CSonavexApp::OnApplicationState);
  messages_.SetControlWindowHook(ControlWindowHook());
}

std::function<void(bool)> CSonavexApp::ControlWindowHook() {
  return [this](bool shown) {
    if (shown) {
      ShowControlDlg();
    } else {
      HideControlDlg();
    }
  };
}

CSonavexApp::~CSonavexApp() {
  if (middleware_bound_ && !ended_) mgr_.End();
  if (keys_ != nullptr) qApp->removeEventFilter(keys_);
  control_.reset();
  delete frame_;
  if (splash_) delete splash_.data();
}

CSonavexApp::Start CSonavexApp::InitInstance() {
  // One instance: a second start hands its file to the first and ends.
  if (options_.single_instance && !instance_.Claim()) {
    if (!CSingleInstance::HandOver(options_.file, kHandOverTimeoutMs)) {
      TraceLog("起動中のｱﾌﾟﾘｹｰｼｮﾝに接続できませんでした");
      return Start::kFailed;
    }
    return Start::kHandedOver;
  }
  TraceLog("CSonavexApp::InitInstance");
  splash_ = new CSonavexSplashWindow;
  splash_->show();
  QApplication::processEvents();

  const CAppSettings::Problem settings_problem = settings_->Load();

  link_.Open();
  if (!mgr_.InitManager(link_.window(), link_.message())) {
    TraceLog("MIDIManagerの初期設定に失敗しました\n");
    return Start::kFailed;
  }
  middleware_bound_ = true;
  link_.Listen([this](long w, long l) {
    OnMiddle(w, l);
    ScheduleRefresh();
  });
  if (!mgr_.SetIniFileName(settings_->path())) {
    TraceLog("INIﾌｧｲﾙの通知に失敗しました\n");
    return Start::kFailed;
  }
  if (!data_.InitListInfo()) {
    TraceLog("リスト情報の構築に失敗しました\n");
    return Start::kFailed;
  }

  long version = 0;
  mgr_.GetDllVersion(&version);
  frame_ = new CMainFrame(this, version);
  view_ = new CSonavexView(&mgr_, frame_);
  view_->SetScaleStore(&settings_->scale);
  view_->SetModeChangedHook([this] { QTimer::singleShot(0, this, &CSonavexApp::ChangeScreen); });
  frame_->setCentralWidget(view_);
  frame_->SetRecentFiles(settings_->recent_files);
  messages_.SetOwner(frame_);
  skipped_.SetOwner(frame_);
  keys_ = new CKeyForwarder(&mgr_, this);
  qApp->installEventFilter(keys_);

  const StoredRect& placed = settings_->window;
  if (placed.stored()) frame_->setGeometry(placed.rect());
  fit_window_ = !placed.stored() && settings_->window_state != 2;

  if (splash_) splash_->FinishLater();
  if (settings_->window_state == 2) {
    frame_->showMaximized();
  } else {
    frame_->show();
  }
  SetTitle();
  if (options_.stop_after_show) {
    QApplication::processEvents();
    return Start::kRunning;
  }

  // Told once: the file is rewritten with good values on exit.
  if (settings_problem == CAppSettings::Problem::kDamaged) {
    messages_.ShowMessageOk(QStringLiteral("E\\設定ﾌｧｲﾙ[%1]が壊れているため、初期設定で起動します")
                                .arg(settings_->path()));
  } else if (settings_problem == CAppSettings::Problem::kUnwritable) {
    messages_.ShowMessageOk(
        QStringLiteral("E\\設定ﾌｧｲﾙ[%1]に書き込めないため、設定は保存されません")
            .arg(settings_->path()));
  }

  if (!options_.file.isEmpty()) {
    if (!OpenNamedFile(options_.file)) ChangeSngedit();
  } else if (options_.welcome) {
    RunWelcome();
  } else {
    mgr_.InitialMenu(kChoiceNone);
    ChangeSngedit();
  }
  started_ = true;
  frame_->RefreshCommandStates();
  return Start::kRunning;
}

void CSonavexApp::RunWelcome() {
  ChangeSngedit();
  const QString title = frame_->windowTitle();
  frame_->setWindowTitle(QStringLiteral("Sonavex"));
  CWelcomeDlg welcome(frame_);
  welcome.SetOpenMode(0);
  int result = 0;
  {
    ModalDialogScope modal(this);
    result = welcome.exec();
  }
  frame_->setWindowTitle(title);
  if (result != QDialog::Accepted) {
    if (!mgr_.InitialMenu(kChoiceNone))
      TraceLog("初期画面切替え時のﾐﾄﾞﾙへの通知に失敗しました。\n");
    content_kind_ = 0;
    ChangeSngedit();
    return;
  }
  const int mode = welcome.GetOpenMode();
  if (!mgr_.InitialMenu(mode)) {
    TraceLog("初期画面切替え時のﾐﾄﾞﾙへの通知に失敗しました。\n");
    ChangeSngedit();
    return;
  }
  switch (mode) {
    case kChoiceNewPlayTime:
    case kChoiceNewRealTime:
      RunSongDialog(mode == kChoiceNewRealTime);
      ChangeScreen();
      return;
    case kChoiceOpenSong:
    case kChoiceOpenSmf:
    case kChoiceOpenContent: {
      const FileType type = mode == kChoiceOpenSong  ? FileType::kSong
                            : mode == kChoiceOpenSmf ? FileType::kSmf
                                                     : FileType::kContent;
      QString file;
      if (OpenFileDlg(Files(), type, false, &file)) {
        OpenByExtension(file, "InitInstance ﾐｳﾄﾞﾙｳｪｱへのﾌｧｲﾙ名通知に失敗しました [%s]");
      } else {
        ChangeSngedit();
      }
      return;
    }
    default:
      TraceLog("不正なﾓｰﾄﾞが指定されました iOpenMode[%d]\n", mode);
      ChangeSngedit();
  }
}

bool CSonavexApp::OpenNamedFile(const QString& file) {
  const QString ext = ExtensionOf(file);
  if (!ExtensionFits(FileType::kEditable, ext)) {
    TraceLog("画面遷移できないファイルが選択されました\n");
    messages_.ShowMessageOk(QStringLiteral("E\\不正なﾌｧｲﾙが指定されました"));
    return false;
  }
  return OpenByExtension(file, "OnFileBgmOpen ﾐｳﾄﾞﾙｳｪｱへのﾌｧｲﾙ名通知に失敗しました [%s]");
}

bool CSonavexApp::OpenByExtension(const QString& file, const char* failure_trace) {
  if (!mgr_.OpenFile(file)) {
    TraceLog(failure_trace, file.toUtf8().constData());
    return false;
  }
  settings_->AddRecentFile(file);
  frame_->SetRecentFiles(settings_->recent_files);
  const QString ext = ExtensionOf(file);
  if (ext == QLatin1String("bgm")) {
    content_kind_ = 0;
    return ChangeSngedit();
  }
  content_kind_ = ext == QLatin1String("mid") ? 1 : 2;
  return ChangeSmfedit();
}

void CSonavexApp::OnActivated(const QString& file) {
  if (frame_ == nullptr) return;
  if (frame_->isMinimized()) frame_->showNormal();
  frame_->raise();
  frame_->activateWindow();
  if (file.isEmpty() || modals_.count() > 0) return;
  if (ChangeEditFile()) OpenNamedFile(file);
}

void CSonavexApp::SetTitle() {
  QString name;
  bool saved = true;
  if (!mgr_.GetFileInfo(&name, &saved)) TraceLog("ﾌｧｲﾙ情報取得に失敗\n");
  const QString shown = name.isEmpty() ? QStringLiteral("名称未設定") : QFileInfo(name).fileName();
  frame_->setWindowTitle(QStringLiteral("SONAVEX - %1").arg(shown));
}

void CSonavexApp::FitWindow() {
  if (frame_ == nullptr || frame_->isMaximized()) return;
  frame_->adjustSize();
  QScreen* screen = frame_->screen();
  if (screen == nullptr) return;
  const QRect area = screen->availableGeometry();
  const QSize wanted = frame_->sizeHint().expandedTo(frame_->minimumSizeHint());
  if (wanted.width() > area.width() || wanted.height() > area.height()) {
    frame_->setGeometry(area);
  } else {
    frame_->resize(wanted);
  }
}

bool CSonavexApp::OnClose() {
  if (!WriteCommand(ID_APP_EXIT)) {
    TraceLog("終了通知：失敗");
  } else {
    TraceLog("終了通知：成功");
  }
  if (!ChangeEditFile()) return false;
  settings_->window_state = frame_->isMinimized() ? 1 : frame_->isMaximized() ? 2 : 0;
  if (settings_->window_state == 0) settings_->window = StoredRect::From(frame_->geometry());
  UpdateRectWindow();
  if (control_ != nullptr) control_->hide();
  frame_->hide();
  if (!settings_->Save()) TraceLog("INIﾌｧｲﾙへの書き込みに失敗しました");
  mgr_.End();
  ended_ = true;
  sleep_.SetPlaying(false);
  QTimer::singleShot(0, this, &CSonavexApp::Finished);
  return true;
}

void CSonavexApp::OnActivate(bool active) {
  if (!started_) return;
  // The time line of the current edit screen is drawn again.
  UpdateRedraw(GetMIDIID(edit_mode_ == kSongEdit ? QM3_GROUP_TIME_LINE : QM3_GROUP_PART_PANE, 0));
}

void CSonavexApp::OnRecentFile(const QString& file) {
  if (ChangeEditFile()) OpenNamedFile(file);
}

void CSonavexApp::ScheduleRefresh() {
  if (refresh_pending_) return;
  refresh_pending_ = true;
  QTimer::singleShot(0, this, &CSonavexApp::AfterNotifications);
}

void CSonavexApp::AfterNotifications() {
  refresh_pending_ = false;
  if (ended_ || frame_ == nullptr) return;
  frame_->RefreshCommandStates();
  bool playing = false;
  if (!mgr_.IsPlayingNow(&playing)) return;
  sleep_.SetPlaying(playing);
  if (view_ != nullptr) view_->ShowScrollBar(playing);
}

FileDialogContext CSonavexApp::Files() {
  return {frame_, settings_.get(), &messages_, &modals_, chooser_.get(), ControlWindowHook()};
}

}  // namespace sonavex::app
