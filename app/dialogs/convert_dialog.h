// CConvertDlg: the progress of a conversion to audio or to a Standard MIDI
// File. The middleware converts while the song plays; the dialog polls the
// conversion's progress and remaining time every 500 ms and closes itself
// with OK once the progress reads 100. Cancel, Escape or closing the window
// tells the middleware to cancel, which stops the play and throws away what
// was written (the target file is only renamed into place on completion).
// A failed progress read (the middleware has shown its message) ends the
// dialog with kFailed.
//
// Thread rules: user-interface thread only. The progress read that
// completes a conversion blocks the caller for up to a few seconds of the
// middleware's clock.
#pragma once
#include <QDialog>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "client/midi_mgr.h"
#include "screens/screen.h"

namespace sonavex::app {

class CConvertDlg : public QDialog, public CScreen {
  Q_OBJECT

 public:
  enum Kind : int { kAudio = 1, kSmf = 2 };
  // exec()'s result besides Accepted (completed) and Rejected (cancelled).
  static constexpr int kFailed = 2;
  static constexpr int kPollMs = 500;

  CConvertDlg(CMIDIMgr* mgr, int kind, QWidget* parent);
  int kind() const { return kind_; }
  int exec() override;
  void reject() override;

  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId) override { return UpdateControl(); }
  int ScreenNumber() const override { return QM3_SCREEN_CONVERT; }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void OnTimer();

  CMIDIMgr* mgr_;
  int kind_;
  long last_ = 0;  // the last progress read
  QProgressBar* bar_ = nullptr;
  QLabel* message_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QTimer timer_;
};

}  // namespace sonavex::app
