// CSyncPanel: the bottom of the main form: the song's synchronisation
// method, start and end time, the two synchronisation points (each as a time
// and as measure and beat), the tempo with the standard-tempo button, and
// the fade-out. Every field is a middleware value of the song-edit group
// (0x0503 to 0x050D); the panel only shows, edits and forwards.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <array>

#include "client/midi_mgr.h"
#include "controls/bgm_spin.h"

namespace sonavex::app {

class CSyncPanel : public QWidget {
  Q_OBJECT

 public:
  // The six spins in the order they are bound.
  enum Spin : int { kTime1, kMeasure1, kTime2, kMeasure2, kTempo, kFadeOut, kSpinCount };

  CSyncPanel(CMIDIMgr* mgr, QWidget* parent);

  bool InitControl();
  bool UpdateControl();
  bool MaskControl();
  // Refreshes the control of `id`; false when the panel has none.
  bool UpdateValue(ControlId id);
  CBgmSpin* spin(Spin s) const { return spins_[static_cast<size_t>(s)]; }

 private:
  bool UpdateDisplay(ControlId id, QLabel* label, const char* failure);
  bool UpdateFadeOutCheck();
  void OnBgmBtnReset();
  void OnBgmChkFadeout(bool ticked);

  CMIDIMgr* mgr_;
  QLabel* method_;
  QLabel* start_;
  QLabel* end_;
  std::array<CBgmSpin*, kSpinCount> spins_{};
  QPushButton* reset_;
  QCheckBox* fade_out_;
};

}  // namespace sonavex::app
