#include "screens/time_line_wnd.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <climits>

#include "screens/time_line_geometry.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kKnobStrip = 20;  // the knob sits this far above the pointer line
constexpr int kLargeMark = 8;   // ruler marks, from the lane's bottom up
constexpr int kSmallMark = 4;
constexpr int kFineMark = 2;
constexpr int kLabelGap = 6;         // least room between two ruler labels
constexpr long kRulerOverrun = 384;  // the walks go this far past the right edge
constexpr int kWalkLimit = 100000;   // no ruler walk takes more steps
constexpr int kAutoScrollMs = 500;
constexpr int kStripWiden = 7;  // a moved pointer redraws this much around it
constexpr int kStripRise = 5;
// Tick 0 and the song's end stay this far inside the view, so the pointer's
// knob (11 pixels wide) is whole at either end.
constexpr int kEdgeInset = 6;

const QColor kRangeColour(49, 106, 197, 80);
// Ticks travel in the scroll bar's int; no length goes beyond this.
constexpr long kMaxTotalTicks = INT_MAX / 2;

}  // namespace

CTimeLineWnd::CTimeLineWnd(CMIDIMgr* mgr, QWidget* parent)
    : QAbstractScrollArea(parent), mgr_(mgr) {
  setFrameShape(QFrame::StyledPanel);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  viewport()->setAutoFillBackground(false);
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  auto_scroll_.setInterval(kAutoScrollMs);
  connect(&auto_scroll_, &QTimer::timeout, this, &CTimeLineWnd::OnTimer);
  font_ = font();
  font_.setPixelSize(12);
}

bool CTimeLineWnd::CreateWnd(const Options& options) {
  font_ = font();
  font_.setPixelSize(options.small_font ? 10 : 12);
  ticks_per_width_ = options.ticks_per_width;
  total_ = std::clamp(options.total_ticks, 0L, kMaxTotalTicks);
  range_allowed_ = options.range_allowed;
  horizontalScrollBar()->setValue(0);
  Layout();
  long tick = 0, end = 0;
  if (!mgr_->GetPointerPos(&tick, &end)) {
    TraceLog("CTimeLineWnd::CreateWnd ﾎﾟｲﾝﾀ位置の取得に失敗\n");
    return false;
  }
  pointer_ = std::clamp(tick, 0L, total_);
  range_first_ = pointer_;
  range_last_ = std::clamp(end, 0L, total_);
  if (range_last_ < range_first_) range_last_ = range_first_;
  // The middleware's own pointer: shown from the start.
  pointer_placed_ = true;
  SetScrollRange();
  ChangeViewPort(pointer_);
  ShowScrollBar();
  viewport()->update();
  return true;
}

long CTimeLineWnd::origin() const {
  return horizontalScrollBar()->value();
}

long CTimeLineWnd::snap() const {
  for (int scale = kMinScale; scale <= kMaxScale; ++scale) {
    if (ZoomOf(scale).ticks_per_width == ticks_per_width_) return ZoomOf(scale).snap;
  }
  return std::max(1L, ticks_per_width_ / 40);
}

int CTimeLineWnd::XOf(long tick) const {
  const int w = viewport()->width();
  return kEdgeInset + static_cast<int>(TickToPixel(tick, w, ticks_per_width_) -
                                       TickToPixel(origin(), w, ticks_per_width_));
}

long CTimeLineWnd::CorrectMouseTick(int x) const {
  const int w = viewport()->width();
  const long absolute = x - kEdgeInset + TickToPixel(origin(), w, ticks_per_width_);
  return SnapTick(PixelToTick(absolute, w, ticks_per_width_), snap());
}

long CTimeLineWnd::RightEdgeTick() const {
  const int w = viewport()->width();
  return origin() + PixelToTick(w - kEdgeInset, w, ticks_per_width_);
}

long CTimeLineWnd::LeftEdgeTick() const {
  const int w = viewport()->width();
  return std::max(0L, origin() - PixelToTick(kEdgeInset, w, ticks_per_width_));
}

