#include "dialogs/device_dialog.h"

#include <QGroupBox>
#include <QVBoxLayout>
#include <algorithm>

#include "dialogs/dialog_parts.h"
#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {
namespace {

// The selected entry's item data; -1 when nothing is selected.
long SelectedData(const QListWidget* box) {
  const QListWidgetItem* item = box->currentItem();
  return item == nullptr || !item->isSelected()
             ? -1
             : static_cast<long>(item->data(Qt::UserRole).toLongLong());
}

}  // namespace

CDeviceDlg::CDeviceDlg(CMIDIMgr* mgr, const CMIDIData* data, QWidget* parent)
    : QDialog(parent), mgr_(mgr), data_(data) {
  setObjectName(QStringLiteral("CDeviceDlg"));
  setWindowTitle(QStringLiteral("MIDI出力"));
  auto* layout = new QVBoxLayout(this);
  auto* group = new QGroupBox(QStringLiteral("MIDI出力"), this);
  auto* group_layout = new QVBoxLayout(group);
  list_ = new QListWidget(group);
  list_->setObjectName(QStringLiteral("devices"));
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setMinimumWidth(list_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 26);
  group_layout->addWidget(list_);
  layout->addWidget(group);
  QDialogButtonBox* buttons = OkCancelButtons(this);
  ok_ = buttons->findChild<QPushButton*>(QStringLiteral("ok"));
  cancel_ = buttons->findChild<QPushButton*>(QStringLiteral("cancel"));
  layout->addWidget(buttons);
  connect(list_, &QListWidget::itemDoubleClicked, this, &QDialog::accept);
}

int CDeviceDlg::exec() {
  if (!InitControl()) TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
  MoveWindowCenter(this);
  return QDialog::exec();
}

bool CDeviceDlg::InitControl() {
  data_->out_devices().AddControl(list_, -1);
  // Tall enough for every port without scrolling, up to eight.
  const int rows = std::clamp(list_->count(), 3, 8);
  list_->setMinimumHeight(rows * list_->sizeHintForRow(0) + 2 * list_->frameWidth() + 4);
  return UpdateListOutput() && MaskControl();
}

bool CDeviceDlg::UpdateListOutput() {
  long value = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_MIDI_OUT_DEVICE, &value)) return false;
  if (!data_->out_devices().Select(list_, value))
    TraceLog("UpdateListOutput 出力ﾃﾞﾊﾞｲｽ[%ld]がﾘｽﾄにありません\n", value);
  return true;
}

bool CDeviceDlg::MaskControl() {
  const std::pair<ControlId, QWidget*> items[] = {{QM3_ID_MIDI_OUT_DEVICE, list_},
                                                  {QM3_ID_MIDI_OUT_OK, ok_},
                                                  {QM3_ID_MIDI_OUT_CANCEL, cancel_}};
  bool alive = false;
  for (const auto& [id, widget] : items) {
    if (!mgr_->GetMIDIAlive(id, &alive)) return false;
    widget->setEnabled(alive);
  }
  return true;
}

void CDeviceDlg::accept() {
  if (!mgr_->SetMIDIValue(QM3_ID_MIDI_OUT_OK, 1)) TraceLog("ﾃﾞﾊﾞｲｽ画面のOK通知に失敗しました\n");
  const long chosen = SelectedData(list_);
  if (chosen >= 0) {
    long stored = -1;
    if (!mgr_->SetMIDIValue(QM3_ID_MIDI_OUT_DEVICE, chosen) ||
        !mgr_->GetMIDIValue(QM3_ID_MIDI_OUT_DEVICE, &stored) || stored != chosen) {
      TraceLog("CDeviceDlg::OnOK ﾐﾄﾞﾙｳｪｱが出力ﾃﾞﾊﾞｲｽ[%ld]を受け付けませんでした\n", chosen);
      UpdateListOutput();
      return;
    }
  }
  QDialog::accept();
}

void CDeviceDlg::reject() {
  if (!mgr_->SetMIDIValue(QM3_ID_MIDI_OUT_CANCEL, 1))
    TraceLog("ﾃﾞﾊﾞｲｽ画面のｷｬﾝｾﾙ通知に失敗しました\n");
  QDialog::reject();
}

}  // namespace sonavex::app
