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

QRadioButton* Radio(const char* text, const char* name, QButtonGroup* group, int id,
                    QWidget* parent) {
  QRadioButton* radio = IconRadio(text, name, nullptr, parent);
  group->addButton(radio, id);
  return radio;
}

}  // namespace

CRealtimeDlg::CRealtimeDlg(CMIDIMgr* mgr, CMIDIData* data, QWidget* parent)
    : QDialog(parent), mgr_(mgr), data_(data) {
  setObjectName(QStringLiteral("CRealtimeDlg"));
  setWindowTitle(QStringLiteral("ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成"));
  setProperty("forwardKeys", true);
  setProperty("screenNumber", QM3_SCREEN_REAL_TIME);

  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(BuildTimes());
  left->addWidget(BuildRhythm(), 1);
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
  bottom->addWidget(new QLabel(QStringLiteral("ﾍﾙﾌﾟを表示するには [F1] を押してください。"), this),
                    1);
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

QWidget* CRealtimeDlg::BuildRhythm() {
  auto* box = new QGroupBox(QStringLiteral("ﾘｽﾞﾑ :"), this);
  auto* layout = new QVBoxLayout(box);
  rhythm_tree_ = new CRhythmTreeCtrl(box);
  rhythm_tree_->setObjectName(QStringLiteral("rhythmTree"));
  rhythm_tree_->setProperty("midiId", QM3_ID_REAL_TIME_RHYTHM);
  rhythm_tree_->setMinimumSize(220, 150);
  connect(rhythm_tree_, &CCatalogTreeCtrl::SelectionChosen, this, [this](long selection) {
    mgr_->SetMIDIValue(QM3_ID_REAL_TIME_RHYTHM, selection);
    UpdateRhythm();
  });
  layout->addWidget(rhythm_tree_, 1);
  auto* names = new QGridLayout;
  rhythm_name_ = new QLabel(box);
  rhythm_name_->setObjectName(QStringLiteral("rhythmName"));
  rhythm_tempo_ = new QLabel(box);
  rhythm_tempo_->setObjectName(QStringLiteral("rhythmTempo"));
  names->addWidget(new QLabel(QStringLiteral("ﾘｽﾞﾑ名 :"), box), 0, 0);
  names->addWidget(rhythm_name_, 0, 1);
  names->addWidget(new QLabel(QStringLiteral("標準ﾃﾝﾎﾟ :  ♩ ="), box), 1, 0);
  names->addWidget(rhythm_tempo_, 1, 1);
  names->setColumnStretch(1, 1);
  layout->addLayout(names);
  return box;
}

QComboBox* CRealtimeDlg::AddCombo(ControlId id, const char* name, int flag,
                                  const CBgmList& (CMIDIData::*list)() const) {
  auto* box = new QComboBox(this);
  box->setObjectName(QString::fromUtf8(name));
  box->setProperty("midiId", id);
  box->setMinimumContentsLength(12);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combos_.push_back({box, id, flag, list});
  connect(box, &QComboBox::activated, this,
          [this, box, id] { Write(id, CBgmList::GetSelectComboData(box)); });
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

  tune_ = new QButtonGroup(this);
  label(QStringLiteral("曲調 :"));
  pair(Radio("明るい", "light", tune_, 0, box), Radio("暗い", "dark", tune_, 1, box));
  melody_choice_ = new QButtonGroup(this);
  label(QStringLiteral("ﾒﾛﾃﾞｨｰ :"));
  pair(Radio("自動設定", "auto", melody_choice_, 0, box),
       Radio("ﾕｰｻﾞｰ設定", "user", melody_choice_, 1, box));
  for (QAbstractButton* b : tune_->buttons()) b->setProperty("midiId", QM3_ID_REAL_TIME_MOOD);
  for (QAbstractButton* b : melody_choice_->buttons())
    b->setProperty("midiId", QM3_ID_REAL_TIME_MELODY_CHOICE);
  connect(tune_, &QButtonGroup::idClicked, this, [this](int id) {
    if (tune_->button(id)->isChecked()) Write(QM3_ID_REAL_TIME_MOOD, id);
  });
  connect(melody_choice_, &QButtonGroup::idClicked, this, [this](int id) {
    if (melody_choice_->button(id)->isChecked()) Write(QM3_ID_REAL_TIME_MELODY_CHOICE, id);
  });
  grid->addWidget(
      AddCombo(QM3_ID_REAL_TIME_USER_MELODY, "melody", CMIDIData::kMelody, &CMIDIData::melodies),
      row++, 1);
  label(QStringLiteral("開始ﾌﾚｰｽﾞ:"));
  grid->addWidget(AddCombo(QM3_ID_REAL_TIME_START_PHRASE, "startPhrase", CMIDIData::kStartPhrase,
                           &CMIDIData::start_phrases),
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
  long rhythm = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_REAL_TIME_RHYTHM, &rhythm)) {
    TraceLog("ﾘｽﾞﾑの現在値取得に失敗\n");
    return false;
  }
  rhythm_tree_->CreateTree(data_->rhythm_tree(), rhythm);
  if (!tempo_->Bind(mgr_, QM3_ID_TEMPO)) {
    TraceLog("ﾃﾝﾎﾟの最大値・最小値取得に失敗\n");
    return false;
  }
  if (!UpdateControl()) {
    TraceLog("コントロールの現在値取得・更新に失敗\n");
    return false;
  }
  if (!MaskControl()) {
    TraceLog("コントロールの状態取得・マスク処理に失敗\n");
    return false;
  }
  return true;
}

