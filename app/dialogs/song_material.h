// CSongMaterial: the controls both song dialogs choose their material with
// (the rhythm tree with the rhythm's name and standard tempo, the tune and
// melody-choice radios, the combo boxes of the middleware's lists), bound to
// the dialog's own control identifiers. Each control writes what the user
// chose and then shows what the middleware kept. Also the enabled-state pass
// every dialog runs over its controls.
//
// Thread rules: user-interface thread only; lives as long as its dialog.
#pragma once
#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <functional>
#include <vector>

#include "client/midi_data.h"
#include "client/midi_mgr.h"
#include "controls/rhythm_tree.h"

namespace sonavex::app {

// The widgets one middleware control's enabled state governs.
struct MaskEntry {
  ControlId id;
  std::vector<QWidget*> widgets;
};

// Enables or disables each entry's widgets as the middleware says; the focus
// moves on before its widget is disabled. False when a state cannot be read.
bool MaskWidgets(CMIDIMgr* mgr, QWidget* dialog, const std::vector<MaskEntry>& entries);

class CSongMaterial {
 public:
  struct Ids {
    ControlId rhythm;
    ControlId mood;
    ControlId melody_choice;
  };
  struct Combo {
    QComboBox* box;
    ControlId id;
    int list_flag;
    const CBgmList& (CMIDIData::*list)() const;
  };
  // `refresh` shows one control again after a write (the dialog's UpdateValue).
  CSongMaterial(CMIDIMgr* mgr, CMIDIData* data, const Ids& ids, QWidget* owner,
                std::function<bool(ControlId)> refresh);

  // The "ﾘｽﾞﾑ :" group: the tree, "ﾘｽﾞﾑ名 :" and "標準ﾃﾝﾎﾟ :".
  QGroupBox* BuildRhythm(int min_tree_height);
  // The "曲調 :" and "ﾒﾛﾃﾞｨｰ :" rows of `grid` from `*row` on.
  void AddChoiceRows(QGridLayout* grid, int* row, QWidget* box);
  QComboBox* AddCombo(ControlId id, const char* name, int flag,
                      const CBgmList& (CMIDIData::*list)() const);

  // The tree from the middleware's rhythm value (once, when the dialog
  // opens); with `write_choice` the rhythm it opens on is written back as
  // the user's choice.
  bool CreateTree(bool write_choice);
  bool UpdateRhythm();
  bool UpdateChoices();
  bool UpdateCombo(const Combo& combo);
  const std::vector<Combo>& combos() const { return combos_; }
  // Refreshes `id` when it is one of these controls; false when it is not.
  bool UpdateValue(ControlId id, bool* ok);
  // The mask entries of these controls.
  void AddMaskEntries(std::vector<MaskEntry>* entries) const;

 private:
  bool UpdateRadios(QButtonGroup* group, ControlId id);
  void Write(ControlId id, long value);

  CMIDIMgr* mgr_;
  CMIDIData* data_;
  Ids ids_;
  QWidget* owner_;
  std::function<bool(ControlId)> refresh_;
  CRhythmTreeCtrl* rhythm_tree_ = nullptr;
  QLabel* rhythm_name_ = nullptr;
  QLabel* rhythm_tempo_ = nullptr;
  QButtonGroup* tune_ = nullptr;
  QButtonGroup* melody_choice_ = nullptr;
  std::vector<Combo> combos_;
};

}  // namespace sonavex::app
