// CSonavexApp: the application object. Owns the middleware client and what
// it stands on, the settings, the main window and the list data; runs the
// start-up sequence (single instance, splash, settings, middleware, command
// line or welcome choice), every menu command, the save-changes and exit
// flows, and routes the middleware's notifications to the screens.
//
// Thread rules: user-interface thread only. Modal dialogs and message boxes
// run nested event loops inside commands and notifications.
#pragma once
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "client/host_link.h"
#include "client/midi_data.h"
#include "client/midi_mgr.h"
#include "dialogs/control_dialog.h"
#include "dialogs/playtime_dialog.h"
#include "dialogs/realtime_dialog.h"
#include "screens/main_form.h"
#include "shell/app_settings.h"
#include "shell/file_dialogs.h"
#include "shell/main_frame.h"
#include "shell/message_box.h"
#include "shell/single_instance.h"
#include "shell/skipped_files_note.h"
#include "shell/sleep_inhibitor.h"

namespace sonavex::app {

class CSonavexSplashWindow;
class CKeyForwarder;

struct StartOptions {
  QString file;           // a file named on the command line
  HostLinkOptions link;   // how the sound module runs
  QString settings_path;  // empty: the user's Sonavex.ini
  bool single_instance = true;
  bool welcome = true;           // false: no welcome choice without a file (screenshots)
  bool stop_after_show = false;  // start-up ends once the main window shows (timing)
  bool unattended = false;       // message boxes answer themselves (screenshots)
};

class CSonavexApp : public QObject, public CommandHost {
  Q_OBJECT

 public:
  enum class Start { kRunning, kHandedOver, kFailed };
  enum EditMode { kSongEdit = 0, kSmfEdit = 1 };

  explicit CSonavexApp(const StartOptions& options);
  ~CSonavexApp() override;

  Start InitInstance();

  // ---- notifications -------------------------------------------------------
  void OnMiddle(long wparam, long lparam);
  bool UpdateValue(ControlId id);
  bool UpdateMinMax(ControlId id);
  bool UpdateAlive(ControlId id);
  bool UpdateRedraw(ControlId id);
  bool UpdateWidth(ControlId id);
  bool UpdateString(ControlId id);
  void ChangeScreen();
  bool ChangeSngedit() { return ChangeEdit(kSongEdit); }
  bool ChangeSmfedit() { return ChangeEdit(kSmfEdit); }
  bool SetupMIDIData();

  // ---- the transport window --------------------------------------------
  // Creates it when needed (centred over the main window on first use, else
  // where it was last) and shows it on top without activating it.
  void CreateControlDlg();
  // Remembers where it was and closes it.
  void DestroyControlDlg();
  // Around a modal window: hides it, and shows it again afterwards when it
  // was shown before (calls nest).
  void HideControlDlg();
  void ShowControlDlg();
  CControlDlg* control_dlg() const { return control_.get(); }
  // The play-time song dialog while it is open, else null.
  CPlaytimeDlg* playtime_dlg() const { return playtime_; }
  // The real-time song dialog while it is open, else null.
  CRealtimeDlg* realtime_dlg() const { return realtime_; }

  // ---- flows ---------------------------------------------------------------
  // Whether the caller may go on (the changes were saved or discarded).
  bool ChangeEditFile();
  bool FileSaveAs();
  // Opens `file` as the command line or a later start names it: true when
  // the middleware took it.
  bool OpenNamedFile(const QString& file);

  // ---- CommandHost ---------------------------------------------------------
  void OnCommand(int id) override;
  bool CommandState(int id, bool* enabled, bool* checked) override;
  bool OnClose() override;
  void OnActivate(bool active) override;
  void OnMinimize(bool minimized) override;
  void OnRecentFile(const QString& file) override;

  // ---- state ---------------------------------------------------------------
  CMIDIMgr& mgr() { return mgr_; }
  CMIDIData& data() { return data_; }
  CHostLink& link() { return link_; }
  CAppSettings& settings() { return *settings_; }
  CMessageBox& messages() { return messages_; }
  CSkippedFilesNote& skipped_files() { return skipped_; }
  // Every file name the application asks for goes through `chooser`.
  void SetFileChooser(std::unique_ptr<FileChooser> chooser) { chooser_ = std::move(chooser); }
  CMainFrame* frame() const { return frame_; }
  CSonavexView* view() const { return view_; }
  int edit_mode() const { return edit_mode_; }
  int content_kind() const { return content_kind_; }
  bool fit_window() const { return fit_window_; }
  bool started() const { return started_; }

 signals:
  // The application has finished (the main window closed after the exit flow).
  void Finished();

 private:
  // A modal dialog's time: the modal counter raised and the transport window
  // out of the way, back where it was when the dialog ends.
  class ModalDialogScope {
   public:
    explicit ModalDialogScope(CSonavexApp* app) : app_(app), counted_(&app->modals_) {
      app_->HideControlDlg();
    }
    ~ModalDialogScope() { app_->ShowControlDlg(); }
    ModalDialogScope(const ModalDialogScope&) = delete;
    ModalDialogScope& operator=(const ModalDialogScope&) = delete;

   private:
    CSonavexApp* app_;
    CModalCounter::Scope counted_;
  };

  // Hides (false) or shows again (true) the transport window around a box
  // or file request that is not one of the application's dialogs.
  std::function<void(bool shown)> ControlWindowHook();
  bool ChangeEdit(int mode);
  bool WriteCommand(int id);
  void SetTitle();
  void FitWindow();
  void ScheduleRefresh();
  void AfterNotifications();
  void RunWelcome();
  bool OpenByExtension(const QString& file, const char* failure_trace);
  FileDialogContext Files();
  void OnActivated(const QString& file);

  void OnFileNewPlay();
  void OnFileNewReal();
  void RunSongDialog(bool realtime);
  void OnFileBgmOpen();
  void OnFileBgmSave();
  void OnConvert(int id);
  void OnFileAddLibrary(bool rhythm);
  void OnFileRmvLibrary(int mode);
  void OnEditReedit();
  void OnFileNewFile();
  void UpdateRectWindow();
  void OnApplicationState(Qt::ApplicationState state);
  QWidget* FocusTarget() const;

  StartOptions options_;
  CModalCounter modals_;
  CMessageBox messages_{&modals_};
  CMIDIMgr mgr_{&messages_};
  CMIDIData data_{&mgr_};
  CSkippedFilesNote skipped_{&mgr_};
  CHostLink link_;
  std::unique_ptr<CAppSettings> settings_;
  std::unique_ptr<FileChooser> chooser_ = std::make_unique<QtFileChooser>();
  CSingleInstance instance_;
  CSleepInhibitor sleep_;
  CMainFrame* frame_ = nullptr;
  CSonavexView* view_ = nullptr;
  CKeyForwarder* keys_ = nullptr;
  std::unique_ptr<CControlDlg> control_;
  std::vector<bool> control_hides_;  // per open modal: whether it was shown
  QPointer<CPlaytimeDlg> playtime_;
  QPointer<CRealtimeDlg> realtime_;
  QPointer<CSonavexSplashWindow> splash_;
  int edit_mode_ = kSongEdit;
  int content_kind_ = 0;
  bool fit_window_ = false;
  bool started_ = false;
  bool refresh_pending_ = false;
  bool middleware_bound_ = false;
  bool ended_ = false;
};

}  // namespace sonavex::app
