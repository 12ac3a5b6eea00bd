#include "dialogs/song_material.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

#include "dialogs/dialog_parts.h"
#include "shell/trace.h"

namespace sonavex::app {

namespace {

// Moves the focus from `focus` to the next control that can take it outside
// `leaving`.
void FocusNextOutside(QWidget* focus, QWidget* leaving) {
  for (QWidget* next = focus->nextInFocusChain(); next != focus; next = next->nextInFocusChain()) {
    const bool inside = next == leaving || leaving->isAncestorOf(next);
    if (!inside && (next->focusPolicy() & Qt::TabFocus) && next->isEnabled() && next->isVisible()) {
      next->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

}  // namespace

bool MaskWidgets(CMIDIMgr* mgr, QWidget* dialog, const std::vector<MaskEntry>& entries) {
  for (const MaskEntry& e : entries) {
    bool alive = true;
    if (!mgr->GetMIDIAlive(e.id, &alive)) return false;
    for (QWidget* w : e.widgets) {
      QWidget* focus = dialog->focusWidget();
      if (!alive && focus != nullptr && (w == focus || w->isAncestorOf(focus)))
        FocusNextOutside(focus, w);
      w->setEnabled(alive);
    }
  }
  return true;
}

CSongMaterial::CSongMaterial(CMIDIMgr* mgr, CMIDIData* data, const Ids& ids, QWidget* owner,
                             std::function<bool(ControlId)> refresh)
    : mgr_(mgr), data_(data), ids_(ids), owner_(owner), refresh_(std::move(refresh)) {}

QGroupBox* CSongMaterial::BuildRhythm(int min_tree_height) {
  auto* box = new QGroupBox(QStringLiteral("ﾘｽﾞﾑ :"), owner_);
  auto* layout = new QVBoxLayout(box);
  rhythm_tree_ = new CRhythmTreeCtrl(box);
  rhythm_tree_->setObjectName(QStringLiteral("rhythmTree"));
  rhythm_tree_->setProperty("midiId", ids_.rhythm);
  rhythm_tree_->setMinimumSize(220, min_tree_height);
  QObject::connect(rhythm_tree_, &CCatalogTreeCtrl::SelectionChosen, owner_,
                   [this](long selection) {
                     mgr_->SetMIDIValue(ids_.rhythm, selection);
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

void CSongMaterial::AddChoiceRows(QGridLayout* grid, int* row, QWidget* box) {
  const auto radios = [&](const char* label, QButtonGroup* group, ControlId id,
                          std::pair<const char*, const char*> first,
                          std::pair<const char*, const char*> second) {
    grid->addWidget(new QLabel(QString::fromUtf8(label), box), *row, 0);
    auto* line = new QHBoxLayout;
    int n = 0;
    for (const auto& [text, name] : {first, second}) {
      QRadioButton* radio = IconRadio(text, name, nullptr, box);
      radio->setProperty("midiId", id);
      group->addButton(radio, n++);
      line->addWidget(radio);
    }
    line->addStretch(1);
    grid->addLayout(line, (*row)++, 1);
    QObject::connect(group, &QButtonGroup::idClicked, owner_, [this, group, id](int value) {
      if (group->button(value)->isChecked()) Write(id, value);
    });
  };
  tune_ = new QButtonGroup(owner_);
  radios("曲調 :", tune_, ids_.mood, {"明るい", "light"}, {"暗い", "dark"});
  melody_choice_ = new QButtonGroup(owner_);
  radios("ﾒﾛﾃﾞｨｰ :", melody_choice_, ids_.melody_choice, {"自動設定", "auto"},
         {"ﾕｰｻﾞｰ設定", "user"});
}

QComboBox* CSongMaterial::AddCombo(ControlId id, const char* name, int flag,
                                   const CBgmList& (CMIDIData::*list)() const) {
  auto* box = new QComboBox(owner_);
  box->setObjectName(QString::fromUtf8(name));
  box->setProperty("midiId", id);
  box->setMinimumContentsLength(12);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  combos_.push_back({box, id, flag, list});
  QObject::connect(box, &QComboBox::activated, owner_,
                   [this, box, id] { Write(id, CBgmList::GetSelectComboData(box)); });
  return box;
}

bool CSongMaterial::CreateTree(bool write_choice) {
  long rhythm = 0;
  if (!mgr_->GetMIDIValue(ids_.rhythm, &rhythm)) {
    TraceLog("ﾘｽﾞﾑの現在値取得に失敗\n");
    return false;
  }
  rhythm_tree_->CreateTree(data_->rhythm_tree(), rhythm);
  if (write_choice && rhythm_tree_->currentItem() != nullptr)
    mgr_->SetMIDIValue(ids_.rhythm, rhythm);
  return true;
}

bool CSongMaterial::UpdateRhythm() {
  long rhythm = 0;
  if (!mgr_->GetMIDIValue(ids_.rhythm, &rhythm)) return false;
  if (!rhythm_tree_->SelectNumber(rhythm)) TraceLog("ﾘｽﾞﾑの選択に失敗 %ld\n", rhythm);
  QString name;
  long tempo = 0;
  if (rhythm_tree_->tree().GetNamesFromSelNum(rhythm, &name, &tempo)) {
    rhythm_name_->setText(name);
    rhythm_tempo_->setText(QString::number(tempo));
  }
  return true;
}

bool CSongMaterial::UpdateChoices() {
  return UpdateRadios(tune_, ids_.mood) && UpdateRadios(melody_choice_, ids_.melody_choice);
}

bool CSongMaterial::UpdateRadios(QButtonGroup* group, ControlId id) {
  long value = 0;
  if (!mgr_->GetMIDIValue(id, &value)) return false;
  group->button(value == 0 ? 0 : 1)->setChecked(true);
  return true;
}

bool CSongMaterial::UpdateCombo(const Combo& combo) {
  if (!data_->UpdateListInfo(combo.list_flag)) return false;
  long value = 0;
  if (!mgr_->GetMIDIValue(combo.id, &value)) return false;
  (data_->*combo.list)().AddControl(combo.box, value);
  if (combo.box->currentIndex() < 0) {
    if (combo.id == QM3_ID_ENDING)
      TraceLog("ｴﾝﾃﾞｨﾝｸﾞの選択に失敗 %ld\n", value);
    else
      TraceLog("コンボボックスの選択に失敗 ID:[%04x] %ld\n", combo.id, value);
  }
  return true;
}

bool CSongMaterial::UpdateValue(ControlId id, bool* ok) {
  if (id == ids_.rhythm) {
    *ok = UpdateRhythm();
    return true;
  }
  if (id == ids_.mood || id == ids_.melody_choice) {
    *ok = UpdateRadios(id == ids_.mood ? tune_ : melody_choice_, id);
    return true;
  }
  for (const Combo& combo : combos_) {
    if (combo.id == id) {
      *ok = UpdateCombo(combo);
      return true;
    }
  }
  return false;
}

void CSongMaterial::AddMaskEntries(std::vector<MaskEntry>* entries) const {
  entries->push_back({ids_.rhythm, {rhythm_tree_, rhythm_name_, rhythm_tempo_}});
  entries->push_back({ids_.mood, {tune_->button(0), tune_->button(1)}});
  entries->push_back({ids_.melody_choice, {melody_choice_->button(0), melody_choice_->button(1)}});
  for (const Combo& combo : combos_) entries->push_back({combo.id, {combo.box}});
}

void CSongMaterial::Write(ControlId id, long value) {
  mgr_->SetMIDIValue(id, value);  // a refusal shows the middleware's message
  refresh_(id);
}

}  // namespace sonavex::app
