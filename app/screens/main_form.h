// CSonavexView: the main form inside the main window. It shows the editing
// mode's title and hosts exactly one centre screen (song-edit or SMF-edit),
// recreated on every screen change. When a redraw finds the middleware in
// another editing mode than the centre screen shows, it asks the application
// to follow.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QLabel>
#include <QWidget>
#include <functional>

#include "client/midi_mgr.h"
#include "screens/center_screens.h"
#include "screens/screen.h"
#include "screens/sync_panel.h"

class QGridLayout;

namespace sonavex::app {

class CSonavexView : public QWidget, public CScreen {
  Q_OBJECT

 public:
  CSonavexView(CMIDIMgr* mgr, QWidget* parent);

  // Called when a redraw shows that the middleware's editing mode moved.
  void SetModeChangedHook(std::function<void()> hook) { mode_changed_ = std::move(hook); }
  // The time-line zoom the centre screens show and change (the settings').
  void SetScaleStore(int* scale) { scale_ = scale; }

  // Replaces the centre screen by the one of `edit_mode` (0 song, 1 SMF) and
  // reports the screen to the middleware.
  bool ChangeCenterDlg(int edit_mode);
  void DestroyCenterDlg();
  CCenterScreen* center() const { return center_; }
  CSyncPanel* sync_panel() const { return panel_; }
  // The content kind the icon shows (0 song, 1 MIDI file, 2 content).
  int shown_icon() const { return shown_icon_; }
  int shown_mode() const { return shown_mode_; }

  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateAlive() override;
  bool UpdateRedraw() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override;

  bool UpdateTimeLine();
  bool UpdatePointer(long tick);
  bool UpdateRange(long from, long to);
  // After the middleware's notifications: the play state they left.
  void ShowScrollBar(bool playing);

 private:
  CMIDIMgr* mgr_;
  bool UpdatePictureIcon();

  QLabel* icon_ = nullptr;
  QLabel* title_ = nullptr;
  CSyncPanel* panel_ = nullptr;
  int shown_icon_ = -1;
  QWidget* frame_ = nullptr;
  QGridLayout* frame_grid_ = nullptr;
  CCenterScreen* center_ = nullptr;
  int* scale_ = nullptr;
  int shown_mode_ = -1;
  std::function<void()> mode_changed_;
};

}  // namespace sonavex::app
