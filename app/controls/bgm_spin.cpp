#include "controls/bgm_spin.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>

#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kMaxTypedText = 255;

QToolButton* StepButton(Qt::ArrowType arrow, QWidget* parent) {
  auto* button = new QToolButton(parent);
  button->setArrowType(arrow);
  button->setAutoRepeat(true);
  button->setFocusPolicy(Qt::NoFocus);
  button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
  button->setFixedWidth(16);
  return button;
}

// Sets a flag for the lifetime of a call; refuses when it is already set.
class BusyScope {
 public:
  explicit BusyScope(bool* flag) : flag_(flag), entered_(!*flag) { *flag_ = true; }
  ~BusyScope() {
    if (entered_) *flag_ = false;
  }
  bool entered() const { return entered_; }

 private:
  bool* flag_;
  bool entered_;
};

}  // namespace

CBgmSpin::CBgmSpin(QWidget* parent) : QWidget(parent) {
  edit_ = new QLineEdit(this);
  edit_->setObjectName(QStringLiteral("edit"));
  edit_->installEventFilter(this);
  up_ = StepButton(Qt::UpArrow, this);
  up_->setObjectName(QStringLiteral("up"));
  down_ = StepButton(Qt::DownArrow, this);
  down_->setObjectName(QStringLiteral("down"));
  auto* buttons = new QVBoxLayout;
  buttons->setContentsMargins(0, 0, 0, 0);
  buttons->setSpacing(0);
  buttons->addWidget(up_);
  buttons->addWidget(down_);
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(edit_, 1);
  layout->addLayout(buttons);
  setFocusProxy(edit_);
  connect(up_, &QToolButton::clicked, this, [this] { UpDown(1); });
  connect(down_, &QToolButton::clicked, this, [this] { UpDown(-1); });
}

bool CBgmSpin::Bind(CMIDIMgr* mgr, ControlId id) {
  long minimum = 0, maximum = 0;
  if (!mgr->GetMIDIMinMax(id, &minimum, &maximum)) return false;
  Bind(mgr, id, minimum, maximum);
  long width = 0;
  if (mgr->GetMIDIStrSize(id, &width) && width > 0) edit_->setMaxLength(static_cast<int>(width));
  return true;
}

void CBgmSpin::Bind(CMIDIMgr* mgr, ControlId id, long minimum, long maximum) {
  mgr_ = mgr;
  id_ = id;
  minimum_ = std::min(minimum, maximum);
  maximum_ = std::max(minimum, maximum);
  SetValue(value_);
}

void CBgmSpin::SetValue(long value) {
  value_ = std::clamp(value, minimum_, maximum_);
}

void CBgmSpin::SetText(const QString& text) {
  edit_->setText(text.trimmed());
  edit_->setModified(false);
}

bool CBgmSpin::Refresh() {
  if (!bound()) return false;
  long value = 0;
  QString text;
  if (!mgr_->GetMIDIValue(id_, &value) || !mgr_->GetMIDIValueStr(id_, &text)) return false;
  SetValue(value);
  SetText(text);
  return true;
}

void CBgmSpin::ShowMiddlewareValue() {
  long value = 0;
  QString text;
  if (mgr_->GetMIDIValue(id_, &value) && mgr_->GetMIDIValueStr(id_, &text)) {
    value_ = value;  // the middleware's value stands even outside the limits read before
    SetText(text);
    emit ValueCommitted(value_);
  } else {
    TraceLog("CBgmSpin::Scroll  GetMIDIValueStrに失敗\n");
  }
}

void CBgmSpin::UpDown(int step) {
  if (!bound()) return;
  BusyScope busy(&busy_);
  if (!busy.entered()) return;
  const long next = std::clamp(value_ + step, minimum_, maximum_);
  if (!mgr_->SetMIDIValue(id_, next)) TraceLog("CBgmSpin::Scroll  SetValueに失敗\n");
  // Refused or adjusted, the field shows what the middleware holds now.
  ShowMiddlewareValue();
}

void CBgmSpin::NoticeEdit() {
  if (!bound()) return;
  BusyScope busy(&busy_);
  if (!busy.entered()) return;
  edit_->setModified(false);  // a message box taking the focus must not commit again
  const QString typed = edit_->text().left(kMaxTypedText);
  long value = 0;
  if (!mgr_->GetMIDIStrValue(id_, typed, &value)) {
    TraceLog("CBgmSpin::NoticeEdit GetMIDIStrValueでエラーが発生\n");
  } else if (!mgr_->SetMIDIValue(id_, value)) {
    TraceLog("CBgmSpin::Scroll  SetValueに失敗\n");
  }
  ShowMiddlewareValue();
}

void CBgmSpin::CommitIfModified() {
  if (edit_->isModified()) NoticeEdit();
}

bool CBgmSpin::eventFilter(QObject* watched, QEvent* event) {
  if (watched != edit_) return QWidget::eventFilter(watched, event);
  if (event->type() == QEvent::FocusOut) {
    CommitIfModified();
    return false;
  }
  if (event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const bool plain =
      (key->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == 0;
  switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!plain) return false;
      NoticeEdit();
      return true;
    case Qt::Key_Up:
      UpDown(1);
      return true;
    case Qt::Key_Down:
      UpDown(-1);
      return true;
    case Qt::Key_PageUp:
      UpDown(kPageStep);
      return true;
    case Qt::Key_PageDown:
      UpDown(-kPageStep);
      return true;
    default:
      return false;
  }
}

void CBgmSpin::wheelEvent(QWheelEvent* event) {
  if (!isEnabled()) return;
  wheel_rest_ += event->angleDelta().y();
  const int steps = wheel_rest_ / QWheelEvent::DefaultDeltasPerStep;
  wheel_rest_ -= steps * QWheelEvent::DefaultDeltasPerStep;
  if (steps != 0) UpDown(steps);
  event->accept();
}

}  // namespace sonavex::app
