// The two centre screens of the main form: the song-edit screen (the song's
// phrases under the pointer) and the SMF-edit screen. They hold the keyboard
// focus, so they also turn the menu shortcuts into commands themselves.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QLabel>
#include <QListWidget>
#include <QWidget>
#include <functional>

#include "client/midi_mgr.h"
#include "screens/screen.h"

namespace sonavex::app {

class CCenterScreen : public QWidget, public CScreen {
  Q_OBJECT

 public:
  CCenterScreen(CMIDIMgr* mgr, QWidget* parent) : QWidget(parent), mgr_(mgr) {}
  // Redraws the time line from the middleware.
  virtual bool UpdateTimeLine() = 0;
  virtual bool UpdatePointer(long tick) = 0;
  virtual bool UpdateRange(long from, long to) { return UpdatePointer(from); }
  virtual bool SelectPhrase(int index) { return true; }

 protected:
  CMIDIMgr* mgr_;
};

class CSngeditDlg : public CCenterScreen {
  Q_OBJECT

 public:
  CSngeditDlg(CMIDIMgr* mgr, QWidget* parent);
  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return kScreenSongPane; }
  bool UpdateTimeLine() override;
  bool UpdatePointer(long tick) override;
  bool SelectPhrase(int index) override;

 private:
  QLabel* pointer_ = nullptr;
  QListWidget* phrases_ = nullptr;
};

class CSmfeditDlg : public CCenterScreen {
  Q_OBJECT

 public:
  CSmfeditDlg(CMIDIMgr* mgr, QWidget* parent);
  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return kScreenSmfPane; }
  bool UpdateTimeLine() override;
  bool UpdatePointer(long tick) override;

 private:
  QLabel* pointer_ = nullptr;
  QLabel* file_ = nullptr;
};

}  // namespace sonavex::app
