#include "screens/lane_labels.h"

#include <QEvent>
#include <QPainter>

#include "screens/time_line_wnd.h"

namespace sonavex::app {

CLaneLabels::CLaneLabels(CTimeLineWnd* wnd, QStringList names, QWidget* parent)
    : QWidget(parent), wnd_(wnd), names_(std::move(names)) {
  wnd_->viewport()->installEventFilter(this);
}

QSize CLaneLabels::sizeHint() const {
  int width = 0;
  for (const QString& name : names_) width = std::max(width, fontMetrics().horizontalAdvance(name));
  return {width + 10, 10};
}

bool CLaneLabels::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Resize || event->type() == QEvent::Move) update();
  return QWidget::eventFilter(watched, event);
}

void CLaneLabels::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QList<QRect> lanes = wnd_->Lanes();
  const QPoint shift = mapFromGlobal(wnd_->viewport()->mapToGlobal(QPoint(0, 0)));
  p.setPen(palette().color(QPalette::WindowText));
  for (int i = 0; i < lanes.size() && i < names_.size(); ++i) {
    const QRect lane = lanes[i].translated(0, shift.y());
    const QRect cell(0, lane.top(), width() - 4, lane.height());
    p.drawText(cell, Qt::AlignRight | Qt::AlignVCenter, names_[i]);
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(0, lane.bottom(), width() - 1, lane.bottom());
    p.setPen(palette().color(QPalette::WindowText));
  }
}

}  // namespace sonavex::app
