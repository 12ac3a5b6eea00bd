#include "dialogs/convert_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>

#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {
namespace {

constexpr long kDone = 100;

}  // namespace

CConvertDlg::CConvertDlg(CMIDIMgr* mgr, int kind, QWidget* parent)
    : QDialog(parent), mgr_(mgr), kind_(kind) {
  setObjectName(QStringLiteral("CConvertDlg"));
  setWindowTitle(kind == kAudio ? QStringLiteral("ｵｰﾃﾞｨｵに変換中") : QStringLiteral("SMFに変換中"));
  auto* layout = new QVBoxLayout(this);
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("progress"));
  bar_->setMinimumWidth(280);
  layout->addWidget(bar_);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QStringLiteral("残り時間 :"), this));
  message_ = new QLabel(this);
  message_->setObjectName(QStringLiteral("message"));
  message_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  message_->setMinimumWidth(message_->fontMetrics().horizontalAdvance(QStringLiteral("00000")));
  row->addWidget(message_);
  row->addWidget(new QLabel(QStringLiteral("秒"), this));
  row->addStretch(1);
  layout->addLayout(row);
  auto* buttons = new QDialogButtonBox(this);
  cancel_ = buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
  cancel_->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  timer_.setInterval(kPollMs);
  connect(&timer_, &QTimer::timeout, this, &CConvertDlg::OnTimer);
}

int CConvertDlg::exec() {
  MoveWindowCenter(this);
  return QDialog::exec();
}

void CConvertDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  // Without a first reading there is nothing to follow: the dialog then
  // stays until Cancel.
  if (!InitControl()) {
    TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
    return;
  }
  timer_.start();
}

void CConvertDlg::hideEvent(QHideEvent* event) {
  timer_.stop();
  QDialog::hideEvent(event);
}

bool CConvertDlg::InitControl() {
  bar_->setRange(0, static_cast<int>(kDone));
  bar_->setValue(0);
  last_ = 0;
  return UpdateControl() && MaskControl();
}

bool CConvertDlg::UpdateControl() {
  long value = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_CONVERT_PROGRESS, &value)) return false;
  last_ = value;
  bar_->setValue(static_cast<int>(std::clamp(value, 0L, kDone)));
  QString text;
  if (!mgr_->GetMIDIStr(QM3_ID_CONVERT_REMAINING, &text)) return false;
  message_->setText(text.trimmed());
  return true;
}

bool CConvertDlg::MaskControl() {
  bool alive = false;
  const std::pair<ControlId, QWidget*> items[] = {{QM3_ID_CONVERT_PROGRESS, bar_},
                                                  {QM3_ID_CONVERT_REMAINING, message_},
                                                  {QM3_ID_CONVERT_CANCEL, cancel_}};
  for (const auto& [id, widget] : items) {
    if (!mgr_->GetMIDIAlive(id, &alive)) return false;
    widget->setEnabled(alive);
  }
  return true;
}

void CConvertDlg::OnTimer() {
  // Quiet while a message box of the reading is open.
  timer_.stop();
  if (!UpdateControl() || !MaskControl()) {
    // The conversion ended with the middleware's own message; the target
    // was not written.
    TraceLog("CConvertDlg 変換の進捗が読めません: 変換は失敗しました\n");
    done(kFailed);
    return;
  }
  if (last_ >= kDone) {
    accept();
    return;
  }
  if (isVisible()) timer_.start();
}

void CConvertDlg::reject() {
  timer_.stop();
  if (!mgr_->SetMIDIValue(QM3_ID_CONVERT_CANCEL, 1))
    TraceLog("ﾃﾞﾊﾞｲｽ画面のｷｬﾝｾﾙ通知に失敗しました\n");
  QDialog::reject();
}

}  // namespace sonavex::app
