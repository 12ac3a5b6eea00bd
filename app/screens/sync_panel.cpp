#include "screens/sync_panel.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>

#include "screens/pointer_row.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr ControlId kSpinIds[] = {QM3_ID_SYNC1_TIME, QM3_ID_SYNC1_MEASURE,
                                  QM3_ID_SYNC2_TIME, QM3_ID_SYNC2_MEASURE,
                                  QM3_ID_EDIT_TEMPO, QM3_ID_EDIT_FADE_OUT_SECONDS};
const char* const kSpinNames[] = {"sync1Time",    "sync1Measure", "sync2Time",
                                  "sync2Measure", "tempo",        "fadeOutSeconds"};
const char* const kRangeFailures[] = {"同期ﾎﾟｲﾝﾄ1(時間)の最大値・最小値取得に失敗\n",
                                      "同期ﾎﾟｲﾝﾄ1(小節・拍)の最大値・最小値取得に失敗\n",
                                      "同期ﾎﾟｲﾝﾄ2(時間)の最大値・最小値取得に失敗\n",
                                      "同期ﾎﾟｲﾝﾄ2(小節・拍)の最大値・最小値取得に失敗\n",
                                      "ﾃﾝﾎﾟの最大値・最小値取得に失敗\n",
                                      "ﾌｪｰﾄﾞｱｳﾄ(秒)の最大値・最小値取得に失敗\n"};
const char* const kValueFailures[] = {"同期ﾎﾟｲﾝﾄ1(時間)の現在値取得に失敗\n",
                                      "同期ﾎﾟｲﾝﾄ1(小節・拍)の現在値取得に失敗\n",
                                      "同期ﾎﾟｲﾝﾄ2(時間)の現在値取得に失敗\n",
                                      "同期ﾎﾟｲﾝﾄ2(小節・拍)の現在値取得に失敗\n",
                                      "ﾃﾝﾎﾟの現在値取得に失敗\n",
                                      "ﾌｪｰﾄﾞｱｳﾄ(秒)の現在値取得に失敗\n"};

}  // namespace

CSyncPanel::CSyncPanel(CMIDIMgr* mgr, QWidget* parent) : QWidget(parent), mgr_(mgr) {
  setObjectName(QStringLiteral("CSyncPanel"));
  for (int i = 0; i < kSpinCount; ++i) {
    auto* spin = new CBgmSpin(this);
    spin->setObjectName(QString::fromUtf8(kSpinNames[i]));
    spin->edit()->setProperty("midiId", kSpinIds[i]);
    spins_[static_cast<size_t>(i)] = spin;
  }
  method_ = ValueLabel(QStringLiteral("syncMethod"), QM3_ID_SYNC_METHOD, this,
                       Qt::AlignLeft | Qt::AlignVCenter);
  start_ = ValueLabel(QStringLiteral("startTime"), QM3_ID_EDIT_START_TIME, this,
                      Qt::AlignLeft | Qt::AlignVCenter);
  end_ = ValueLabel(QStringLiteral("endTime"), QM3_ID_EDIT_END_TIME, this,
                    Qt::AlignLeft | Qt::AlignVCenter);
  reset_ = new QPushButton(QStringLiteral("標準ﾃﾝﾎﾟ"), this);
  reset_->setObjectName(QStringLiteral("standardTempo"));
  reset_->setProperty("midiId", QM3_ID_EDIT_STANDARD_TEMPO_BUTTON);
  fade_out_ = new QCheckBox(QStringLiteral("ﾌｪｰﾄﾞｱｳﾄ :"), this);
  fade_out_->setObjectName(QStringLiteral("fadeOut"));
  fade_out_->setProperty("midiId", QM3_ID_EDIT_FADE_OUT);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setHorizontalSpacing(6);
  auto* top = new QHBoxLayout;
  top->addWidget(new QLabel(QStringLiteral("同期調整 :"), this));
  top->addWidget(method_);
  top->addSpacing(12);
  top->addWidget(new QLabel(QStringLiteral("［ 開始時間 :"), this));
  top->addWidget(start_);
  top->addWidget(new QLabel(QStringLiteral("/   終了時間 :"), this));
  top->addWidget(end_);
  top->addWidget(new QLabel(QStringLiteral("］"), this));
  top->addStretch(1);
  grid->addLayout(top, 0, 0, 1, 5);

  // The two points side by side, a time above its measure and beat.
  auto point = [this, grid](int column, const QString& title, Spin time, Spin measure) {
    grid->addWidget(new QLabel(title, this), 1, column, 1, 2);
    grid->addWidget(spin(time), 2, column);
    grid->addWidget(new QLabel(QStringLiteral("時間"), this), 2, column + 1);
    grid->addWidget(spin(measure), 3, column);
    grid->addWidget(new QLabel(QStringLiteral("小節・拍"), this), 3, column + 1);
  };
  point(0, QStringLiteral("同期ﾎﾟｲﾝﾄ1 :"), kTime1, kMeasure1);
  auto* link = new QLabel(QStringLiteral("⇔"), this);
  link->setAlignment(Qt::AlignCenter);
  grid->addWidget(link, 2, 2, 2, 1);
  point(3, QStringLiteral("同期ﾎﾟｲﾝﾄ2 :"), kTime2, kMeasure2);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QStringLiteral("ﾃﾝﾎﾟ :"), this));
  auto* note = new QLabel(this);
  note->setPixmap(QIcon(QStringLiteral(":/icons/note.svg")).pixmap(QSize(12, 16)));
  bottom->addWidget(note);
  bottom->addWidget(new QLabel(QStringLiteral(" = "), this));
  bottom->addWidget(spin(kTempo));
  bottom->addWidget(reset_);
  bottom->addSpacing(24);
  bottom->addWidget(fade_out_);
  bottom->addWidget(spin(kFadeOut));
  bottom->addWidget(new QLabel(QStringLiteral("秒"), this));
  bottom->addStretch(1);
  grid->addLayout(bottom, 4, 0, 1, 5);
  grid->setColumnStretch(5, 1);

  connect(reset_, &QPushButton::clicked, this, &CSyncPanel::OnBgmBtnReset);
  connect(fade_out_, &QCheckBox::clicked, this, &CSyncPanel::OnBgmChkFadeout);
}

