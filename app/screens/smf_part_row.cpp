#include "screens/smf_part_row.h"

#include "controls/sound_tree.h"
#include "shell/trace.h"

namespace sonavex::app {

CSmfPartRow::CSmfPartRow(CMIDIMgr* mgr, int row, QWidget* owner)
    : QObject(owner), mgr_(mgr), row_(row) {
  setObjectName(QStringLiteral("partRow%1").arg(row + 1));
  QWidget* parent = owner;
  play_ = new QToolButton(parent);
  play_->setObjectName(QStringLiteral("play"));
  play_->setCheckable(true);
  play_->setAutoRaise(true);
  play_->setToolTip(QStringLiteral("演奏する/しない"));
  label_ = new QLabel(parent);
  label_->setObjectName(QStringLiteral("label"));
  label_->setMinimumWidth(label_->fontMetrics().horizontalAdvance(QStringLiteral("ﾊﾟｰﾄ16")) + 4);
  sound_ = new QLabel(parent);
  sound_->setObjectName(QStringLiteral("sound"));
  sound_->setFrameShape(QFrame::Panel);
  sound_->setFrameShadow(QFrame::Sunken);
  sound_->setMinimumWidth(sound_->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 9);
  choose_ = new QToolButton(parent);
  choose_->setObjectName(QStringLiteral("chooseSound"));
  choose_->setIcon(QIcon(QStringLiteral(":/icons/sound_select.svg")));
  choose_->setToolTip(QStringLiteral("ｻｳﾝﾄﾞ選択"));
  volume_ = new CBgmSpin(parent);
  volume_->setObjectName(QStringLiteral("volume"));
  pan_ = new CBgmSpin(parent);
  pan_->setObjectName(QStringLiteral("pan"));
  for (CBgmSpin* spin : {volume_, pan_}) {
    spin->edit()->setMaximumWidth(spin->fontMetrics().horizontalAdvance(QStringLiteral("0000")) +
                                  14);
  }
  connect(play_, &QToolButton::clicked, this, &CSmfPartRow::OnSmfChkPart);
  connect(choose_, &QToolButton::clicked, this, [this] { emit SoundRequested(row_); });
  ShowPlay(false);
}

void CSmfPartRow::AddTo(QGridLayout* grid, int grid_row) {
  int column = 0;
  for (QWidget* w :
       std::initializer_list<QWidget*>{play_, label_, sound_, choose_, volume_, pan_}) {
    w->setObjectName(w->objectName() + QString::number(row_ + 1));
    grid->addWidget(w, grid_row, column++);
  }
}

int CSmfPartRow::RowHeight() const {
  return std::max({volume_->sizeHint().height(), choose_->sizeHint().height(), 22}) + 2;
}

bool CSmfPartRow::ChangePartNo(int part) {
  part_ = std::clamp(part, 1, QM3_PART_COUNT);
  label_->setText(QString::asprintf("ﾊﾟｰﾄ%d", part_));
  play_->setProperty("midiId", ItemId(part_, kPlay));
  sound_->setProperty("midiId", ItemId(part_, kSound));
  choose_->setProperty("midiId", ItemId(part_, kSound));
  volume_->edit()->setProperty("midiId", ItemId(part_, kVolume));
  pan_->edit()->setProperty("midiId", ItemId(part_, kPan));
  return CreateSpin();
}

bool CSmfPartRow::CreateSpin() {
  if (!volume_->Bind(mgr_, ItemId(part_, kVolume))) {
    TraceLog("ﾊﾟｰﾄﾎﾞﾘｭｰﾑ[%d]の最大値・最小値取得に失敗\n", part_);
    return false;
  }
  if (!pan_->Bind(mgr_, ItemId(part_, kPan))) {
    TraceLog("ﾊﾟﾝ[%d]の最大値・最小値取得に失敗\n", part_);
    return false;
  }
  return true;
}

void CSmfPartRow::ShowPlay(bool ticked) {
  play_->setChecked(ticked);
  play_->setIcon(QIcon(ticked ? QStringLiteral(":/icons/part_on.svg")
                              : QStringLiteral(":/icons/part_off.svg")));
}

void CSmfPartRow::OnSmfChkPart(bool ticked) {
  if (mgr_->SetMIDIValue(ItemId(part_, kPlay), ticked ? 1 : 0)) {
    ShowPlay(ticked);
    return;
  }
  TraceLog("OnSmfChkPart%d ﾐﾄﾞﾙへの値通知に失敗", row_ + 1);
  long value = 0;
  ShowPlay(mgr_->GetMIDIValue(ItemId(part_, kPlay), &value) && value == 1);
}

void CSmfPartRow::ShowEmpty() {
  ShowPlay(false);
  sound_->clear();
  sound_->setToolTip({});
  volume_->SetText({});
  pan_->SetText({});
  for (QWidget* w : std::initializer_list<QWidget*>{play_, label_, sound_, choose_, volume_, pan_})
    w->setEnabled(false);
}

void CSmfPartRow::SetSoundName(const QString& name) {
  sound_->setText(name.trimmed().isEmpty() ? QStringLiteral(" ") : name.trimmed());
  sound_->setToolTip(sound_->text());
}

bool CSmfPartRow::UpdateItem(Item item, const CSoundTree& sounds) {
  long value = 0;
  switch (item) {
    case kPlay:
      if (!mgr_->GetMIDIValue(ItemId(part_, kPlay), &value)) {
        TraceLog("ﾊﾟｰﾄ%d(ﾁｪｯｸ)の現在値取得に失敗\n", part_);
        return false;
      }
      ShowPlay(value == 1);
      return true;
    case kSound:
      if (!mgr_->GetMIDIValue(ItemId(part_, kSound), &value)) {
        TraceLog("ｻｳﾝﾄﾞ%dの現在値取得に失敗\n", part_);
        return false;
      }
      // A number the tree does not know shows as a blank.
      SetSoundName(sounds.GetSoundName(value));
      return true;
    case kVolume:
      if (!volume_->Refresh()) {
        TraceLog("ﾊﾟｰﾄﾎﾞﾘｭｰﾑ%dの現在値取得に失敗\n", part_);
        return false;
      }
      return true;
    case kPan:
      if (!pan_->Refresh()) {
        TraceLog("ﾊﾟﾝ%dの現在値取得に失敗\n", part_);
        return false;
      }
      return true;
  }
  return false;
}

bool CSmfPartRow::UpdateControl(const CSoundTree& sounds) {
  return UpdateItem(kPlay, sounds) && UpdateItem(kSound, sounds) && UpdateItem(kVolume, sounds) &&
         UpdateItem(kPan, sounds);
}

bool CSmfPartRow::MaskControl() {
  bool alive = false;
  if (!mgr_->GetMIDIAlive(ItemId(part_, kPlay), &alive)) return false;
  play_->setEnabled(alive);
  label_->setEnabled(alive);
  if (!mgr_->GetMIDIAlive(ItemId(part_, kSound), &alive)) {
    TraceLog("ｻｳﾝﾄﾞ[%d]の状態取得に失敗\n", part_);
    return false;
  }
  sound_->setEnabled(alive);
  choose_->setEnabled(alive);
  if (!mgr_->GetMIDIAlive(ItemId(part_, kVolume), &alive)) return false;
  volume_->setEnabled(alive);
  if (!mgr_->GetMIDIAlive(ItemId(part_, kPan), &alive)) {
    TraceLog("ﾊﾞﾝ[%d]の状態取得に失敗\n", part_);
    return false;
  }
  pan_->setEnabled(alive);
  return true;
}

}  // namespace sonavex::app