int CTimeLineWnd::LaneHeight() const {
  return QFontMetrics(font_).height() + kLargeMark + 4;
}

QSize CTimeLineWnd::minimumSizeHint() const {
  const int bar = horizontalScrollBar()->sizeHint().height();
  return {200, kKnobStrip + 2 * LaneHeight() + ContentMinimumHeight() + bar + 2 * frameWidth()};
}

QSize CTimeLineWnd::sizeHint() const {
  return {640, minimumSizeHint().height()};
}

void CTimeLineWnd::Layout() {
  const int w = viewport()->width();
  const int h = LaneHeight();
  time_lane_ = QRect(0, kKnobStrip, w, h);
  measure_lane_ = QRect(0, kKnobStrip + h, w, h);
  LayoutContent(measure_lane_.bottom() + 1, viewport()->height() - 1);
}

void CTimeLineWnd::SetScrollRange() {
  QScrollBar* bar = horizontalScrollBar();
  const int w = viewport()->width();
  const long max = ScrollMax(total_, w, ticks_per_width_, w - 2 * kEdgeInset);
  bar->setRange(0, static_cast<int>(max));
  bar->setSingleStep(static_cast<int>(snap()));
  bar->setPageStep(static_cast<int>(ticks_per_width_));
}

void CTimeLineWnd::ShowScrollBar() {
  bool playing = false;
  if (mgr_->IsPlayingNow(&playing)) ShowScrollBar(playing);
}

void CTimeLineWnd::ShowScrollBar(bool playing) {
  setHorizontalScrollBarPolicy(playing ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
}

bool CTimeLineWnd::ChangeViewPort(long tick) {
  if (tick >= origin() && tick < RightEdgeTick()) return false;
  const long unit = snap();
  const long wanted = std::max(0L, tick / unit * unit);
  const int before = horizontalScrollBar()->value();
  horizontalScrollBar()->setValue(static_cast<int>(wanted));
  return horizontalScrollBar()->value() != before;
}

void CTimeLineWnd::ChangeScale(long ticks_per_width) {
  if (ticks_per_width <= 0) return;
  const long left = origin();
  ticks_per_width_ = ticks_per_width;
  SetScrollRange();
  horizontalScrollBar()->setValue(static_cast<int>(left));
  ShowScrollBar();
  viewport()->update();
}

void CTimeLineWnd::SetTotal(long total_ticks) {
  total_ = std::clamp(total_ticks, 0L, kMaxTotalTicks);
  pointer_ = std::min(pointer_, total_);
  range_first_ = std::min(range_first_, total_);
  range_last_ = std::min(range_last_, total_);
  SetScrollRange();
  viewport()->update();
}

bool CTimeLineWnd::UpdatePointer(long tick) {
  if (tick < 0 || tick > total_) {
    TraceLog("UpdateRange 範囲外が指定されました iPointerTick[%ld] (Min[%d] Max[%ld])\n", tick, 0,
             total_);
    return false;
  }
  ShowScrollBar();
  if (tick == pointer_ && pointer_placed_) return true;
  const long old = pointer_;
  pointer_ = tick;
  pointer_placed_ = true;
  if (ChangeViewPort(tick)) {
    viewport()->update();
    return true;
  }
  const int left = std::min(XOf(old), XOf(tick)) - kStripWiden;
  const int right = std::max(XOf(old), XOf(tick)) + kStripWiden;
  const int top = time_lane_.top() - kKnobStrip - kStripRise;
  viewport()->update(QRect(QPoint(left, top), QPoint(right, ContentBottom() + kStripRise)));
  return true;
}

bool CTimeLineWnd::UpdateRange(long first, long last) {
  if (first < 0 || last < 0 || first > total_ || last > total_) {
    TraceLog("UpdateRange 範囲外が指定されました left[%ld] right[%ld]\n", first, last);
    return false;
  }
  if (!range_allowed_) return true;
  range_first_ = std::min(first, last);
  range_last_ = std::max(first, last);
  if (first == last) {
    pointer_ = first;
    pointer_placed_ = true;
  }
  viewport()->update();
  return true;
}

void CTimeLineWnd::UpdateTimeLine() {
  ruler_failed_ = false;
  viewport()->update();
}

// ---- events ------------------------------------------------------------------

void CTimeLineWnd::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  const long left = origin();
  Layout();
  SetScrollRange();
  horizontalScrollBar()->setValue(static_cast<int>(left));
}

