#include "dialogs/realtime_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "dialogs/dialog_parts.h"
#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {
namespace {

// The song values this dialog shows under their play-time names too: the
// middleware may announce a change by either name.
ControlId RealTimeName(ControlId id) {
  switch (id) {
    case QM3_ID_START_TIME:
      return QM3_ID_REAL_TIME_START_TIME;
    case QM3_ID_END_TIME:
      return QM3_ID_REAL_TIME_END_TIME;
    case QM3_ID_RHYTHM:
      return QM3_ID_REAL_TIME_RHYTHM;
    case QM3_ID_MOOD:
      return QM3_ID_REAL_TIME_MOOD;
    case QM3_ID_MELODY_CHOICE:
      return QM3_ID_REAL_TIME_MELODY_CHOICE;
    case QM3_ID_USER_MELODY:
      return QM3_ID_REAL_TIME_USER_MELODY;
    case QM3_ID_START_PHRASE:
      return QM3_ID_REAL_TIME_START_PHRASE;
    default:
      return id;
  }
}

}  // namespace

CRealtimeDlg::CRealtimeDlg(CMIDIMgr* mgr, CMIDIData* data, QWidget* parent)
    : QDialog(parent),
      mgr_(mgr),
      data_(data),
      material_(mgr, data,
                {QM3_ID_REAL_TIME_RHYTHM, QM3_ID_REAL_TIME_MOOD, QM3_ID_REAL_TIME_MELODY_CHOICE},
                this, [this](ControlId id) { return UpdateValue(id); }) {
  setObjectName(QStringLiteral("CRealtimeDlg"));
  setWindowTitle(QStringLiteral("ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成"));
  setProperty("forwardKeys", true);
  setProperty("screenNumber", QM3_SCREEN_REAL_TIME);

  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(BuildTimes());
  left->addWidget(material_.BuildRhythm(150), 1);
  columns->addLayout(left, 1);
  columns->addWidget(BuildChoices());

  pad_ = new CSectionPad(mgr_, this);
  // A press may start a run and lock the material (recording): the states
  // are read back at once rather than at the middleware's redraw.
  connect(pad_, &CSectionPad::Pressed, this, [this] { MaskControl(); });

  auto* buttons = new QDialogButtonBox(this);
  ok_ = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok_->setObjectName(QStringLiteral("ok"));
  ok_->setProperty("midiId", QM3_ID_REAL_TIME_OK);
  cancel_ = buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole);
  cancel_->setObjectName(QStringLiteral("cancel"));
  cancel_->setProperty("midiId", QM3_ID_REAL_TIME_CANCEL);
  // Enter must not end a performance: OK only by its own click or key.
  ok_->setAutoDefault(false);
  cancel_->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &CRealtimeDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CRealtimeDlg::reject);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(HelpKeyLine(this, HelpPage::kRealtimeSong), 1);
  bottom->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addWidget(pad_);
  layout->addLayout(bottom);
}

QWidget* CRealtimeDlg::BuildTimes() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  grid->addWidget(ShadowLabel(QStringLiteral("時間"), box), 0, 1);
  grid->addWidget(ShadowLabel(QStringLiteral("小節・拍"), box), 0, 2);
  grid->addWidget(ShadowLabel(QStringLiteral("開始時間 :"), box), 1, 0);
  start_ = new CBgmSpin(box);
  start_->setObjectName(QStringLiteral("start"));
  start_->edit()->setProperty("midiId", QM3_ID_REAL_TIME_START_TIME);
  start_->edit()->setMinimumWidth(
      start_->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00:00")) + 16);
  connect(start_, &CBgmSpin::ValueCommitted, this,
          [this] { UpdateValue(QM3_ID_REAL_TIME_START_TIME); });
  grid->addWidget(start_, 1, 1);
  grid->addWidget(ShadowLabel(QStringLiteral("終了時間 :"), box), 2, 0);
  end_ = ShadowLabel(QString(), box);
  end_->setObjectName(QStringLiteral("end"));
  grid->addWidget(end_, 2, 1);
  position_ = ShadowLabel(QString(), box);
  position_->setObjectName(QStringLiteral("endPosition"));
  position_->setMinimumWidth(position_->fontMetrics().horizontalAdvance(QStringLiteral("000:0")) +
                             12);
  grid->addWidget(position_, 2, 2);
  start_format_ = ShadowLabel(QStringLiteral("[時間:分:秒:ﾌﾚｰﾑ]"), box);
  start_format_->setObjectName(QStringLiteral("startFormat"));
  grid->addWidget(start_format_, 3, 1, 1, 2);
  grid->setColumnStretch(3, 1);
  return box;
}

