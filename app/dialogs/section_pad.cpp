#include "dialogs/section_pad.h"

#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>
#include <QShortcut>

#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kButtonWidth = 46;
constexpr int kButtonHeight = 30;

QLabel* PanelLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setForegroundRole(QPalette::Light);
  return label;
}

// The key under its button, smaller than the button's own text.
QLabel* KeyCaption(const QKeySequence& key, QWidget* parent) {
  auto* caption = PanelLabel(key.toString(QKeySequence::NativeText), parent);
  QFont font = caption->font();
  font.setPointSizeF(font.pointSizeF() * 0.85);
  caption->setFont(font);
  caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  return caption;
}

QString WithKey(const QString& tip, const QKeySequence& key) {
  return QStringLiteral("%1  [%2]").arg(tip, key.toString(QKeySequence::NativeText));
}

}  // namespace

CLamp::CLamp(QWidget* parent) : QWidget(parent) {
  setFixedSize(16, 16);
  setProperty("lit", false);
}

void CLamp::SetLit(bool lit) {
  if (lit == lit_) return;
  lit_ = lit;
  setProperty("lit", lit);
  update();
}

void CLamp::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF face = QRectF(rect()).adjusted(2, 2, -2, -2);
  QRadialGradient glow(face.center() - QPointF(1.5, 1.5), face.width() * 0.7);
  if (lit_) {
    glow.setColorAt(0, QColor(255, 236, 160));
    glow.setColorAt(0.5, QColor(255, 170, 20));
    glow.setColorAt(1, QColor(200, 90, 0));
  } else {
    glow.setColorAt(0, QColor(120, 96, 70));
    glow.setColorAt(1, QColor(60, 46, 34));
  }
  p.setBrush(glow);
  p.setPen(QPen(QColor(20, 20, 20), 1));
  p.drawEllipse(face);
}

CSectionPad::CSectionPad(CMIDIMgr* mgr, QWidget* parent) : QFrame(parent), mgr_(mgr) {
  setObjectName(QStringLiteral("sectionPad"));
  setFrameShape(QFrame::StyledPanel);
  setFrameShadow(QFrame::Sunken);
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Dark);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(8);
  grid->setVerticalSpacing(2);
  const auto group_label = [&](int row, const char* text) {
    grid->addWidget(PanelLabel(QString::fromUtf8(text), this), row + 1, 0,
                    Qt::AlignRight | Qt::AlignVCenter);
  };
  group_label(0, "ｲﾝﾄﾛ / ｴﾝﾃﾞｨﾝｸﾞ :");
  static constexpr Qt::Key kIntroKeys[] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4};
  static constexpr Qt::Key kVariationKeys[] = {Qt::Key_5, Qt::Key_6, Qt::Key_7, Qt::Key_8};
  for (int k = 1; k <= 4; ++k) {
    AddSection(grid, 0, k, QM3_ID_INTRO_BUTTON(k), QM3_ID_INTRO_LAMP(k), QString::number(k),
               QStringLiteral("ｲﾝﾄﾛ%1 / ｴﾝﾃﾞｨﾝｸﾞ%1").arg(k), kIntroKeys[k - 1],
               qPrintable(QStringLiteral("introEnd%1").arg(k)));
  }
  group_label(3, "ﾊﾞﾘｴｰｼｮﾝ :");
  for (int k = 1; k <= 4; ++k) {
    AddSection(grid, 3, k, QM3_ID_VARIATION_BUTTON(k), QM3_ID_VARIATION_LAMP(k), QString::number(k),
               QStringLiteral("ﾊﾞﾘｴｰｼｮﾝ%1").arg(k), kVariationKeys[k - 1],
               qPrintable(QStringLiteral("variation%1").arg(k)));
  }
  group_label(6, "ﾌｨﾙｲﾝ :");
  AddSection(grid, 6, 1, QM3_ID_FILL_IN_BUTTON(1), QM3_ID_FILL_IN_LAMP(1), QStringLiteral("1"),
             QStringLiteral("ﾌｨﾙｲﾝ1"), Qt::Key_9, "fillIn1");
  AddSection(grid, 6, 2, QM3_ID_FILL_IN_BUTTON(2), QM3_ID_FILL_IN_LAMP(2), QStringLiteral("2"),
             QStringLiteral("ﾌｨﾙｲﾝ2"), Qt::Key_0, "fillIn2");

  // The record switch and the fade-out stand apart, right of the sections.
  grid->setColumnMinimumWidth(5, 16);
  record_ = AddAction(grid, 1, 6, QM3_ID_RECORD_BUTTON, QStringLiteral("REC"),
                      QStringLiteral("録音の開始/停止"), Qt::Key_R, "record");
  record_->setIcon(QIcon(QStringLiteral(":/icons/record.svg")));
  record_->setProperty("recording", false);
  record_->setCheckable(true);  // shown pressed in while the middleware records
  QToolButton* fade = AddAction(grid, 7, 6, QM3_ID_FADE_OUT_BUTTON, QStringLiteral("ﾌｪｰﾄﾞｱｳﾄ"),
                                QStringLiteral("ﾌｪｰﾄﾞｱｳﾄ"), Qt::Key_F, "fadeOut");
  fade->setIcon(QIcon(QStringLiteral(":/icons/fade_out.svg")));
  grid->setColumnStretch(7, 1);
}

