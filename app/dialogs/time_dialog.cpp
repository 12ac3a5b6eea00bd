#include "dialogs/time_dialog.h"

#include <QFormLayout>
#include <QVBoxLayout>

#include "dialogs/dialog_parts.h"
#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {
namespace {

// Selects the middleware's value of `id` in `box`, filled from `list`.
bool SelectCurrent(CMIDIMgr* mgr, ControlId id, const CBgmList& list, QComboBox* box,
                   const char* missing) {
  long value = 0;
  if (!mgr->GetMIDIValue(id, &value)) return false;
  if (!list.Select(box, value)) TraceLog(missing, value);
  return true;
}

}  // namespace

CTimeDlg::CTimeDlg(CMIDIMgr* mgr, const CMIDIData* data, MessageSink* messages, QWidget* parent)
    : QDialog(parent), mgr_(mgr), data_(data), messages_(messages) {
  setObjectName(QStringLiteral("CTimeDlg"));
  setWindowTitle(QStringLiteral("ﾀｲﾑﾍﾞｰｽ / 時間表示"));
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  base_ = new QComboBox(this);
  base_->setObjectName(QStringLiteral("timeBase"));
  format_ = new QComboBox(this);
  format_->setObjectName(QStringLiteral("timeFormat"));
  format_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  form->addRow(QStringLiteral("ﾀｲﾑﾍﾞｰｽ :"), base_);
  form->addRow(QStringLiteral("時間表示 :"), format_);
  layout->addLayout(form);
  QDialogButtonBox* buttons = OkCancelButtons(this);
  ok_ = buttons->findChild<QPushButton*>(QStringLiteral("ok"));
  cancel_ = buttons->findChild<QPushButton*>(QStringLiteral("cancel"));
  layout->addWidget(buttons);
}

int CTimeDlg::exec() {
  if (!InitControl()) TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
  MoveWindowCenter(this);
  return QDialog::exec();
}

bool CTimeDlg::InitControl() {
  data_->time_bases().AddControl(base_, -1);
  data_->time_displays().AddControl(format_, -1);
  return UpdateControl() && MaskControl();
}

bool CTimeDlg::UpdateComboTimebase() {
  return SelectCurrent(mgr_, QM3_ID_TIME_BASE, data_->time_bases(), base_,
                       "UpdateComboTimebase ﾀｲﾑﾍﾞｰｽ[%ld]がﾘｽﾄにありません\n");
}

bool CTimeDlg::UpdateComboFormat() {
  return SelectCurrent(mgr_, QM3_ID_TIME_DISPLAY_MODE, data_->time_displays(), format_,
                       "UpdateComboFormat 時間表示[%ld]がﾘｽﾄにありません\n");
}

bool CTimeDlg::MaskControl() {
  const std::pair<ControlId, QWidget*> items[] = {{QM3_ID_TIME_BASE, base_},
                                                  {QM3_ID_TIME_DISPLAY_MODE, format_},
                                                  {QM3_ID_TIME_BASE_OK, ok_},
                                                  {QM3_ID_TIME_BASE_CANCEL, cancel_}};
  bool alive = false;
  for (const auto& [id, widget] : items) {
    if (!mgr_->GetMIDIAlive(id, &alive)) return false;
    widget->setEnabled(alive);
  }
  return true;
}

void CTimeDlg::accept() {
  if (!mgr_->SetMIDIValue(QM3_ID_TIME_BASE_OK, 1)) TraceLog("ﾀｲﾑﾍﾞｰｽ画面のOK通知に失敗しました\n");
  const long base = CBgmList::GetSelectComboData(base_);
  const long format = CBgmList::GetSelectComboData(format_);
  if (base < 0 || format < 0) {
    messages_->ShowMessage(QStringLiteral("E\\ﾃﾞｰﾀの選択が不正です"), MessageButtons::kOk);
    TraceLog("CTimeDlg::OnOK エラー発生！\n");
    return;
  }
  // A refused value: the middleware's message has been shown; its values
  // are selected again and the dialog stays.
  long stored_base = -1, stored_format = -1;
  if (!mgr_->SetMIDIValue(QM3_ID_TIME_BASE, base) ||
      !mgr_->SetMIDIValue(QM3_ID_TIME_DISPLAY_MODE, format) ||
      !mgr_->GetMIDIValue(QM3_ID_TIME_BASE, &stored_base) ||
      !mgr_->GetMIDIValue(QM3_ID_TIME_DISPLAY_MODE, &stored_format) || stored_base != base ||
      stored_format != format) {
    TraceLog("CTimeDlg::OnOK ﾐﾄﾞﾙｳｪｱが値を受け付けませんでした\n");
    UpdateControl();
    return;
  }
  QDialog::accept();
}

void CTimeDlg::reject() {
  if (!mgr_->SetMIDIValue(QM3_ID_TIME_BASE_CANCEL, 1))
    TraceLog("ﾀｲﾑﾍﾞｰｽ画面のｷｬﾝｾﾙ通知に失敗しました\n");
  QDialog::reject();
}

}  // namespace sonavex::app
