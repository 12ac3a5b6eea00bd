// CTimeDlg: the time base (frames per second) and the time display, two
// middleware values chosen from the fixed lists. OK writes both; a combo box
// without a selection is refused with a message and the dialog stays. A
// value the middleware refuses (its message shown by the client) leaves the
// middleware's value selected again, and the dialog stays.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QComboBox>
#include <QDialog>
#include <QPushButton>

#include "client/message_sink.h"
#include "client/midi_data.h"
#include "client/midi_mgr.h"
#include "screens/screen.h"

namespace sonavex::app {

class CTimeDlg : public QDialog, public CScreen {
  Q_OBJECT

 public:
  CTimeDlg(CMIDIMgr* mgr, const CMIDIData* data, MessageSink* messages, QWidget* parent);
  int exec() override;
  void accept() override;
  void reject() override;

  bool InitControl() override;
  bool UpdateControl() override { return UpdateComboTimebase() && UpdateComboFormat(); }
  bool MaskControl() override;
  bool UpdateValue(ControlId) override { return UpdateControl(); }
  int ScreenNumber() const override { return QM3_SCREEN_TIME_BASE; }

 private:
  bool UpdateComboTimebase();
  bool UpdateComboFormat();

  CMIDIMgr* mgr_;
  const CMIDIData* data_;
  MessageSink* messages_;
  QComboBox* base_ = nullptr;
  QComboBox* format_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace sonavex::app
