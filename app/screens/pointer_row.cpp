#include "screens/pointer_row.h"

#include <QFrame>
#include <QIcon>

namespace sonavex::app {
namespace {

QToolButton* ZoomButton(const QString& name, const QString& icon, const QString& tip,
                        QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setObjectName(name);
  button->setIcon(QIcon(icon));
  button->setToolTip(tip);
  return button;
}

}  // namespace

QLabel* ValueLabel(const QString& name, ControlId id, QWidget* parent, Qt::Alignment alignment) {
  auto* label = new QLabel(parent);
  label->setObjectName(name);
  label->setProperty("midiId", id);
  label->setFrameShape(QFrame::Panel);
  label->setFrameShadow(QFrame::Sunken);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00:00")) +
                         12);
  label->setAlignment(alignment);
  return label;
}

PointerRow MakePointerRow(ControlId time_id, ControlId measure_id, QWidget* parent) {
  PointerRow p;
  p.row = new QHBoxLayout;
  p.row->addWidget(new QLabel(QStringLiteral("ﾎﾟｲﾝﾀ位置 :"), parent));
  p.time = ValueLabel(QStringLiteral("pointerTime"), time_id, parent);
  p.row->addWidget(p.time);
  p.row->addWidget(new QLabel(QStringLiteral("時間"), parent));
  p.row->addSpacing(8);
  p.measure = ValueLabel(QStringLiteral("pointerMeasure"), measure_id, parent);
  p.row->addWidget(p.measure);
  p.row->addWidget(new QLabel(QStringLiteral("小節・拍"), parent));
  p.row->addStretch(1);
  p.zoom_in = ZoomButton(QStringLiteral("zoomIn"), QStringLiteral(":/icons/zoom_in.svg"),
                         QStringLiteral("拡大"), parent);
  p.zoom_out = ZoomButton(QStringLiteral("zoomOut"), QStringLiteral(":/icons/zoom_out.svg"),
                          QStringLiteral("縮小"), parent);
  p.row->addWidget(p.zoom_in);
  p.row->addWidget(p.zoom_out);
  return p;
}

}  // namespace sonavex::app
