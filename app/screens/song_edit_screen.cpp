#include "screens/song_edit_screen.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

#include "screens/lane_labels.h"
#include "screens/pointer_row.h"
#include "screens/time_line_geometry.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr ControlId kPartIds[] = {QM3_ID_PHRASE_ACCOMP1, QM3_ID_PHRASE_ACCOMP2,
                                  QM3_ID_PHRASE_ACCOMP3, QM3_ID_PHRASE_BASS,
                                  QM3_ID_PHRASE_DRUMS,   QM3_ID_PHRASE_MELODY};
const char* const kPartNames[] = {"伴奏1", "伴奏2", "伴奏3", "ﾍﾞｰｽ", "ﾄﾞﾗﾑ", "ﾒﾛﾃﾞｨｰ"};

QButtonGroup* RadioRow(const QStringList& texts, const QString& name, ControlId id,
                       QHBoxLayout* row, QWidget* parent) {
  auto* group = new QButtonGroup(parent);
  group->setObjectName(name);
  for (int i = 0; i < texts.size(); ++i) {
    auto* radio = new QRadioButton(texts[i], parent);
    radio->setObjectName(QStringLiteral("%1%2").arg(name).arg(i + 1));
    radio->setProperty("midiId", id);
    group->addButton(radio, i);
    row->addWidget(radio);
  }
  return group;
}

}  // namespace

CSngeditDlg::CSngeditDlg(CMIDIMgr* mgr, int* scale, QWidget* parent)
    : CCenterScreen(mgr, scale, parent) {
  setObjectName(QStringLiteral("CSngeditDlg"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(6, 6, 6, 6);

  const PointerRow pointer = MakePointerRow(QM3_ID_POINTER_TIME, QM3_ID_POINTER_TICKS, this);
  pointer_time_ = pointer.time;
  pointer_measure_ = pointer.measure;
  zoom_in_ = pointer.zoom_in;
  zoom_out_ = pointer.zoom_out;
  layout->addLayout(pointer.row);

  auto* choice_row = new QHBoxLayout;
  choice_row->addWidget(new QLabel(QStringLiteral("ﾊﾞﾘｴｰｼｮﾝ :"), this));
  variation_ = RadioRow({"1", "2", "3", "4"}, QStringLiteral("variation"), QM3_ID_PHRASE_VARIATION,
                        choice_row, this);
  choice_row->addSpacing(16);
  choice_row->addWidget(new QLabel(QStringLiteral("ﾌｨﾙｲﾝ :"), this));
  fill_in_ = RadioRow({"1", "2", QStringLiteral("なし")}, QStringLiteral("fillIn"),
                      QM3_ID_PHRASE_FILL_IN, choice_row, this);
  choice_row->addStretch(1);
  layout->addLayout(choice_row);

  auto* part_row = new QHBoxLayout;
  part_row->addWidget(new QLabel(QStringLiteral("演奏ﾊﾟｰﾄ :"), this));
  for (size_t i = 0; i < parts_.size(); ++i) {
    parts_[i] = new QCheckBox(QString::fromUtf8(kPartNames[i]), this);
    parts_[i]->setObjectName(QStringLiteral("part%1").arg(i + 1));
    parts_[i]->setProperty("midiId", kPartIds[i]);
    part_row->addWidget(parts_[i]);
    connect(parts_[i], &QCheckBox::clicked, this,
            [this, i](bool ticked) { WriteChoice(kPartIds[i], ticked ? 1 : 0); });
  }
  part_row->addStretch(1);
  layout->addLayout(part_row);

  sng_ = new CSngWnd(mgr_, this);
  sng_->setProperty("midiId", QM3_ID_SONG_TIME_LINE_AREA);
  auto* line_row = new QHBoxLayout;
  line_row->setSpacing(2);
  line_row->addWidget(new CLaneLabels(
      sng_, {QStringLiteral("時間"), QStringLiteral("小節・拍"), QStringLiteral("ﾌﾚｰｽﾞ")}, this));
  line_row->addWidget(sng_, 1);
  layout->addLayout(line_row, 1);

  connect(variation_, &QButtonGroup::idClicked, this,
          [this](int id) { WriteChoice(QM3_ID_PHRASE_VARIATION, id); });
  connect(fill_in_, &QButtonGroup::idClicked, this,
          [this](int id) { WriteChoice(QM3_ID_PHRASE_FILL_IN, id); });
  connect(zoom_in_, &QToolButton::clicked, this, &CSngeditDlg::OnSngBtnExpansion);
  connect(zoom_out_, &QToolButton::clicked, this, &CSngeditDlg::OnSngBtnReduction);
}

bool CSngeditDlg::CreateSngWnd() {
  CTimeLineWnd::Options o;
  o.small_font = false;
  o.ticks_per_width = ZoomOf(Scale()).ticks_per_width;
  o.total_ticks = sng_->phrases().GetSongAll() * kTicksPerBeat;
  o.range_allowed = false;
  return sng_->CreateWnd(o);
}

bool CSngeditDlg::InitControl() {
  const bool built = sng_->RebuildPhrases();
  if (!CreateSngWnd()) return false;
  return built && UpdateControl() && MaskControl();
}

bool CSngeditDlg::UpdateDisplay(ControlId id, QLabel* label) {
  QString text;
  if (!mgr_->GetMIDIValueStr(id, &text)) {
    TraceLog("ﾎﾟｲﾝﾀ位置[%04x]の現在値取得に失敗\n", id);
    return false;
  }
  label->setText(text.trimmed());
  return true;
}

bool CSngeditDlg::UpdateVariation() {
  long value = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_PHRASE_VARIATION, &value)) {
    TraceLog("ﾊﾞﾘｴｰｼｮﾝの現在値取得に失敗\n");
    return false;
  }
  // A value without a button clears all four.
  variation_->setExclusive(false);
  for (QAbstractButton* b : variation_->buttons()) b->setChecked(variation_->id(b) == value);
  variation_->setExclusive(true);
  return true;
}