void CTimeLineWnd::scrollContentsBy(int, int) {
  viewport()->update();
}

void CTimeLineWnd::paintEvent(QPaintEvent* event) {
  QPainter p(viewport());
  PaintView(p, event->rect());
}

void CTimeLineWnd::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || drag_ != Drag::kNone) return;
  // The pointer stays the play's while the middleware plays.
  bool playing = false;
  if (!mgr_->IsPlayingNow(&playing) || playing) return;
  const int x = static_cast<int>(event->position().x());
  last_mouse_x_ = x;
  const long tick = std::clamp(CorrectMouseTick(x), 0L, total_);
  if (range_allowed_ && (event->modifiers() & Qt::ShiftModifier)) {
    drag_ = Drag::kExtendRange;
    return;
  }
  drag_ = Drag::kNewPosition;
  anchor_ = tick;
  focus_first_ = focus_last_ = tick;
  viewport()->setCursor(Qt::SizeHorCursor);
  viewport()->update();
}

void CTimeLineWnd::mouseMoveEvent(QMouseEvent* event) {
  if (drag_ == Drag::kNone) return;
  const int x = static_cast<int>(event->position().x());
  last_mouse_x_ = x;
  const bool outside = x < 0 || x >= viewport()->width();
  if (!outside) {
    auto_scroll_.stop();
  } else if (!auto_scroll_.isActive()) {
    ScrollOneLine(x >= viewport()->width());
    auto_scroll_.start();
  }
  if (drag_ == Drag::kNewPosition) SetNewFocusArea(CorrectMouseTick(x));
}

void CTimeLineWnd::OnTimer() {
  const int w = viewport()->width();
  const bool outside = last_mouse_x_ < 0 || last_mouse_x_ >= w;
  if (drag_ == Drag::kNone || !outside) {
    auto_scroll_.stop();
    return;
  }
  const bool right = last_mouse_x_ >= w;
  ScrollOneLine(right);
  // The selection follows to the edge the view moved to.
  if (drag_ == Drag::kNewPosition) SetNewFocusArea(CorrectMouseTick(right ? w - 1 : 0));
}

void CTimeLineWnd::ScrollOneLine(bool right) {
  horizontalScrollBar()->triggerAction(right ? QAbstractSlider::SliderSingleStepAdd
                                             : QAbstractSlider::SliderSingleStepSub);
}

void CTimeLineWnd::SetNewFocusArea(long tick) {
  tick = std::clamp(tick, 0L, total_);
  focus_first_ = std::min(anchor_, tick);
  focus_last_ = std::max(anchor_, tick);
  viewport()->update();
}

void CTimeLineWnd::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || drag_ == Drag::kNone) return;
  auto_scroll_.stop();
  FinishDrag(CorrectMouseTick(static_cast<int>(event->position().x())));
}

void CTimeLineWnd::FinishDrag(long tick) {
  tick = std::clamp(tick, 0L, total_);
  long pointer = tick, first = range_first_, last = range_last_;
  if (drag_ == Drag::kNewPosition) {
    if (range_allowed_) {
      first = std::min(anchor_, tick);
      last = std::max(anchor_, tick);
    } else {
      first = last = pointer;
    }
  } else {
    first = std::min(first, tick);
    last = std::max(last, tick);
  }
  drag_ = Drag::kNone;
  viewport()->unsetCursor();
  // The middleware answers with notifications; until then the old pointer
  // and range stay on screen.
  if (!mgr_->SetPointerPos(pointer)) TraceLog("ﾎﾟｲﾝﾀ位置の通知に失敗しました\n");
  if (!mgr_->SetPointerRange(first, last)) TraceLog("範囲の通知に失敗しました\n");
  viewport()->update();
}

