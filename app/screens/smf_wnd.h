// CSmfWnd: the SMF screen's time line: the rulers of CTimeLineWnd and, in
// seven rows beside the part rows, each part's note activity as short
// vertical marks (as tall as the note is loud; red on a measure's first
// tick). The pointer and a range can be set with the mouse.
//
// Thread rules: user-interface thread only.
#pragma once
#include <array>

#include "screens/delta_ticks.h"
#include "screens/time_line_wnd.h"

namespace sonavex::app {

class CSmfWnd : public CTimeLineWnd {
  Q_OBJECT

 public:
  static constexpr int kRows = 7;

  explicit CSmfWnd(CMIDIMgr* mgr, QWidget* parent = nullptr);

  // Reads the note activity again (process 8); the length follows.
  bool RebuildTimeLine();
  // The part shown in the first row (1 to 10); redraws.
  void SetTopPart(int part);
  int top_part() const { return top_part_; }
  // The rows' top and bottom edges in viewport coordinates, as the part rows
  // beside the window lie; the rest of the content is split evenly until set.
  void SetRowEdges(const std::array<std::pair<int, int>, kRows>& edges);
  // The least height of a row (the part rows' fields).
  void SetRowMinimum(int height) { row_minimum_ = height; }
  QRect row(int index) const { return rows_[static_cast<size_t>(index)]; }
  const CTimeLine& time_line() const { return time_line_; }

  QList<QRect> Lanes() const override;

 protected:
  void LayoutContent(int top, int bottom) override;
  void PaintContent(QPainter& p, const QRect& clip) override;
  int ContentBottom() const override { return content_bottom_; }
  int ContentMinimumHeight() const override;
  bool TimeString(long second, QString* text) override;

 private:
  CTimeLine time_line_;
  std::array<QRect, kRows> rows_{};
  bool rows_given_ = false;
  int content_top_ = 0;
  int content_bottom_ = 0;
  int top_part_ = 1;
  int row_minimum_ = 18;
};

}  // namespace sonavex::app
