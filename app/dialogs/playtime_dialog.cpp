#include "dialogs/playtime_dialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "dialogs/dialog_parts.h"
#include "shell/trace.h"
#include "shell/window_util.h"

namespace sonavex::app {

CPlaytimeDlg::CPlaytimeDlg(CMIDIMgr* mgr, CMIDIData* data, QWidget* parent)
    : QDialog(parent),
      mgr_(mgr),
      data_(data),
      material_(mgr, data, {QM3_ID_RHYTHM, QM3_ID_MOOD, QM3_ID_MELODY_CHOICE}, this,
                [this](ControlId id) { return UpdateValue(id); }) {
  setObjectName(QStringLiteral("CPlaytimeDlg"));
  setWindowTitle(QStringLiteral("演奏時間を指定してｿﾝｸﾞを作成"));
  setProperty("forwardKeys", true);
  setProperty("screenNumber", QM3_SCREEN_PLAY_TIME);

  auto* columns = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(BuildTimes());
  left->addWidget(material_.BuildRhythm(200), 1);
  columns->addLayout(left, 1);
  columns->addWidget(BuildChoices());

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(QStringLiteral("ｿﾝｸﾞ作成"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("ｷｬﾝｾﾙ"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("cancel"));
  connect(buttons, &QDialogButtonBox::accepted, this, &CPlaytimeDlg::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &CPlaytimeDlg::reject);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(HelpKeyLine(this, HelpPage::kPlaytimeSong), 1);
  bottom->addWidget(buttons);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns, 1);
  layout->addLayout(bottom);
}

QWidget* CPlaytimeDlg::BuildTimes() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  const auto add_time = [&](int row, const char* label, const char* name, ControlId id,
                            QLabel** format) {
    auto* spin = new CBgmSpin(box);
    spin->setObjectName(QString::fromUtf8(name));
    spin->edit()->setProperty("midiId", id);
    spin->edit()->setMinimumWidth(
        spin->fontMetrics().horizontalAdvance(QStringLiteral("0:00:00:00")) + 16);
    connect(spin, &CBgmSpin::ValueCommitted, this, [this, id] { UpdateValue(id); });
    grid->addWidget(ShadowLabel(QString::fromUtf8(label), box), row, 0);
    grid->addWidget(spin, row, 1);
    *format = ShadowLabel(QStringLiteral("[時間:分:秒:ﾌﾚｰﾑ]"), box);
    (*format)->setObjectName(QStringLiteral("%1Format").arg(QString::fromUtf8(name)));
    grid->addWidget(*format, row, 2);
    return spin;
  };
  start_ = add_time(0, "開始時間 : ", "start", QM3_ID_START_TIME, &start_format_);
  end_ = add_time(1, "終了時間 : ", "end", QM3_ID_END_TIME, &end_format_);
  grid->setColumnStretch(3, 1);
  return box;
}

QSlider* CPlaytimeDlg::AddSlider(ControlId id, const char* name) {
  auto* slider = new QSlider(Qt::Horizontal, this);
  slider->setObjectName(QString::fromUtf8(name));
  slider->setProperty("midiId", id);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setPageStep(1);
  slider->setMinimumWidth(120);
  // Written only once a drag or a step has ended.
  connect(slider, &QSlider::valueChanged, this, [this, slider, id](int value) {
    if (!slider->isSliderDown()) Write(id, value);
  });
  connect(slider, &QSlider::sliderReleased, this,
          [this, slider, id] { Write(id, slider->value()); });
  return slider;
}

QWidget* CPlaytimeDlg::BuildChoices() {
  auto* box = new QGroupBox(this);
  auto* grid = new QGridLayout(box);
  int row = 0;
  const auto label = [&](const char* text) {
    grid->addWidget(new QLabel(QString::fromUtf8(text), box), row, 0);
  };

  material_.AddChoiceRows(grid, &row, box);
  grid->addWidget(
      material_.AddCombo(QM3_ID_USER_MELODY, "melody", CMIDIData::kMelody, &CMIDIData::melodies),
      row++, 1);
  label("開始ﾌﾚｰｽﾞ:");
  grid->addWidget(material_.AddCombo(QM3_ID_START_PHRASE, "startPhrase", CMIDIData::kStartPhrase,
                                     &CMIDIData::start_phrases),
                  row++, 1);

  std::vector<QLabel*> lows, highs;
  const auto scale = [&](const char* text, const char* low, const char* high, QSlider* slider) {
    label(text);
    auto* line = new QHBoxLayout;
    lows.push_back(new QLabel(QString::fromUtf8(low), box));
    lows.back()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    highs.push_back(new QLabel(QString::fromUtf8(high), box));
    line->addWidget(lows.back());
    line->addWidget(slider, 1);
    line->addWidget(highs.back());
    grid->addLayout(line, row++, 1);
  };
  liveliness_ = AddSlider(QM3_ID_LIVELINESS, "liveliness");
  scale("にぎやかさ :", "シンプル", "にぎやか", liveliness_);
  tempo_ = AddSlider(QM3_ID_TEMPO_SLIDER, "tempo");
  scale("テンポ :", "遅い", "速い", tempo_);
  // The two sliders line up: their end labels share one width per side.
  for (const std::vector<QLabel*>* side : {&lows, &highs}) {
    int width = 0;
    for (QLabel* l : *side) width = std::max(width, l->sizeHint().width());
    for (QLabel* l : *side) l->setFixedWidth(width);
  }

  label("ｲﾝﾄﾛ :");
  grid->addWidget(material_.AddCombo(QM3_ID_INTRO, "intro", CMIDIData::kIntro, &CMIDIData::intros),
                  row++, 1);
  label("ｴﾝﾃﾞｨﾝｸﾞ :");
  grid->addWidget(
      material_.AddCombo(QM3_ID_ENDING, "ending", CMIDIData::kEnding, &CMIDIData::endings), row++,
      1);

  label("ﾌｪｰﾄﾞｱｳﾄ :");
  fade_out_ = new QCheckBox(box);
  fade_out_->setObjectName(QStringLiteral("fadeOut"));
  fade_out_->setProperty("midiId", QM3_ID_FADE_OUT);
  connect(fade_out_, &QCheckBox::clicked, this,
          [this](bool ticked) { Write(QM3_ID_FADE_OUT, ticked ? 1 : 0); });
  fade_seconds_ = new CBgmSpin(box);
  fade_seconds_->setObjectName(QStringLiteral("fadeOutSeconds"));
  fade_seconds_->edit()->setProperty("midiId", QM3_ID_FADE_OUT_SECONDS);
  fade_seconds_->setFixedWidth(
      fade_seconds_->fontMetrics().horizontalAdvance(QStringLiteral("00")) + 36);
  auto* fade = new QHBoxLayout;
  fade->addWidget(fade_out_);
  fade->addWidget(fade_seconds_);
  fade->addWidget(new QLabel(QStringLiteral("秒"), box));
  fade->addStretch(1);
  grid->addLayout(fade, row++, 1);
  grid->setRowStretch(row, 1);
  return box;
}

int CPlaytimeDlg::exec() {
  mgr_->ChangeWindow(QM3_SCREEN_PLAY_TIME);
  if (before_init_) before_init_();
  if (!InitControl()) TraceLog("ｺﾝﾄﾛｰﾙ初期設定でｴﾗｰ発生\n");
  if (after_init_) after_init_();
  adjustSize();
  MoveWindowCenter(this);
  return QDialog::exec();
}

bool CPlaytimeDlg::InitControl() {
  if (!start_->Bind(mgr_, QM3_ID_START_TIME) || !end_->Bind(mgr_, QM3_ID_END_TIME)) {
    TraceLog("開始時間の最大値・最小値取得に失敗\n");
    return false;
  }
  // Choosing the rhythm in the tree is the user's choice as well: written,
  // the middleware fits the times, intro and ending to it (a song that was
  // never timed gets its shortest playing time) before they are shown.
  if (!material_.CreateTree(true)) return false;
  if (!fade_seconds_->Bind(mgr_, QM3_ID_FADE_OUT_SECONDS)) {
    TraceLog("ﾌｪｰﾄﾞｱｳﾄの最大値・最小値取得に失敗\n");
    return false;
  }
  return ShowCurrentState();
}

bool CPlaytimeDlg::UpdateControl() {
  bool ok = start_->Refresh() && UpdateTimeFormat() && end_->Refresh() &&
            material_.UpdateRhythm() && material_.UpdateChoices();
  for (const CSongMaterial::Combo& combo : material_.combos()) {
    if (combo.id == QM3_ID_INTRO) {
      ok = ok && UpdateSlider(liveliness_, QM3_ID_LIVELINESS) &&
           UpdateSlider(tempo_, QM3_ID_TEMPO_SLIDER);
    }
    ok = ok && material_.UpdateCombo(combo);
  }
  return ok && UpdateValue(QM3_ID_FADE_OUT) && fade_seconds_->Refresh();
}

bool CPlaytimeDlg::UpdateTimeFormat() {
  QString format;
  if (!mgr_->GetMIDIValueStr(QM3_ID_PLAY_TIME_DISPLAY_MODE_LABEL, &format)) return false;
  start_format_->setText(format.trimmed());
  end_format_->setText(format.trimmed());
  return true;
}

bool CPlaytimeDlg::UpdateSlider(QSlider* slider, ControlId id) {
  long minimum = 0, maximum = 0, value = 0;
  if (!mgr_->GetMIDIMinMax(id, &minimum, &maximum) || !mgr_->GetMIDIValue(id, &value)) return false;
  const QSignalBlocker quiet(slider);
  slider->setRange(static_cast<int>(minimum), static_cast<int>(maximum));
  slider->setValue(static_cast<int>(value));
  return true;
}

bool CPlaytimeDlg::UpdateValue(ControlId id) {
  switch (id) {
    case QM3_ID_START_TIME:
      return start_->Refresh() && UpdateTimeFormat();
    case QM3_ID_END_TIME:
      return end_->Refresh();
    case QM3_ID_LIVELINESS:
      return UpdateSlider(liveliness_, id);
    case QM3_ID_TEMPO_SLIDER:
      return UpdateSlider(tempo_, id);
    case QM3_ID_FADE_OUT: {
      long value = 0;
      if (!mgr_->GetMIDIValue(id, &value)) return false;
      fade_out_->setChecked(value == 1);
      return true;
    }
    case QM3_ID_FADE_OUT_SECONDS:
      return fade_seconds_->Refresh();
    case QM3_ID_PLAY_TIME_DISPLAY_MODE_LABEL:
      return UpdateTimeFormat();
    default:
      break;
  }
  if (bool ok = true; material_.UpdateValue(id, &ok)) return ok;
  TraceLog("指定されたMIDIIDはこの画面上のコントロールではありません ID:[%04x]\n", id);
  return true;
}

bool CPlaytimeDlg::MaskControl() {
  std::vector<MaskEntry> table = {
      {QM3_ID_START_TIME, {start_}},      {QM3_ID_END_TIME, {end_}},
      {QM3_ID_LIVELINESS, {liveliness_}}, {QM3_ID_TEMPO_SLIDER, {tempo_}},
      {QM3_ID_FADE_OUT, {fade_out_}},     {QM3_ID_FADE_OUT_SECONDS, {fade_seconds_}},
  };
  material_.AddMaskEntries(&table);
  if (QWidget* ok = findChild<QWidget*>(QStringLiteral("ok")))
    table.push_back({QM3_ID_CREATE_SONG_BUTTON, {ok}});
  if (QWidget* cancel = findChild<QWidget*>(QStringLiteral("cancel")))
    table.push_back({QM3_ID_PLAY_TIME_CANCEL, {cancel}});
  return MaskWidgets(mgr_, this, table);
}

void CPlaytimeDlg::Write(ControlId id, long value) {
  mgr_->SetMIDIValue(id, value);  // a refusal shows the middleware's message
  UpdateValue(id);
}

bool CPlaytimeDlg::PressButton(ControlId id) {
  // Only a Cancel answered to the middleware's refusal keeps the dialog.
  return mgr_->SetMIDIValueAnswer(id, 1) != kIdCancel;
}

void CPlaytimeDlg::accept() {
  if (PressButton(QM3_ID_CREATE_SONG_BUTTON)) QDialog::accept();
}

void CPlaytimeDlg::reject() {
  if (PressButton(QM3_ID_PLAY_TIME_CANCEL)) QDialog::reject();
}

}  // namespace sonavex::app