QWidget* CRealtimeDlg::BuildChoices() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  int row = 0;
  const auto label = [&](const QString& text) { grid->addWidget(new QLabel(text, box), row, 0); };
  const auto pair = [&](QWidget* a, QWidget* b) {
    auto* line = new QHBoxLayout;
    line->addWidget(a);
    line->addWidget(b);
    line->addStretch(1);
    grid->addLayout(line, row++, 1);
  };

  material_.AddChoiceRows(grid, &row, box);
  grid->addWidget(material_.AddCombo(QM3_ID_REAL_TIME_USER_MELODY, "melody", CMIDIData::kMelody,
                                     &CMIDIData::melodies),
                  row++, 1);
  label(QStringLiteral("開始ﾌﾚｰｽﾞ:"));
  grid->addWidget(material_.AddCombo(QM3_ID_REAL_TIME_START_PHRASE, "startPhrase",
                                     CMIDIData::kStartPhrase, &CMIDIData::start_phrases),
                  row++, 1);

  label(QStringLiteral("ﾃﾝﾎﾟ :  ♩ = "));
  tempo_ = new CBgmSpin(box);
  tempo_->setObjectName(QStringLiteral("tempo"));
  tempo_->edit()->setProperty("midiId", QM3_ID_TEMPO);
  tempo_->setFixedWidth(tempo_->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 40);
  connect(tempo_, &CBgmSpin::ValueCommitted, this, [this] { UpdateValue(QM3_ID_TEMPO); });
  standard_tempo_ = new QPushButton(QStringLiteral("標準ﾃﾝﾎﾟ"), box);
  standard_tempo_->setObjectName(QStringLiteral("standardTempo"));
  standard_tempo_->setProperty("midiId", QM3_ID_STANDARD_TEMPO_BUTTON);
  standard_tempo_->setAutoDefault(false);
  connect(standard_tempo_, &QPushButton::clicked, this, [this] {
    mgr_->SetMIDIValue(QM3_ID_STANDARD_TEMPO_BUTTON, 1);
    UpdateValue(QM3_ID_TEMPO);
  });
  pair(tempo_, standard_tempo_);
  grid->setRowStretch(row, 1);
  return box;
}

int CRealtimeDlg::exec() {
  mgr_->ChangeWindow(QM3_SCREEN_REAL_TIME);
  setUpdatesEnabled(false);  // built out of sight
  if (!InitControl()) TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
  setUpdatesEnabled(true);
  adjustSize();
  MoveWindowCenter(this);
  // The pad has the keyboard, so the section keys work from the start.
  if (QWidget* first = pad_->entries().front().button; first->isEnabled()) first->setFocus();
  return QDialog::exec();
}

bool CRealtimeDlg::InitControl() {
  if (!start_->Bind(mgr_, QM3_ID_REAL_TIME_START_TIME)) {
    TraceLog("開始時間の最大値・最小値取得に失敗\n");
    return false;
  }
  if (!material_.CreateTree(false)) return false;
  if (!tempo_->Bind(mgr_, QM3_ID_TEMPO)) {
    TraceLog("ﾃﾝﾎﾟの最大値・最小値取得に失敗\n");
    return false;
  }
  return ShowCurrentState();
}

bool CRealtimeDlg::UpdateControl() {
  bool ok = UpdateTimes() && material_.UpdateRhythm() && material_.UpdateChoices();
  for (const CSongMaterial::Combo& combo : material_.combos())
    ok = ok && material_.UpdateCombo(combo);
  return ok && tempo_->Refresh() && pad_->UpdateControl();
}

bool CRealtimeDlg::UpdateTimes() {
  return UpdateValue(QM3_ID_REAL_TIME_START_TIME) && UpdateValue(QM3_ID_REAL_TIME_END_TIME) &&
         UpdateValue(QM3_ID_SONG_LENGTH);
}

bool CRealtimeDlg::UpdateValue(ControlId id) {
  id = RealTimeName(id);
  QString text;
  switch (id) {
    case QM3_ID_REAL_TIME_START_TIME:
    case QM3_ID_REAL_TIME_DISPLAY_MODE_LABEL:
      if (!start_->Refresh() || !mgr_->GetMIDIValueStr(QM3_ID_REAL_TIME_DISPLAY_MODE_LABEL, &text))
        return false;
      start_format_->setText(text.trimmed());
      return true;
    case QM3_ID_REAL_TIME_END_TIME:
      if (!mgr_->GetMIDIValueStr(id, &text)) {
        TraceLog("終了時間の現在値取得に失敗\n");
        return false;
      }
      end_->setText(text.trimmed());
      return true;
    case QM3_ID_SONG_LENGTH:
      if (!mgr_->GetMIDIValueStr(id, &text)) {
        TraceLog("終了時間(小節・拍)の現在値取得に失敗\n");
        return false;
      }
      position_->setText(text.trimmed());
      return true;
    case QM3_ID_TEMPO:
      return tempo_->Refresh();
    default:
      break;
  }
  if (bool ok = true; material_.UpdateValue(id, &ok)) return ok;
  if (pad_->ShowsValue(id)) return pad_->UpdateValue(id);
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return true;
}

bool CRealtimeDlg::MaskControl() {
  std::vector<MaskEntry> table = {
      {QM3_ID_REAL_TIME_START_TIME, {start_}},
      {QM3_ID_TEMPO, {tempo_}},
      {QM3_ID_STANDARD_TEMPO_BUTTON, {standard_tempo_}},
      {QM3_ID_REAL_TIME_OK, {ok_}},
      {QM3_ID_REAL_TIME_CANCEL, {cancel_}},
  };
  material_.AddMaskEntries(&table);
  return MaskWidgets(mgr_, this, table) && pad_->MaskControl();
}

void CRealtimeDlg::OnStopNotified() {
  mgr_->SetMIDIValue(QM3_ID_STOP, 0);
  UpdateRedraw();
}

bool CRealtimeDlg::PressButton(ControlId id) {
  // Only a Cancel answered to the middleware's refusal keeps the dialog.
  return mgr_->SetMIDIValueAnswer(id, 1) != kIdCancel;
}

void CRealtimeDlg::accept() {
  if (!ok_->isEnabled()) return;
  if (PressButton(QM3_ID_REAL_TIME_OK)) QDialog::accept();
}

void CRealtimeDlg::reject() {
  // Escape and the window's close box are the cancel button: not while
  // recording.
  if (!cancel_->isEnabled()) return;
  if (PressButton(QM3_ID_REAL_TIME_CANCEL)) QDialog::reject();
}

}  // namespace sonavex::app
