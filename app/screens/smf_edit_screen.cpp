#include "screens/smf_edit_screen.h"

#include <QVBoxLayout>

#include "shell/trace.h"

namespace sonavex::app {

CSmfeditDlg::CSmfeditDlg(CMIDIMgr* mgr, int* scale, QWidget* parent)
    : CCenterScreen(mgr, scale, parent) {
  setObjectName(QStringLiteral("CSmfeditDlg"));
  auto* layout = new QVBoxLayout(this);
  file_ = new QLabel(this);
  file_->setObjectName(QStringLiteral("file"));
  layout->addWidget(file_);
  pointer_ = new QLabel(this);
  pointer_->setObjectName(QStringLiteral("pointer"));
  pointer_->setProperty("midiId", QM3_ID_PART_POINTER_TIME);
  layout->addWidget(pointer_);
  layout->addStretch(1);
}

bool CSmfeditDlg::InitControl() {
  return UpdateControl() && MaskControl();
}

bool CSmfeditDlg::UpdateControl() {
  QString name;
  if (mgr_->GetEditFileName(&name)) file_->setText(name);
  file_->setVisible(!file_->text().isEmpty());
  return UpdateValue(QM3_ID_PART_POINTER_TIME);
}

bool CSmfeditDlg::MaskControl() {
  return true;
}

bool CSmfeditDlg::UpdateValue(ControlId id) {
  if (id == QM3_ID_PART_POINTER_TIME || id == QM3_ID_PART_POINTER_TIME + 1) {
    QString text;
    if (!mgr_->GetMIDIValueStr(QM3_ID_PART_POINTER_TIME, &text)) return false;
    pointer_->setText(QStringLiteral("ﾎﾟｲﾝﾀ位置: ") + text);
    return true;
  }
  if (GroupOf(id) == QM3_GROUP_PART_PANE) return true;
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return false;
}

bool CSmfeditDlg::UpdateTimeLine() {
  return UpdateControl();
}

bool CSmfeditDlg::UpdatePointer(long) {
  return UpdateValue(QM3_ID_PART_POINTER_TIME);
}

}  // namespace sonavex::app