// ---- painting ----------------------------------------------------------------

void CTimeLineWnd::PaintView(QPainter& p, const QRect& clip) {
  p.setFont(font_);
  PaintBackGround(p, clip);
  PaintContent(p, clip);
  if (!ruler_failed_) PaintTime(p, clip);
  if (!ruler_failed_) PaintMeasure(p, clip);
  PaintPointer(p, clip);
  if (drag_ == Drag::kNewPosition) DrawFocusBox(p);
}

void CTimeLineWnd::PaintLaneBackground(QPainter& p, const QRect& lane) const {
  // White over the song, the shadow before its start and past its end.
  const int start = std::clamp(XOf(0), lane.left(), lane.right() + 1);
  const int end = std::clamp(XOf(total_), start, lane.right() + 1);
  const QColor shadow = palette().color(QPalette::Midlight);
  if (start > lane.left())
    p.fillRect(QRect(lane.left(), lane.top(), start - lane.left(), lane.height()), shadow);
  if (end > start) p.fillRect(QRect(start, lane.top(), end - start, lane.height()), Qt::white);
  if (end <= lane.right())
    p.fillRect(QRect(end, lane.top(), lane.right() + 1 - end, lane.height()), shadow);
}

void CTimeLineWnd::PaintBackGround(QPainter& p, const QRect& clip) {
  p.fillRect(clip, palette().color(QPalette::Window));
  PaintLaneBackground(p, time_lane_);
  PaintLaneBackground(p, measure_lane_);
}

namespace {

// The marks between two large marks, as many as leave `least` pixels apart.
void PaintDivisions(QPainter& p, int from_x, int to_x, int parts, int bottom, int height) {
  if (parts < 2) return;
  for (int i = 1; i < parts; ++i) {
    const int x = from_x + (to_x - from_x) * i / parts;
    p.drawLine(x, bottom - height + 1, x, bottom);
  }
}

int DivisionsThatFit(int pixels, int wanted, int least) {
  while (wanted > 1 && pixels / wanted < least) wanted /= 2;
  return wanted;
}

}  // namespace

void CTimeLineWnd::PaintTime(QPainter& p, const QRect& clip) {
  const QRect lane = time_lane_;
  if (!clip.intersects(lane)) return;
  const QFontMetrics metrics(font_);
  const long right = RightEdgeTick();
  long second = 0;
  if (!mgr_->Tick2Sec(LeftEdgeTick(), &second)) {
    ruler_failed_ = true;
    return;
  }
  p.setPen(Qt::black);
  int label_right = INT_MIN;
  long previous = -1;
  for (int step = 0; step < kWalkLimit; ++step, ++second) {
    long tick = 0;
    if (!mgr_->Sec2Tick(second, &tick)) {
      ruler_failed_ = true;
      return;
    }
    if (tick > right + kRulerOverrun || tick <= previous) break;
    const int x = XOf(tick);
    if (previous >= 0) {  // PaintSmallTime
      const int from = XOf(previous);
      PaintDivisions(p, from, x, DivisionsThatFit(x - from, 4, 6), lane.bottom(), kSmallMark);
    }
    // PaintLargeScale: the mark, and its label where it has room.
    p.drawLine(x, lane.bottom() - kLargeMark + 1, x, lane.bottom());
    if (x + 2 >= label_right + kLabelGap) {
      QString text;
      if (!TimeString(second, &text)) {
        ruler_failed_ = true;
        return;
      }
      text = text.trimmed();
      p.drawText(x + 2, lane.top() + 1 + metrics.ascent(), text);
      label_right = x + 2 + metrics.horizontalAdvance(text);
    }
    previous = tick;
  }
  p.drawLine(lane.left(), lane.top(), lane.right(), lane.top());
  p.drawLine(lane.left(), lane.bottom(), lane.right(), lane.bottom());
}

