// CSonavexApp: the menu commands, the file commands and the save flows.
#include <QApplication>
#include <QFileInfo>

#include "client/control_tables.h"
#include "dialogs/choice_dialogs.h"
#include "dialogs/convert_dialog.h"
#include "dialogs/device_dialog.h"
#include "dialogs/time_dialog.h"
#include "dialogs/tree_dialog.h"
#include "shell/command_table.h"
#include "shell/help.h"
#include "shell/sonavex_app.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

// The wait cursor for the length of a middleware call.
class WaitCursor {
 public:
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

bool CSonavexApp::WriteCommand(int id) {
  const ControlId midi = ResID2MIDIID(id, kMainMenuTable);
  return midi != 0 && mgr_.SetMIDIValue(midi, 1);
}

bool CSonavexApp::CommandState(int id, bool* enabled, bool* checked) {
  if (!middleware_bound_ || ended_) return false;
  if (id == ID_FILE_NEW_FILE) {
    bool play = false, real = false;
    if (!mgr_.GetMIDIAlive(ResID2MIDIID(ID_FILE_NEW_PLAY, kMainMenuTable), &play) ||
        !mgr_.GetMIDIAlive(ResID2MIDIID(ID_FILE_NEW_REAL, kMainMenuTable), &real))
      return false;
    *enabled = play && real;
    *checked = false;
    return true;
  }
  const ControlId midi = ResID2MIDIID(id, kMainMenuTable);
  if (midi == 0 || !mgr_.GetMIDIAlive(midi, enabled)) return false;
  long value = 0;
  *checked = mgr_.GetMIDIValue(midi, &value) && value > 0;
  return true;
}

void CSonavexApp::OnCommand(int id) {
  switch (id) {
    case ID_FILE_NEW_PLAY:
      return OnFileNewPlay();
    case ID_FILE_NEW_REAL:
      return OnFileNewReal();
    case ID_FILE_BGM_OPEN:
      return OnFileBgmOpen();
    case ID_FILE_BGM_SAVE:
      return OnFileBgmSave();
    case ID_FILE_BGM_SAVE_AS:
      if (WriteCommand(id)) FileSaveAs();
      return;
    case ID_FILE_CONVALL_SMF:
    case ID_FILE_CONVALL_AUDIO:
    case ID_FILE_CONVSEL_SMF:
    case ID_FILE_CONVSEL_AUDIO:
      return OnConvert(id);
    case ID_FILE_ADD_RHYTHM:
      return OnFileAddLibrary(true);
    case ID_FILE_ADD_MELODY:
      return OnFileAddLibrary(false);
    case ID_APP_EXIT:
      frame_->close();
      return;
    case ID_FILE_RMV_RHYTHM:
      return OnFileRmvLibrary(CTreeDlg::kRhythms);
    case ID_FILE_RMV_MELODY:
      return OnFileRmvLibrary(CTreeDlg::kMelodies);
    case ID_SETUP_TIME:
      if (WriteCommand(id)) {
        CTimeDlg dialog(&mgr_, &data_, &messages_, frame_);
        ModalDialogScope modal(this);
        dialog.exec();
      }
      return;
    case ID_SETUP_DEVICE:
      if (WriteCommand(id)) {
        CDeviceDlg dialog(&mgr_, &data_, frame_);
        ModalDialogScope modal(this);
        dialog.exec();
      }
      return;
    case ID_EDIT_REEDIT:
      return OnEditReedit();
    case ID_FILE_NEW_FILE:
      return OnFileNewFile();
    case ID_HELP_CONTENTS:
    case ID_HELP_SEARCH:
    case ID_HELP_USAGE:
      if (WriteCommand(id)) {
        OpenHelp(id == ID_HELP_CONTENTS ? HelpPage::kContents
                 : id == ID_HELP_SEARCH ? HelpPage::kIndex
                                        : HelpPage::kUsage);
      }
      return;
    case ID_APP_ABOUT:
      if (WriteCommand(id)) {
        CAboutDlg about(frame_);
        ModalDialogScope modal(this);
        about.exec();
      }
      return;
    default:
      // Undo, redo, the synchronisation methods and the precount are the
      // middleware's own work.
      WriteCommand(id);
      return;
  }
}

void CSonavexApp::OnFileNewPlay() {
  if (!ChangeEditFile() || !WriteCommand(ID_FILE_NEW_PLAY)) return;
  RunSongDialog(false);
  ChangeScreen();
}

void CSonavexApp::OnFileNewReal() {
  if (!ChangeEditFile() || !WriteCommand(ID_FILE_NEW_REAL)) return;
  RunSongDialog(true);
  ChangeScreen();
}

void CSonavexApp::RunSongDialog(bool realtime) {
  CModalCounter::Scope modal(&modals_);
  DestroyControlDlg();
  if (realtime) {
    CRealtimeDlg dialog(&mgr_, &data_, frame_);
    realtime_ = &dialog;
    dialog.exec();
    realtime_ = nullptr;
    return;
  }
  CPlaytimeDlg dialog(&mgr_, &data_, frame_);
  // The transport window floats above the dialog, so the dialog blocks only
  // the main window.
  dialog.setWindowModality(Qt::WindowModal);
  dialog.SetInitHooks(
      [this] {
        CreateControlDlg();
        HideControlDlg();
      },
      [this] { ShowControlDlg(); });
  playtime_ = &dialog;
  dialog.exec();
  playtime_ = nullptr;
}

void CSonavexApp::OnEditReedit() {
  if (!WriteCommand(ID_EDIT_REEDIT)) return;
  bool realtime = false;
  if (!mgr_.IsSongRealtime(&realtime)) {
    TraceLog("OnEditReedit ミドルウェアからのソング作成元種別取得に失敗\n");
    return;
  }
  RunSongDialog(realtime);
  ChangeScreen();
}

void CSonavexApp::OnFileNewFile() {
  CFileNewDlg dialog(frame_);
  int result = 0;
  {
    ModalDialogScope modal(this);
    result = dialog.exec();
  }
  if (result != QDialog::Accepted) return;
  if (dialog.play_time) {
    OnFileNewPlay();
  } else {
    OnFileNewReal();
  }
}

void CSonavexApp::OnFileBgmOpen() {
  if (!ChangeEditFile()) return;
  QString file;
  if (!OpenFileDlg(Files(), FileType::kEditable, false, &file)) return;
  if (!WriteCommand(ID_FILE_BGM_OPEN)) return;
  if (!OpenByExtension(file, "OnFileBgmOpen ﾐｳﾄﾞﾙｳｪｱへのﾌｧｲﾙ名通知に失敗しました [%s]")) return;
  if (ExtensionOf(file) == QLatin1String("bgm"))
    settings_->SetFolder(Folder::kSong, QFileInfo(file).absolutePath());
}

void CSonavexApp::OnFileBgmSave() {
  QString name;
  if (!mgr_.GetEditFileName(&name)) return;
  if (!WriteCommand(ID_FILE_BGM_SAVE)) return;
  if (name.isEmpty()) {
    FileSaveAs();
    return;
  }
  WaitCursor wait;
  if (!mgr_.SaveFile()) TraceLog("OnFileBgmSave 上書き保存に失敗しました\n");
}

bool CSonavexApp::FileSaveAs() {
  QString name;
  int mode = 0;
  if (!mgr_.GetEditFileName(&name) || !mgr_.GetMiddleMode(&mode)) return false;
  const FileType type = content_kind_ == 0   ? FileType::kSong
                        : content_kind_ == 1 ? FileType::kSmf
                        : content_kind_ == 2 ? FileType::kContent
                                             : FileType::kEditable;
  QString file;
  if (!OpenFileDlg(Files(), type, true, &file, name)) return false;
  {
    WaitCursor wait;
    if (!mgr_.SaveAsFile(file)) return false;
  }
  settings_->AddRecentFile(file);
  frame_->SetRecentFiles(settings_->recent_files);
  SetTitle();
  return true;
}

bool CSonavexApp::ChangeEditFile() {
  QString name;
  bool saved = false;
  if (!mgr_.GetFileInfo(&name, &saved)) {
    TraceLog("ChangeEditFile ファイル情報の取得に失敗しました\n");
    messages_.ShowMessageOk(QStringLiteral("E\\編集中ファイル情報の取得に失敗しました"));
    return false;
  }
  if (saved) return true;
  const QString shown = name.isEmpty() ? QStringLiteral("名称未設定") : name;
  const int answer = messages_.ShowMessageYesNo(
      QStringLiteral("I\\編集中のファイル[%1]を保存しますか？").arg(shown));
  if (answer != kIdYes) return true;
  if (name.isEmpty()) return FileSaveAs();
  WaitCursor wait;
  if (!mgr_.SaveFile()) {
    TraceLog("ChangeEditFile ファイルの上書き保存に失敗しました\n");
    messages_.ShowMessageOk(
        QStringLiteral("E\\編集中ファイル[%1]の上書き保存に失敗しました").arg(name));
    return false;
  }
  return true;
}

void CSonavexApp::OnConvert(int id) {
  const bool smf = id == ID_FILE_CONVALL_SMF || id == ID_FILE_CONVSEL_SMF;
  QString file;
  if (!OpenFileDlg(Files(), smf ? FileType::kSmf : FileType::kAudio, true, &file)) {
    TraceLog("変換先ﾌｧｲﾙの選択がｷｬﾝｾﾙされました");
    return;
  }
  if (smf) settings_->SetFolder(Folder::kSmf, QFileInfo(file).absolutePath());
  if (!WriteCommand(id)) return;
  bool started = false;
  switch (id) {
    case ID_FILE_CONVALL_SMF:
      started = mgr_.ConvertSMFAll(file);
      break;
    case ID_FILE_CONVSEL_SMF:
      started = mgr_.ConvertSMFPart(file);
      break;
    case ID_FILE_CONVALL_AUDIO:
      started = mgr_.ConvertWAVAll(file);
      break;
    default:
      started = mgr_.ConvertWAVPart(file);
      break;
  }
  if (!started) {
    TraceLog("変換の開始に失敗しました");
    return;
  }
  int result = 0;
  {
    CConvertDlg progress(&mgr_, smf ? CConvertDlg::kSmf : CConvertDlg::kAudio, frame_);
    ModalDialogScope modal(this);
    result = progress.exec();
  }
  if (result == CConvertDlg::kFailed) return;  // the middleware has said why
  if (result != QDialog::Accepted) {
    messages_.ShowMessageOk(QStringLiteral("I\\変換を中断しました"));
    return;
  }
  messages_.ShowMessageOk(QStringLiteral("I\\変換が終了しました"));
  if (smf) ChangeScreen();
}

void CSonavexApp::OnFileAddLibrary(bool rhythm) {
  QString file;
  if (!OpenFileDlg(Files(), rhythm ? FileType::kRhythm : FileType::kMelody, false, &file)) return;
  const int id = rhythm ? ID_FILE_ADD_RHYTHM : ID_FILE_ADD_MELODY;
  if (!WriteCommand(id)) return;
  if (!mgr_.AddRhyMel(rhythm ? 0 : 1, file)) {
    TraceLog(rhythm ? "リズムﾌｧｲﾙの通知に失敗しました\n" : "メロディﾌｧｲﾙの通知に失敗しました\n");
    return;
  }
  if (rhythm ? !data_.BuildRhythmTree() : !data_.UpdateListInfo(CMIDIData::kMelody)) {
    TraceLog(rhythm ? "OnFileAddRhythm リズムツリーの構築に失敗\n"
                    : "OnFileAddMelody メロディリストの構築に失敗\n");
  }
}

void CSonavexApp::OnFileRmvLibrary(int mode) {
  CTreeDlg dialog(&mgr_, &data_, &messages_, mode, frame_);
  dialog.SetAddCommand([this](int add) { OnFileAddLibrary(add == CTreeDlg::kRhythms); });
  ModalDialogScope modal(this);
  dialog.exec();
}

}  // namespace sonavex::app
