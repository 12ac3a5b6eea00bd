// CSngeditDlg: the song-edit screen in the middle of the main form: the
// pointer's position as a time and as measure and beat, the variation, the
// fill-in and the playing parts of the phrase under the pointer (each a
// middleware value of the time-line pane, written when the user changes
// it), the zoom buttons and the song's time line (CSngWnd).
//
// Thread rules: user-interface thread only.
#pragma once
#include <QButtonGroup>
#include <QCheckBox>
#include <QLabel>
#include <QToolButton>
#include <array>

#include "screens/center_screens.h"
#include "screens/sng_wnd.h"

namespace sonavex::app {

class CSngeditDlg : public CCenterScreen {
  Q_OBJECT

 public:
  CSngeditDlg(CMIDIMgr* mgr, int* scale, QWidget* parent);

  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return kScreenSongPane; }
  bool UpdateTimeLine() override;
  bool UpdatePointer(long tick) override;
  bool SelectPhrase(int index) override;
  void ShowScrollBar(bool playing) override { sng_->ShowScrollBar(playing); }

  CSngWnd* sng_wnd() const { return sng_; }

 private:
  bool CreateSngWnd();
  bool UpdateDisplay(ControlId id, QLabel* label);
  bool UpdateVariation();
  bool UpdateFillIn();
  bool UpdatePart(int index);
  void OnSngBtnExpansion();
  void OnSngBtnReduction();
  void ChangeZoom(int step);
  void WriteChoice(ControlId id, long value);

  QLabel* pointer_time_ = nullptr;
  QLabel* pointer_measure_ = nullptr;
  QButtonGroup* variation_ = nullptr;
  QButtonGroup* fill_in_ = nullptr;
  std::array<QCheckBox*, 6> parts_{};
  QToolButton* zoom_in_ = nullptr;
  QToolButton* zoom_out_ = nullptr;
  CSngWnd* sng_ = nullptr;
};

}  // namespace sonavex::app