bool CSyncPanel::InitControl() {
  for (int i = 0; i < kSpinCount; ++i) {
    if (!spins_[static_cast<size_t>(i)]->Bind(mgr_, kSpinIds[i])) {
      TraceLog(kRangeFailures[i]);
      return false;
    }
  }
  return UpdateControl() && MaskControl();
}

bool CSyncPanel::UpdateDisplay(ControlId id, QLabel* label, const char* failure) {
  QString text;
  if (!mgr_->GetMIDIValueStr(id, &text)) {
    TraceLog(failure);
    return false;
  }
  label->setText(text.trimmed());
  return true;
}

bool CSyncPanel::UpdateFadeOutCheck() {
  long value = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_EDIT_FADE_OUT, &value)) {
    TraceLog("ﾌｪｰﾄﾞｱｳﾄ(ﾁｪｯｸ)の現在値取得に失敗\n");
    return false;
  }
  fade_out_->setChecked(value == 1);
  return true;
}

bool CSyncPanel::UpdateControl() {
  if (!UpdateDisplay(QM3_ID_SYNC_METHOD, method_, "同期調整の現在値取得に失敗\n") ||
      !UpdateDisplay(QM3_ID_EDIT_START_TIME, start_, "開始時間の現在値取得に失敗\n") ||
      !UpdateDisplay(QM3_ID_EDIT_END_TIME, end_, "終了時間の現在値取得に失敗\n")) {
    return false;
  }
  for (int i = 0; i < kSpinCount; ++i) {
    if (i == kFadeOut && !UpdateFadeOutCheck()) return false;
    if (!spins_[static_cast<size_t>(i)]->Refresh()) {
      TraceLog(kValueFailures[i]);
      return false;
    }
  }
  return true;
}

bool CSyncPanel::MaskControl() {
  bool alive = false;
  struct Shown {
    ControlId id;
    QWidget* widget;
  };
  const Shown shown[] = {{QM3_ID_SYNC_METHOD, method_},
                         {QM3_ID_EDIT_START_TIME, start_},
                         {QM3_ID_EDIT_END_TIME, end_},
                         {QM3_ID_EDIT_STANDARD_TEMPO_BUTTON, reset_},
                         {QM3_ID_EDIT_FADE_OUT, fade_out_}};
  for (const Shown& s : shown) {
    if (!mgr_->GetMIDIAlive(s.id, &alive)) return false;
    s.widget->setEnabled(alive);
  }
  for (int i = 0; i < kSpinCount; ++i) {
    if (!mgr_->GetMIDIAlive(kSpinIds[i], &alive)) return false;
    spins_[static_cast<size_t>(i)]->setEnabled(alive);
  }
  return true;
}

bool CSyncPanel::UpdateValue(ControlId id) {
  // The second name of the group shows the same fields.
  if (GroupOf(id) == QM3_GROUP_SONG_EDIT_SECOND) id = GetMIDIID(QM3_GROUP_SONG_EDIT, ItemOf(id));
  switch (id) {
    case QM3_ID_SYNC_METHOD:
      return UpdateDisplay(id, method_, "同期調整の現在値取得に失敗\n");
    case QM3_ID_EDIT_START_TIME:
      return UpdateDisplay(id, start_, "開始時間の現在値取得に失敗\n");
    case QM3_ID_EDIT_END_TIME:
      return UpdateDisplay(id, end_, "終了時間の現在値取得に失敗\n");
    case QM3_ID_EDIT_FADE_OUT:
      return UpdateFadeOutCheck();
    case QM3_ID_EDIT_STANDARD_TEMPO_BUTTON:
      return true;
    default:
      break;
  }
  for (int i = 0; i < kSpinCount; ++i) {
    if (id == kSpinIds[i]) return spins_[static_cast<size_t>(i)]->Refresh();
  }
  return false;
}

void CSyncPanel::OnBgmBtnReset() {
  if (!mgr_->SetMIDIValue(QM3_ID_EDIT_STANDARD_TEMPO_BUTTON, 1)) TraceLog("標準ﾃﾝﾎﾟの通知に失敗\n");
}

void CSyncPanel::OnBgmChkFadeout(bool ticked) {
  if (!mgr_->SetMIDIValue(QM3_ID_EDIT_FADE_OUT, ticked ? 1 : 0)) TraceLog("ﾌｪｰﾄﾞｱｳﾄの通知に失敗\n");
  UpdateFadeOutCheck();
}

}  // namespace sonavex::app
