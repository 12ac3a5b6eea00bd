#include "screens/smf_wnd.h"

#include <QPainter>

#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kMarkFoot = 2;  // marks stand this far above the row's bottom

}  // namespace

CSmfWnd::CSmfWnd(CMIDIMgr* mgr, QWidget* parent) : CTimeLineWnd(mgr, parent) {
  setObjectName(QStringLiteral("CSmfWnd"));
}

bool CSmfWnd::RebuildTimeLine() {
  long data = 0, count = 0;
  const bool read = mgr_->GetSMFTimeLineData(&data, &count) && count >= 0;
  const bool built = read && time_line_.CreateDeltaTick(reinterpret_cast<const uint8_t*>(data),
                                                        data == 0 ? 0 : static_cast<size_t>(count));
  if (!built) {
    TraceLog("CreateTimeLine ﾀｲﾑﾗｲﾝの取得に失敗\n");
    time_line_.CreateDeltaTick(nullptr, 0);
  }
  SetTotal(time_line_.GetSongAll());
  return built;
}

void CSmfWnd::SetTopPart(int part) {
  top_part_ = std::clamp(part, 1, 16 - kRows + 1);
  viewport()->update();
}

int CSmfWnd::ContentMinimumHeight() const {
  return kRows * row_minimum_;
}

QList<QRect> CSmfWnd::Lanes() const {
  QList<QRect> lanes{time_lane(), measure_lane()};
  for (const QRect& r : rows_) lanes << r;
  return lanes;
}

void CSmfWnd::LayoutContent(int top, int bottom) {
  content_top_ = top;
  content_bottom_ = bottom;
  if (rows_given_) {
    for (QRect& r : rows_) r.setWidth(viewport()->width());
    return;
  }
  const int height = std::max(1, (bottom - top + 1) / kRows);
  for (int i = 0; i < kRows; ++i) {
    rows_[static_cast<size_t>(i)] = QRect(0, top + i * height, viewport()->width(), height);
  }
  content_bottom_ = rows_.back().bottom();
}

void CSmfWnd::SetRowEdges(const std::array<std::pair<int, int>, kRows>& edges) {
  rows_given_ = true;
  for (int i = 0; i < kRows; ++i) {
    const auto [top, bottom] = edges[static_cast<size_t>(i)];
    rows_[static_cast<size_t>(i)] =
        QRect(0, top, viewport()->width(), std::max(kMarkFoot + 2, bottom - top + 1));
  }
  content_bottom_ = rows_.back().bottom();
  viewport()->update();
}

bool CSmfWnd::TimeString(long second, QString* text) {
  return mgr_->GetSMFTimeString(second, text);
}

void CSmfWnd::PaintContent(QPainter& p, const QRect& clip) {
  for (const QRect& r : rows_) PaintLaneBackground(p, r);
  // Each line on the first pixel of the row below, where the part row
  // beside it draws its top edge; the last on the last row's bottom.
  p.setPen(palette().color(QPalette::Midlight).darker(115));
  for (size_t i = 0; i < rows_.size(); ++i) {
    const QRect& r = rows_[i];
    const int y = i + 1 < rows_.size() ? rows_[i + 1].top() : r.bottom();
    p.drawLine(r.left(), y, r.right(), y);
  }
  // PaintTimeLine: the entries inside the view, in each visible part's row.
  const long first = LeftEdgeTick();
  const long last = RightEdgeTick();
  long tick = 0;
  for (const CDeltaTick& e : time_line_.entries()) {
    tick += e.delta;
    if (tick < first) continue;
    if (tick > last) break;
    const int x = XOf(tick);
    if (x < clip.left() || x > clip.right()) continue;
    bool measure_start = false, asked = false;
    for (int row = 0; row < kRows; ++row) {
      const int loudness = e.loudness[static_cast<size_t>(top_part_ - 1 + row)];
      if (loudness == 0) continue;
      if (!asked) {
        long within = 1;
        measure_start = mgr_->TickInMeas(tick, &within) && within == 0;
        asked = true;
      }
      const QRect& r = rows_[static_cast<size_t>(row)];
      const int foot = r.bottom() - kMarkFoot;
      const int length = (foot - r.top()) * loudness / 127;
      if (length <= 0) continue;
      p.setPen(measure_start ? Qt::red : Qt::black);
      p.drawLine(x, foot, x, foot - length + 1);
    }
  }
}

}  // namespace sonavex::app