bool CSngeditDlg::UpdateFillIn() {
  long value = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_PHRASE_FILL_IN, &value)) {
    TraceLog("ﾌｨﾙｲﾝの現在値取得に失敗\n");
    return false;
  }
  fill_in_->setExclusive(false);
  for (QAbstractButton* b : fill_in_->buttons()) b->setChecked(fill_in_->id(b) == value);
  fill_in_->setExclusive(true);
  return true;
}

bool CSngeditDlg::UpdatePart(int index) {
  long value = 0;
  if (!mgr_->GetMIDIValue(kPartIds[index], &value)) {
    TraceLog("演奏ﾊﾟｰﾄ(%d)の現在値取得に失敗\n", index + 1);
    return false;
  }
  parts_[static_cast<size_t>(index)]->setChecked(value == 1);
  return true;
}

bool CSngeditDlg::UpdateControl() {
  if (!UpdateDisplay(QM3_ID_POINTER_TIME, pointer_time_) ||
      !UpdateDisplay(QM3_ID_POINTER_TICKS, pointer_measure_) || !UpdateVariation() ||
      !UpdateFillIn()) {
    return false;
  }
  for (int i = 0; i < 6; ++i) {
    if (!UpdatePart(i)) return false;
  }
  return true;
}

bool CSngeditDlg::MaskControl() {
  bool alive = false;
  if (!mgr_->GetMIDIAlive(QM3_ID_POINTER_TIME, &alive)) return false;
  pointer_time_->setEnabled(alive);
  if (!mgr_->GetMIDIAlive(QM3_ID_POINTER_TICKS, &alive)) return false;
  pointer_measure_->setEnabled(alive);
  if (!mgr_->GetMIDIAlive(QM3_ID_PHRASE_VARIATION, &alive)) return false;
  for (QAbstractButton* b : variation_->buttons()) b->setEnabled(alive);
  if (!mgr_->GetMIDIAlive(QM3_ID_PHRASE_FILL_IN, &alive)) return false;
  for (QAbstractButton* b : fill_in_->buttons()) b->setEnabled(alive);
  for (size_t i = 0; i < parts_.size(); ++i) {
    if (!mgr_->GetMIDIAlive(kPartIds[i], &alive)) return false;
    parts_[i]->setEnabled(alive);
  }
  // The time-line area has no record of its own: it is always there.
  long area = 1, unused = 0;
  const bool line_alive =
      mgr_->GetValue(QM3_ID_SONG_TIME_LINE_AREA, QM3_CMD_ALIVE, &area, &unused) != 0 || area == 1;
  sng_->setEnabled(line_alive);
  zoom_in_->setEnabled(line_alive && Scale() < kMaxScale);
  zoom_out_->setEnabled(line_alive && Scale() > kMinScale);
  return true;
}

bool CSngeditDlg::UpdateValue(ControlId id) {
  switch (id) {
    case QM3_ID_POINTER_TIME:
      return UpdateDisplay(QM3_ID_POINTER_TIME, pointer_time_);
    case QM3_ID_POINTER_TICKS:
      return UpdateDisplay(QM3_ID_POINTER_TICKS, pointer_measure_);
    case QM3_ID_PHRASE_VARIATION:
      return UpdateVariation();
    case QM3_ID_PHRASE_FILL_IN:
      return UpdateFillIn();
    case QM3_ID_SONG_TIME_LINE_AREA:
      return UpdateTimeLine();
    default:
      break;
  }
  for (int i = 0; i < 6; ++i) {
    if (id == kPartIds[i]) return UpdatePart(i);
  }
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return false;
}

bool CSngeditDlg::UpdateTimeLine() {
  const bool ok = sng_->RebuildPhrases();
  sng_->UpdateTimeLine();
  return ok;
}

bool CSngeditDlg::UpdatePointer(long tick) {
  // Reading the position back also tells the middleware that the pointer
  // was seen, which paces its notifications during play.
  const bool shown = UpdateDisplay(QM3_ID_POINTER_TIME, pointer_time_) &&
                     UpdateDisplay(QM3_ID_POINTER_TICKS, pointer_measure_);
  return sng_->UpdatePointer(tick) && shown;
}

bool CSngeditDlg::SelectPhrase(int index) {
  return sng_->SelectPhrase(index);
}

void CSngeditDlg::WriteChoice(ControlId id, long value) {
  // A refused write shows the middleware's message; the control then shows
  // the value the middleware kept.
  if (!mgr_->SetMIDIValue(id, value)) TraceLog("ﾐﾄﾞﾙへの値通知に失敗 ID:[%04x]\n", id);
  UpdateValue(id);
}

void CSngeditDlg::ChangeZoom(int step) {
  if (!StepScale(step)) return;
  sng_->ChangeScale(ZoomOf(Scale()).ticks_per_width);
  MaskControl();
}

void CSngeditDlg::OnSngBtnExpansion() {
  ChangeZoom(+1);
}

void CSngeditDlg::OnSngBtnReduction() {
  ChangeZoom(-1);
}

}  // namespace sonavex::app
