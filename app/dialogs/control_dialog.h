// CControlDlg: the transport window, a small tool window that stays above
// the main window and the song dialogs: to the top, rewind, forward, stop,
// play, the main volume, and the pointer's time. Every control is a
// middleware value of the transport group; the play button looks held down
// for as long as the middleware says it is playing. The whole background
// drags the window, and after a click the keyboard goes back to the window
// the user works in.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QToolButton>
#include <functional>

#include "client/midi_mgr.h"
#include "controls/bgm_spin.h"
#include "screens/screen.h"

namespace sonavex::app {

class CControlDlg : public QDialog, public CScreen {
  Q_OBJECT

 public:
  // A top-level window (no owner: the song dialogs' modality must not block
  // it).
  explicit CControlDlg(CMIDIMgr* mgr);

  // Where the keyboard goes after a click (the open song dialog or the
  // main window).
  void SetFocusTarget(std::function<QWidget*()> target) { focus_target_ = std::move(target); }
  // Shows the window without activating it, on top of the others.
  void ShowWithoutActivating();

  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return QM3_SCREEN_TRANSPORT; }

  bool UpdateSpinVolume() { return volume_->Refresh(); }
  bool UpdateButtonPlay();
  // The pointer's time as the current edit screen shows it.
  bool UpdatePointer(bool smf_mode);
  void SetForcusMainWindow();
  bool playing_shown() const { return playing_; }
  // Escape does not close the window; the application owns its life.
  void reject() override {}

 protected:
  void showEvent(QShowEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QToolButton* AddButton(ControlId id, const char* name, const char* icon, const char* tip);

  CMIDIMgr* mgr_;
  CBgmSpin* volume_ = nullptr;
  QLabel* pointer_ = nullptr;
  QToolButton* play_ = nullptr;
  std::vector<std::pair<ControlId, QToolButton*>> buttons_;
  std::function<QWidget*()> focus_target_;
  QPoint drag_offset_;
  bool dragging_ = false;
  bool playing_ = false;
};

}  // namespace sonavex::app
