#include "dialogs/control_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kButtonSize = 26;

}  // namespace

CControlDlg::CControlDlg(CMIDIMgr* mgr) : QDialog(nullptr), mgr_(mgr) {
  setObjectName(QStringLiteral("CControlDlg"));
  setWindowTitle(QStringLiteral("Sonavex"));
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                 Qt::WindowTitleHint);
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAutoFillBackground(true);
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, palette.color(QPalette::Button).darker(115));
  setPalette(palette);

  auto* transport = new QHBoxLayout;
  transport->setSpacing(2);
  transport->addWidget(AddButton(QM3_ID_RETURN_TO_TOP, "top", "top", "先頭へ"));
  transport->addWidget(AddButton(QM3_ID_REWIND, "rewind", "rewind", "巻き戻し"));
  transport->addWidget(AddButton(QM3_ID_FAST_FORWARD, "forward", "forward", "早送り"));
  transport->addWidget(AddButton(QM3_ID_STOP, "stop", "stop", "停止"));
  play_ = AddButton(QM3_ID_PLAY, "play", "play", "再生");
  play_->setCheckable(true);
  transport->addWidget(play_);

  auto* volume_icon = new QLabel(this);
  volume_icon->setPixmap(QIcon(QStringLiteral(":/icons/volume.svg")).pixmap(16, 16));
  volume_ = new CBgmSpin(this);
  volume_->setObjectName(QStringLiteral("volume"));
  volume_->edit()->setProperty("midiId", QM3_ID_MAIN_VOLUME);
  volume_->setFixedWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 30);
  pointer_ = new QLabel(this);
  pointer_->setObjectName(QStringLiteral("pointer"));
  pointer_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  pointer_->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0:00:00:00")) + 8);
  pointer_->setFrameShape(QFrame::Panel);
  pointer_->setFrameShadow(QFrame::Sunken);
  auto* volume = new QHBoxLayout;
  volume->addWidget(volume_icon);
  volume->addWidget(new QLabel(QStringLiteral("ﾒｲﾝﾎﾞﾘｭｰﾑ"), this));
  volume->addWidget(volume_);
  volume->addStretch(1);
  volume->addWidget(pointer_);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);
  layout->setSpacing(4);
  layout->addLayout(transport);
  layout->addLayout(volume);
  setFixedSize(sizeHint());
}

QToolButton* CControlDlg::AddButton(ControlId id, const char* name, const char* icon,
                                    const char* tip) {
  auto* button = new QToolButton(this);
  button->setObjectName(QString::fromUtf8(name));
  button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QString::fromUtf8(icon))));
  button->setIconSize(QSize(18, 18));
  button->setFixedSize(kButtonSize, kButtonSize);
  button->setToolTip(QString::fromUtf8(tip));
  button->setFocusPolicy(Qt::NoFocus);
  buttons_.emplace_back(id, button);
  connect(button, &QToolButton::clicked, this, [this, id] {
    if (!mgr_->SetMIDIValue(id, 1)) TraceLog("ｺﾝﾄﾛｰﾙ画面のﾎﾞﾀﾝ通知に失敗 ID:[%04x]\n", id);
    UpdateButtonPlay();
    SetForcusMainWindow();
  });
  return button;
}

void CControlDlg::ShowWithoutActivating() {
  show();
  raise();
}

void CControlDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (!InitControl()) TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
}

bool CControlDlg::InitControl() {
  if (!volume_->Bind(mgr_, QM3_ID_MAIN_VOLUME)) return false;
  return UpdateControl() && MaskControl();
}

bool CControlDlg::UpdateControl() {
  return UpdateSpinVolume() && UpdateButtonPlay();
}

bool CControlDlg::UpdateButtonPlay() {
  long value = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_PLAY, &value)) {
    TraceLog("Play Buttonの現在値取得に失敗\n");
    play_->setChecked(playing_);
    return false;
  }
  playing_ = value != 0;
  play_->setChecked(playing_);
  play_->setIcon(
      QIcon(playing_ ? QStringLiteral(":/icons/play_on.svg") : QStringLiteral(":/icons/play.svg")));
  play_->repaint();
  return true;
}

bool CControlDlg::UpdatePointer(bool smf_mode) {
  // The edit screen's pointer records: reading its position tells the
  // middleware the host has caught up, so it goes on reporting the play.
  const ControlId ticks_id = smf_mode ? QM3_ID_PART_POINTER_TICKS : QM3_ID_POINTER_TICKS;
  const ControlId time_id = smf_mode ? QM3_ID_PART_POINTER_TIME : QM3_ID_POINTER_TIME;
  long tick = 0, second = 0;
  QString text;
  if (!mgr_->GetPointerPos(&tick, &second) || !mgr_->GetMIDIValue(ticks_id, &tick) ||
      !mgr_->GetMIDIValueStr(time_id, &text)) {
    return false;
  }
  pointer_->setText(text.trimmed());
  return true;
}

bool CControlDlg::MaskControl() {
  bool alive = true;
  if (!mgr_->GetMIDIAlive(QM3_ID_MAIN_VOLUME, &alive)) return false;
  volume_->setEnabled(alive);
  for (const auto& [id, button] : buttons_) {
    if (!mgr_->GetMIDIAlive(id, &alive)) return false;
    button->setEnabled(alive);
  }
  return true;
}

bool CControlDlg::UpdateValue(ControlId id) {
  switch (id) {
    case QM3_ID_MAIN_VOLUME:
      return UpdateSpinVolume();
    case QM3_ID_PLAY:
    case QM3_ID_STOP:  // a play that ended is told as the stop button
      return UpdateButtonPlay();
    case QM3_ID_RETURN_TO_TOP:
    case QM3_ID_REWIND:
    case QM3_ID_FAST_FORWARD:
    case QM3_ID_RETURN_TO_TOP_SECOND:
      return true;
    default:
      TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
      return true;
  }
}

void CControlDlg::SetForcusMainWindow() {
  QWidget* target = focus_target_ ? focus_target_() : nullptr;
  if (target == nullptr) return;
  target->activateWindow();
  target->setFocus();
}

void CControlDlg::mousePressEvent(QMouseEvent* event) {
  // Anywhere but the controls, the background is the window's handle.
  if (event->button() == Qt::LeftButton) {
    dragging_ = true;
    drag_offset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
  }
  QDialog::mousePressEvent(event);
}

void CControlDlg::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton))
    move(event->globalPosition().toPoint() - drag_offset_);
  QDialog::mouseMoveEvent(event);
}

void CControlDlg::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QDialog::mouseReleaseEvent(event);
  SetForcusMainWindow();
}

}  // namespace sonavex::app
