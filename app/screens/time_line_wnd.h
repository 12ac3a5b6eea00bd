// CTimeLineWnd: the time line shared by the song-edit and SMF-edit screens.
// It maps ticks to pixels at the zoom's ticks per window width, scrolls
// horizontally (in ticks), draws a time ruler and a measure ruler from the
// middleware's conversions, and lets the user place the pointer (and, where
// allowed, a range) with the mouse. The pointer and the range belong to the
// middleware: a drag only sends them (process 3), and the window shows them
// when the middleware's notification comes back (UpdatePointer, UpdateRange).
//
// Layout, top down: the knob strip, the time lane, the measure lane, then
// the subclass's content lanes; the pointer line runs from the time lane's
// top to the content's bottom.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QAbstractScrollArea>
#include <QFont>
#include <QRect>
#include <QTimer>

#include "client/midi_mgr.h"

namespace sonavex::app {

class CTimeLineWnd : public QAbstractScrollArea {
  Q_OBJECT

 public:
  struct Options {
    bool small_font = false;
    long ticks_per_width = 3840;
    long total_ticks = 0;
    bool range_allowed = false;
  };

  explicit CTimeLineWnd(CMIDIMgr* mgr, QWidget* parent = nullptr);

  // Takes the parameters, reads the pointer from the middleware and shows it.
  bool CreateWnd(const Options& options);
  // A new zoom: the tick at the left edge stays where it is.
  void ChangeScale(long ticks_per_width);
  // A new length (the song or file changed).
  void SetTotal(long total_ticks);
  // From the middleware's pointer notification; a tick outside the length
  // is ignored.
  bool UpdatePointer(long tick);
  bool UpdateRange(long first, long last);
  // Redraws the whole window.
  void UpdateTimeLine();
  // The scroll bar is hidden while the middleware plays: asked, or told.
  void ShowScrollBar();
  void ShowScrollBar(bool playing);

  // Paints the part of the window inside `clip` (viewport coordinates).
  void PaintView(QPainter& p, const QRect& clip);

  long origin() const;
  long ticks_per_width() const { return ticks_per_width_; }
  long total_ticks() const { return total_; }
  long pointer() const { return pointer_; }
  long range_first() const { return range_first_; }
  long range_last() const { return range_last_; }
  long snap() const;
  QRect time_lane() const { return time_lane_; }
  QRect measure_lane() const { return measure_lane_; }
  // Every lane, top down, in viewport coordinates (the lane labels follow them).
  virtual QList<QRect> Lanes() const { return {time_lane_, measure_lane_}; }
  // Viewport x of `tick` (shifted by the scroll origin); the origin itself
  // lies a few pixels in from the left edge.
  int XOf(long tick) const;
  // The snapped tick of viewport x (CorrectMouseTick).
  long CorrectMouseTick(int x) const;

  QSize minimumSizeHint() const override;
  QSize sizeHint() const override;

 protected:
  // Lanes below the rulers; called after every resize and font change.
  virtual void LayoutContent(int top, int bottom) = 0;
  // The content between the background and the rulers.
  virtual void PaintContent(QPainter& p, const QRect& clip) = 0;
  // The bottom of the pointer line (the content's bottom).
  virtual int ContentBottom() const = 0;
  virtual int ContentMinimumHeight() const = 0;
  // The ruler's label of a time-ruler second.
  virtual bool TimeString(long second, QString* text) = 0;

  int LaneHeight() const;
  // The ticks at the view's right and left edges (never below 0).
  long RightEdgeTick() const;
  long LeftEdgeTick() const;
  // The lanes' song extent: white up to the end, shadow past it.
  void PaintLaneBackground(QPainter& p, const QRect& lane) const;

  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

  CMIDIMgr* mgr_;
  QFont font_;

 private:
  enum class Drag { kNone, kExtendRange, kNewPosition };

  void Layout();
  void SetScrollRange();
  // Scrolls so that `tick` is visible; true when the view moved.
  bool ChangeViewPort(long tick);
  void PaintBackGround(QPainter& p, const QRect& clip);
  void PaintTime(QPainter& p, const QRect& clip);
  void PaintMeasure(QPainter& p, const QRect& clip);
  void PaintPointer(QPainter& p, const QRect& clip);
  void PaintKnob(QPainter& p, int x);
  void DrawFocusBox(QPainter& p);
  void SetNewFocusArea(long tick);
  void ScrollOneLine(bool right);
  void OnTimer();
  void FinishDrag(long tick);

  long ticks_per_width_ = 3840;
  long total_ = 0;
  long pointer_ = 0;
  long range_first_ = 0;
  long range_last_ = 0;
  bool range_allowed_ = false;
  bool pointer_placed_ = false;
  bool ruler_failed_ = false;  // a conversion failed: no more calls until a redraw
  QRect time_lane_, measure_lane_;
  Drag drag_ = Drag::kNone;
  long anchor_ = 0;
  long focus_first_ = 0, focus_last_ = 0;
  int last_mouse_x_ = 0;
  QTimer auto_scroll_;
};

}  // namespace sonavex::app
