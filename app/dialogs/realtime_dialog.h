// CRealtimeDlg: "ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成", where a song is built live while it plays.
// The material (rhythm, tune, melody, start phrase, tempo) is chosen as in
// the play-time dialog; the section pad below starts the run with its first
// press and steers it, the record switch captures the measures, and OK makes
// the recording the song ("ｷｬﾝｾﾙ" discards it). The dialog keeps no state of
// its own: what records, which lamp is lit and which control is usable all
// come from the middleware's notifications while the run plays.
//
// Thread rules: user-interface thread only. Runs modally; writes may show
// message boxes (nested event loops), during which notifications still
// arrive.
#pragma once
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

#include "client/midi_data.h"
#include "client/midi_mgr.h"
#include "controls/bgm_spin.h"
#include "controls/rhythm_tree.h"
#include "dialogs/section_pad.h"
#include "dialogs/song_material.h"
#include "screens/screen.h"

namespace sonavex::app {

class CRealtimeDlg : public QDialog, public CScreen {
  Q_OBJECT

 public:
  CRealtimeDlg(CMIDIMgr* mgr, CMIDIData* data, QWidget* parent);

  // Reports the screen, builds every control from the middleware, then runs.
  int exec() override;
  // OK and "ｷｬﾝｾﾙ": the middleware's buttons, refused while they are disabled
  // (while recording); the dialog stays open when the user answers the
  // middleware's refusal with Cancel.
  void accept() override;
  void reject() override;

  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return QM3_SCREEN_REAL_TIME; }

  // The middleware's stop notification while the dialog is open: the run
  // ended by itself (ending played out, fade-out done, measure limit, the
  // record switch's bar line) or lost its input, and is closed here.
  void OnStopNotified();

  CSectionPad* pad() const { return pad_; }

 private:
  QWidget* BuildTimes();
  QWidget* BuildChoices();
  bool UpdateTimes();
  bool PressButton(ControlId id);

  CMIDIMgr* mgr_;
  CMIDIData* data_;
  CBgmSpin* start_ = nullptr;
  QLabel* start_format_ = nullptr;
  QLabel* end_ = nullptr;
  QLabel* position_ = nullptr;
  CSongMaterial material_;
  CBgmSpin* tempo_ = nullptr;
  QPushButton* standard_tempo_ = nullptr;
  CSectionPad* pad_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace sonavex::app