void CSectionPad::AddSection(QGridLayout* grid, int row, int column, ControlId button,
                             ControlId lamp_id, const QString& text, const QString& tip,
                             Qt::Key key, const char* name) {
  auto* lamp = new CLamp(this);
  lamp->setObjectName(QString::fromUtf8(name) + QStringLiteral("Lamp"));
  lamp->setProperty("midiId", lamp_id);
  grid->addWidget(lamp, row, column, Qt::AlignHCenter | Qt::AlignBottom);
  AddAction(grid, row + 1, column, button, text, tip, key, name);
  entries_.back().lamp_id = lamp_id;
  entries_.back().lamp = lamp;
}

QToolButton* CSectionPad::AddAction(QGridLayout* grid, int row, int column, ControlId id,
                                    const QString& text, const QString& tip, Qt::Key key,
                                    const char* name) {
  auto* button = new QToolButton(this);
  button->setObjectName(QString::fromUtf8(name));
  button->setProperty("midiId", id);
  button->setText(text);
  button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  button->setMinimumSize(kButtonWidth, kButtonHeight);
  button->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  button->setFocusPolicy(Qt::StrongFocus);
  const QKeySequence sequence(key);
  button->setToolTip(WithKey(tip, sequence));
  grid->addWidget(button, row, column);
  grid->addWidget(KeyCaption(sequence, this), row + 1, column);
  connect(button, &QToolButton::clicked, this, [this, id] { Press(id); });
  // Pressed at once (a performance cannot wait for a click's animation); a
  // disabled button ignores its key like its click.
  auto* shortcut = new QShortcut(sequence, this);
  shortcut->setAutoRepeat(false);
  connect(shortcut, &QShortcut::activated, button, [button] {
    if (button->isEnabled()) button->click();
  });
  entries_.push_back({id, 0, sequence, button, nullptr});
  return button;
}

void CSectionPad::Press(ControlId id) {
  mgr_->SetMIDIValue(id, 1);  // a refusal shows the middleware's message
  UpdateControl();
  emit Pressed(id);
}

bool CSectionPad::ShowsValue(ControlId id) const {
  if (id == QM3_ID_RECORD_BUTTON) return true;
  for (const Entry& e : entries_) {
    if (e.lamp_id == id && e.lamp != nullptr) return true;
  }
  return false;
}

bool CSectionPad::UpdateValue(ControlId id) {
  if (id == QM3_ID_RECORD_BUTTON) return UpdateRecord();
  for (const Entry& e : entries_) {
    if (e.lamp_id != id || e.lamp == nullptr) continue;
    long value = 0;
    if (!mgr_->GetMIDIValue(id, &value)) {
      TraceLog("ｲﾝｼﾞｹｰﾀ Picture(%04x)の現在値取得に失敗\n", id);
      return false;
    }
    e.lamp->SetLit(value == 1);
    return true;
  }
  return false;
}

bool CSectionPad::UpdateControl() {
  for (const Entry& e : entries_) {
    if (e.lamp != nullptr && !UpdateValue(e.lamp_id)) return false;
  }
  return UpdateRecord();
}

bool CSectionPad::UpdateRecord() {
  long value = 0;
  if (!mgr_->GetMIDIValue(QM3_ID_RECORD_BUTTON, &value)) {
    TraceLog("Rec Buttonの現在値取得に失敗\n");
    return false;
  }
  const bool recording = value != 0;
  record_->setChecked(recording);
  if (record_->property("recording").toBool() == recording) return true;
  record_->setProperty("recording", recording);
  record_->setIcon(QIcon(recording ? QStringLiteral(":/icons/record_on.svg")
                                   : QStringLiteral(":/icons/record.svg")));
  return true;
}

bool CSectionPad::MaskControl() {
  for (const Entry& e : entries_) {
    bool alive = true;
    if (!mgr_->GetMIDIAlive(e.button_id, &alive)) return false;
    if (!alive && e.button->hasFocus()) e.button->nextInFocusChain()->setFocus();
    e.button->setEnabled(alive);
  }
  return true;
}

}  // namespace sonavex::app
