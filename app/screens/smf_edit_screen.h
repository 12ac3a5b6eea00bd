// CSmfeditDlg: the SMF-edit screen in the middle of the main form. It lists
// the open file's 16 parts seven at a time (scrolled with the bar on the
// right), each with its play switch, sound, volume and pan, and beside them
// the file's note activity on the time line (CSmfWnd), where the pointer and
// a range are set with the mouse. The sound chooser opens from a row's
// sound button.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QLabel>
#include <QScrollBar>
#include <QToolButton>
#include <array>

#include "controls/sound_tree.h"
#include "screens/center_screens.h"
#include "screens/smf_part_row.h"
#include "screens/smf_wnd.h"

class QGridLayout;

namespace sonavex::app {

class CSmfeditDlg : public CCenterScreen {
  Q_OBJECT

 public:
  static constexpr int kFirstTop = 1;
  static constexpr int kLastTop = QM3_PART_COUNT - CSmfWnd::kRows + 1;

  CSmfeditDlg(CMIDIMgr* mgr, int* scale, QWidget* parent);

  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return kScreenSmfPane; }
  bool UpdateTimeLine() override;
  bool UpdatePointer(long tick) override;
  bool UpdateRange(long from, long to) override;
  void ShowScrollBar(bool playing) override { smf_->ShowScrollBar(playing); }

  CSmfWnd* smf_wnd() const { return smf_; }
  QScrollBar* part_bar() const { return part_bar_; }
  const CSoundTree& sounds() const { return sounds_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool CreateSmfWnd();
  bool CreateSpin();
  bool ChangePartNo();
  bool BuildSoundTree();
  bool UpdatePointerStatics();
  void OnVScroll(int top);
  void OnSmfBtnSound(int row);
  void ChangeZoom(int step);
  // The time line's rows follow the part rows beside it, once the layout
  // has settled after any move or resize of either side.
  void ScheduleAlign();
  void AlignRows();
  // Whether a file is open: without one the rows stand empty and disabled.
  bool HasFile();

  QLabel* pointer_time_ = nullptr;
  QLabel* pointer_measure_ = nullptr;
  QToolButton* zoom_in_ = nullptr;
  QToolButton* zoom_out_ = nullptr;
  QWidget* header_ = nullptr;
  QWidget* parts_ = nullptr;
  QGridLayout* grid_ = nullptr;
  std::array<CSmfPartRow*, CSmfWnd::kRows> rows_{};
  CSmfWnd* smf_ = nullptr;
  QScrollBar* part_bar_ = nullptr;
  CSoundTree sounds_;
  bool created_ = false;
  bool align_pending_ = false;
};

}  // namespace sonavex::app