void CTimeLineWnd::PaintMeasure(QPainter& p, const QRect& clip) {
  const QRect lane = measure_lane_;
  if (!clip.intersects(lane)) return;
  const QFontMetrics metrics(font_);
  const long right = RightEdgeTick();
  const bool finest = ticks_per_width_ <= ZoomOf(kMaxScale).ticks_per_width;
  long measure = 0;
  if (!mgr_->Tick2Meas(LeftEdgeTick(), &measure)) {
    ruler_failed_ = true;
    return;
  }
  p.setPen(Qt::black);
  int label_right = INT_MIN;
  long previous = -1;
  for (int step = 0; step < kWalkLimit; ++step, ++measure) {
    long tick = 0;
    if (!mgr_->Meas2Tick(measure, &tick)) {
      ruler_failed_ = true;
      return;
    }
    if (tick > right + kRulerOverrun || tick <= previous) break;
    const int x = XOf(tick);
    if (previous >= 0) {
      // PaintSmallScale: the beats; at the finest zoom also their halves
      // (PaintLargeScale3).
      for (long beat = previous + kTicksPerBeat; beat < tick; beat += kTicksPerBeat) {
        const int bx = XOf(beat);
        p.drawLine(bx, lane.bottom() - kSmallMark + 1, bx, lane.bottom());
      }
      if (finest) {
        for (long half = previous + kTicksPerBeat / 2; half < tick; half += kTicksPerBeat) {
          const int hx = XOf(half);
          p.drawLine(hx, lane.bottom() - kFineMark + 1, hx, lane.bottom());
        }
      }
    }
    p.drawLine(x, lane.bottom() - kLargeMark + 1, x, lane.bottom());
    if (x + 2 >= label_right + kLabelGap) {
      const QString text = QString::asprintf("%ld", measure + 1);
      p.drawText(x + 2, lane.top() + 1 + metrics.ascent(), text);
      label_right = x + 2 + metrics.horizontalAdvance(text);
    }
    previous = tick;
  }
  p.drawLine(lane.left(), lane.top(), lane.right(), lane.top());
  p.drawLine(lane.left(), lane.bottom(), lane.right(), lane.bottom());
}

void CTimeLineWnd::PaintPointer(QPainter& p, const QRect& clip) {
  const int top = time_lane_.top();
  const int bottom = ContentBottom();
  const int w = viewport()->width();
  p.setPen(Qt::black);
  p.drawLine(0, top, w - 1, top);
  if (range_allowed_ && range_last_ > range_first_) {  // PaintSelectRect
    const QRect area(QPoint(XOf(range_first_), top), QPoint(XOf(range_last_), bottom));
    if (area.intersects(clip)) p.fillRect(area, kRangeColour);
  }
  if (!pointer_placed_) return;
  const int x = XOf(pointer_);
  if (x < -kStripWiden || x > w + kStripWiden) return;
  PaintKnob(p, x);
  // A white edge keeps the line clear of the content's boxes and marks; over
  // the rulers it would cut through their labels.
  const int content = measure_lane_.bottom() + 1;
  if (bottom >= content) p.fillRect(QRect(x - 1, content, 3, bottom - content + 1), Qt::white);
  p.drawLine(x, top, x, bottom);
}

void CTimeLineWnd::PaintKnob(QPainter& p, int x) {
  // A pentagon pointing down at the pointer line, 11 pixels wide.
  const int top = time_lane_.top() - kKnobStrip + 1;
  const QPoint shape[] = {
      {x - 5, top}, {x + 5, top}, {x + 5, top + 10}, {x, top + 16}, {x - 5, top + 10}};
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1));
  p.setBrush(QColor(0xE0, 0x40, 0x30));
  p.drawPolygon(shape, 5);
  p.restore();
}

void CTimeLineWnd::DrawFocusBox(QPainter& p) {
  const QRect box(QPoint(XOf(focus_first_), 0), QPoint(XOf(focus_last_), viewport()->height() - 1));
  p.save();
  p.setPen(QPen(Qt::black, 1, Qt::DotLine));
  p.setBrush(Qt::NoBrush);
  p.drawRect(box.adjusted(0, 0, -1, -1).normalized());
  p.restore();
}

}  // namespace sonavex::app
