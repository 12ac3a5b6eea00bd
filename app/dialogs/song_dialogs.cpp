#include "dialogs/song_dialogs.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {
namespace {

constexpr ControlId kPlayTimeRhythm = 0x0303;
constexpr ControlId kRealTimeRhythm = 0x0405;
constexpr ControlId kRealTimeOk = 0x0420;
constexpr ControlId kRealTimeCancel = 0x0421;

}  // namespace

CSongDialog::CSongDialog(CMIDIMgr* mgr, int screen, const QString& title, const QString& ok_text,
                         ControlId ok_id, ControlId cancel_id, QWidget* parent)
    : QDialog(parent),
      mgr_(mgr),
      screen_(screen),
      ok_id_(ok_id),
      cancel_id_(cancel_id),
      first_id_(GetMIDIID(screen, 1)) {
  setWindowTitle(title);
  setProperty("forwardKeys", true);
  setProperty("screenNumber", screen);
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  start_ = new QLabel(this);
  end_ = new QLabel(this);
  rhythm_ = new QLabel(this);
  rhythm_->setObjectName(QStringLiteral("rhythm"));
  rhythm_->setMinimumWidth(280);
  form->addRow(QStringLiteral("開始時間 : "), start_);
  form->addRow(QStringLiteral("終了時間 : "), end_);
  form->addRow(QStringLiteral("ﾘｽﾞﾑ名 :"), rhythm_);
  layout->addLayout(form);
  auto* hint = new QLabel(QStringLiteral("ﾍﾙﾌﾟを表示するには [F1] を押してください。"), this);
  layout->addWidget(hint);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(ok_text, QDialogButtonBox::AcceptRole)->setObjectName(QStringLiteral("ok"));
  buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

int CSongDialog::exec() {
  mgr_->ChangeWindow(screen_);
  if (!InitControl()) TraceLog("コントロールの現在値取得・更新に失敗\n");
  MoveWindowCenter(this);
  return QDialog::exec();
}

bool CSongDialog::UpdateControl() {
  QString start, end;
  long rhythm = 0;
  const ControlId rhythm_id = screen_ == QM3_SCREEN_PLAY_TIME ? kPlayTimeRhythm : kRealTimeRhythm;
  if (!mgr_->GetMIDIValueStr(first_id_, &start) || !mgr_->GetMIDIValueStr(first_id_ + 1, &end) ||
      !mgr_->GetMIDIValue(rhythm_id, &rhythm)) {
    return false;
  }
  start_->setText(start.trimmed());
  end_->setText(end.trimmed());
  rhythm_->setText(rhythm_name_ ? rhythm_name_(rhythm) : QString::number(rhythm));
  return true;
}

bool CSongDialog::UpdateValue(ControlId id) {
  return UpdateControl();
}

void CSongDialog::accept() {
  if (!mgr_->SetMIDIValue(ok_id_, 1)) return;  // the middleware refused: stay open
  QDialog::accept();
}

void CSongDialog::reject() {
  if (!mgr_->SetMIDIValue(cancel_id_, 1)) TraceLog("ｷｬﾝｾﾙ通知に失敗しました\n");
  QDialog::reject();
}

CRealtimeDlg::CRealtimeDlg(CMIDIMgr* mgr, QWidget* parent)
    : CSongDialog(mgr, QM3_SCREEN_REAL_TIME, QStringLiteral("ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成"), QStringLiteral("OK"),
                  kRealTimeOk, kRealTimeCancel, parent) {
  setObjectName(QStringLiteral("CRealtimeDlg"));
}

}  // namespace sonavex::app