bool CRealtimeDlg::UpdateControl() {
  bool ok = UpdateTimes() && UpdateRhythm() && UpdateRadios(tune_, QM3_ID_REAL_TIME_MOOD) &&
            UpdateRadios(melody_choice_, QM3_ID_REAL_TIME_MELODY_CHOICE);
  for (const ComboBinding& combo : combos_) ok = ok && UpdateCombo(combo);
  return ok && tempo_->Refresh() && pad_->UpdateControl();
}

bool CRealtimeDlg::UpdateTimes() {
  return UpdateValue(QM3_ID_REAL_TIME_START_TIME) && UpdateValue(QM3_ID_REAL_TIME_END_TIME) &&
         UpdateValue(QM3_ID_SONG_LENGTH);
}

bool CRealtimeDlg::UpdateRhythm() {
  long rhythm = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_REAL_TIME_RHYTHM, &rhythm)) return false;
  if (!rhythm_tree_->SelectNumber(rhythm)) TraceLog("ﾘｽﾞﾑの選択に失敗 %ld\n", rhythm);
  QString name;
  long tempo = 0;
  if (rhythm_tree_->tree().GetNamesFromSelNum(rhythm, &name, &tempo)) {
    rhythm_name_->setText(name);
    rhythm_tempo_->setText(QString::number(tempo));
  }
  return true;
}

bool CRealtimeDlg::UpdateRadios(QButtonGroup* group, ControlId id) {
  long value = 0;
  if (!mgr_->GetMIDIValue(id, &value)) return false;
  group->button(value == 0 ? 0 : 1)->setChecked(true);
  return true;
}

bool CRealtimeDlg::UpdateCombo(const ComboBinding& combo) {
  if (!data_->UpdateListInfo(combo.list_flag)) return false;
  long value = 0;
  if (!mgr_->GetMIDIValue(combo.id, &value)) return false;
  (data_->*combo.list)().AddControl(combo.box, value);
  if (combo.box->currentIndex() < 0)
    TraceLog("コンボボックスの選択に失敗 ID:[%04x] %ld\n", combo.id, value);
  return true;
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
    case QM3_ID_REAL_TIME_RHYTHM:
      return UpdateRhythm();
    case QM3_ID_REAL_TIME_MOOD:
      return UpdateRadios(tune_, id);
    case QM3_ID_REAL_TIME_MELODY_CHOICE:
      return UpdateRadios(melody_choice_, id);
    case QM3_ID_TEMPO:
      return tempo_->Refresh();
    default:
      break;
  }
  for (const ComboBinding& combo : combos_) {
    if (combo.id == id) return UpdateCombo(combo);
  }
  if (pad_->ShowsValue(id)) return pad_->UpdateValue(id);
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return true;
}

bool CRealtimeDlg::MaskControl() {
  struct Governed {
    ControlId id;
    std::vector<QWidget*> widgets;
  };
  std::vector<Governed> table = {
      {QM3_ID_REAL_TIME_START_TIME, {start_}},
      {QM3_ID_REAL_TIME_RHYTHM, {rhythm_tree_, rhythm_name_, rhythm_tempo_}},
      {QM3_ID_REAL_TIME_MOOD, {tune_->button(0), tune_->button(1)}},
      {QM3_ID_REAL_TIME_MELODY_CHOICE, {melody_choice_->button(0), melody_choice_->button(1)}},
      {QM3_ID_TEMPO, {tempo_}},
      {QM3_ID_STANDARD_TEMPO_BUTTON, {standard_tempo_}},
      {QM3_ID_REAL_TIME_OK, {ok_}},
      {QM3_ID_REAL_TIME_CANCEL, {cancel_}},
  };
  for (const ComboBinding& combo : combos_) table.push_back({combo.id, {combo.box}});
  for (const Governed& g : table) {
    bool alive = true;
    if (!mgr_->GetMIDIAlive(g.id, &alive)) return false;
    for (QWidget* w : g.widgets) {
      // The focus moves on before its control is disabled.
      if (!alive && (w == focusWidget() || w->isAncestorOf(focusWidget()))) focusNextChild();
      w->setEnabled(alive);
    }
  }
  return pad_->MaskControl();
}

void CRealtimeDlg::Write(ControlId id, long value) {
  mgr_->SetMIDIValue(id, value);  // a refusal shows the middleware's message
  UpdateValue(id);
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
