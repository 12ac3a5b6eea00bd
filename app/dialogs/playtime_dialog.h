// CPlaytimeDlg: "演奏時間を指定してｿﾝｸﾞを作成", where a song of a given playing
// time is set up: start and end time, rhythm, tune, melody, start phrase,
// liveliness, tempo, intro, ending and fade-out. Every control shows one
// middleware value of the play-time group; the dialog writes what the user
// changes and shows what the middleware then holds, so a refused entry
// leaves the previous value (and the middleware's message) and a fitted
// one shows the times, intro and ending the middleware chose.
//
// Thread rules: user-interface thread only. Runs modally; writes may show
// message boxes (nested event loops).
#pragma once
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <functional>

#include "client/midi_data.h"
#include "client/midi_mgr.h"
#include "controls/bgm_spin.h"
#include "controls/rhythm_tree.h"
#include "dialogs/song_material.h"
#include "screens/screen.h"

namespace sonavex::app {

class CPlaytimeDlg : public QDialog, public CScreen {
  Q_OBJECT

 public:
  CPlaytimeDlg(CMIDIMgr* mgr, CMIDIData* data, QWidget* parent);

  // Reports the screen, builds every control from the middleware, then runs.
  int exec() override;
  // "ｿﾝｸﾞ作成" and "ｷｬﾝｾﾙ": the middleware's buttons; the dialog stays open
  // when the user answers the middleware's refusal with Cancel.
  void accept() override;
  void reject() override;

  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return QM3_SCREEN_PLAY_TIME; }

  // Called around the dialog's initialisation (the transport window hides
  // meanwhile) and after each button write.
  void SetInitHooks(std::function<void()> before, std::function<void()> after) {
    before_init_ = std::move(before);
    after_init_ = std::move(after);
  }

 private:
  QWidget* BuildTimes();
  QWidget* BuildChoices();
  QSlider* AddSlider(ControlId id, const char* name);

  bool UpdateSlider(QSlider* slider, ControlId id);
  bool UpdateTimeFormat();
  // Writes a user's change, then shows what the middleware kept.
  void Write(ControlId id, long value);
  bool PressButton(ControlId id);

  CMIDIMgr* mgr_;
  CMIDIData* data_;
  CBgmSpin* start_ = nullptr;
  CBgmSpin* end_ = nullptr;
  CBgmSpin* fade_seconds_ = nullptr;
  QLabel* start_format_ = nullptr;
  QLabel* end_format_ = nullptr;
  CSongMaterial material_;
  QSlider* liveliness_ = nullptr;
  QSlider* tempo_ = nullptr;
  QCheckBox* fade_out_ = nullptr;
  std::function<void()> before_init_, after_init_;
};

}  // namespace sonavex::app
