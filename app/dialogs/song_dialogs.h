// The real-time song dialog in its first form: they announce their screen to the
// middleware and forward OK ("ｿﾝｸﾞ作成") and Cancel as the middleware's
// buttons, so a song can be made with the middleware's current choices. Their
// fields arrive with the dialogs' own work.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QLabel>
#include <functional>

#include "client/midi_mgr.h"
#include "screens/screen.h"

namespace sonavex::app {

class CSongDialog : public QDialog, public CScreen {
  Q_OBJECT

 public:
  // `rhythm_name`: the rhythm tree's name of a rhythm value.
  using RhythmNamer = std::function<QString(long)>;
  CSongDialog(CMIDIMgr* mgr, int screen, const QString& title, const QString& ok_text,
              ControlId ok_id, ControlId cancel_id, QWidget* parent);
  void SetRhythmNamer(RhythmNamer namer) { rhythm_name_ = std::move(namer); }
  int exec() override;
  void accept() override;
  void reject() override;

  bool InitControl() override { return UpdateControl() && MaskControl(); }
  bool UpdateControl() override;
  bool MaskControl() override { return true; }
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return screen_; }

 private:
  CMIDIMgr* mgr_;
  int screen_;
  ControlId ok_id_, cancel_id_;
  ControlId first_id_;  // start, end and rhythm are the first, second and rhythm items
  QLabel* start_ = nullptr;
  QLabel* end_ = nullptr;
  QLabel* rhythm_ = nullptr;
  RhythmNamer rhythm_name_;
};

class CRealtimeDlg : public CSongDialog {
  Q_OBJECT

 public:
  CRealtimeDlg(CMIDIMgr* mgr, QWidget* parent);
};

}  // namespace sonavex::app
