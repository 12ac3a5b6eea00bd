#include "screens/center_screens.h"

#include <QVBoxLayout>

#include "client/sjis_text.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

QLabel* Heading(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  QFont f = label->font();
  f.setBold(true);
  label->setFont(f);
  return label;
}

}  // namespace

// ---- song-edit screen ------------------------------------------------------

CSngeditDlg::CSngeditDlg(CMIDIMgr* mgr, QWidget* parent) : CCenterScreen(mgr, parent) {
  setObjectName(QStringLiteral("CSngeditDlg"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Heading(QStringLiteral("ｿﾝｸﾞの構成"), this));
  pointer_ = new QLabel(this);
  pointer_->setObjectName(QStringLiteral("pointer"));
  pointer_->setProperty("midiId", QM3_ID_POINTER_TIME);
  layout->addWidget(pointer_);
  phrases_ = new QListWidget(this);
  phrases_->setObjectName(QStringLiteral("phrases"));
  phrases_->setProperty("midiId", GetMIDIID(QM3_GROUP_TIME_LINE, 0x0B));
  layout->addWidget(phrases_, 1);
}

bool CSngeditDlg::InitControl() {
  return UpdateTimeLine() && UpdateControl() && MaskControl();
}

bool CSngeditDlg::UpdateControl() {
  return UpdateValue(QM3_ID_POINTER_TIME);
}

bool CSngeditDlg::MaskControl() {
  return true;
}

bool CSngeditDlg::UpdateValue(ControlId id) {
  if (id == QM3_ID_POINTER_TIME || id == QM3_ID_POINTER_TIME + 1) {
    QString text;
    if (!mgr_->GetMIDIValueStr(QM3_ID_POINTER_TIME, &text)) return false;
    pointer_->setText(QStringLiteral("ﾎﾟｲﾝﾀ位置: ") + text);
    return true;
  }
  if (id == GetMIDIID(QM3_GROUP_TIME_LINE, 0x0B)) return UpdateTimeLine();
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return false;
}

bool CSngeditDlg::UpdateTimeLine() {
  const QM3PhraseList* list = nullptr;
  if (!mgr_->GetSongTimeLineData(&list) || list == nullptr) return false;
  phrases_->clear();
  if (list->nCount > 0 && list->pPhrases == nullptr) return false;
  for (int i = 0; i < list->nCount; ++i) {
    const QM3SongPhrase& p = list->pPhrases[i];
    char name[sizeof p.szName + 1] = {};
    std::copy(p.szName, p.szName + sizeof p.szName, name);
    phrases_->addItem(QStringLiteral("%1   %2拍").arg(FromMiddleText(name)).arg(p.nLength));
  }
  int selected = -1;
  if (mgr_->GetSelectPhrase(&selected)) SelectPhrase(selected);
  return true;
}

bool CSngeditDlg::UpdatePointer(long) {
  return UpdateValue(QM3_ID_POINTER_TIME);
}

bool CSngeditDlg::SelectPhrase(int index) {
  if (index < -1 || index >= phrases_->count()) return false;
  phrases_->setCurrentRow(index);
  return true;
}

// ---- SMF-edit screen -------------------------------------------------------

CSmfeditDlg::CSmfeditDlg(CMIDIMgr* mgr, QWidget* parent) : CCenterScreen(mgr, parent) {
  setObjectName(QStringLiteral("CSmfeditDlg"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Heading(QStringLiteral("ﾊﾟｰﾄの編集"), this));
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
  // No line left blank above the pointer while no file is open.
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
  if (GroupOf(id) == QM3_GROUP_PART_PANE) return true;  // the part rows arrive with the part pane
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
