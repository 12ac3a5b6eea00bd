// CDeviceDlg: the MIDI output, one of the middleware's output ports chosen
// from the device list (item data = position in the list). OK writes the
// chosen position; a position the middleware refuses (its message shown by
// the client) leaves the middleware's port selected again, and the dialog
// stays. Double-clicking an entry is OK.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QListWidget>
#include <QPushButton>

#include "client/midi_data.h"
#include "client/midi_mgr.h"
#include "screens/screen.h"

namespace sonavex::app {

class CDeviceDlg : public QDialog, public CScreen {
  Q_OBJECT

 public:
  CDeviceDlg(CMIDIMgr* mgr, const CMIDIData* data, QWidget* parent);
  int exec() override;
  void accept() override;
  void reject() override;

  bool InitControl() override;
  bool UpdateControl() override { return UpdateListOutput(); }
  bool MaskControl() override;
  bool UpdateValue(ControlId) override { return UpdateControl(); }
  int ScreenNumber() const override { return QM3_SCREEN_MIDI_OUT; }

 private:
  bool UpdateListOutput();

  CMIDIMgr* mgr_;
  const CMIDIData* data_;
  QListWidget* list_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

}  // namespace sonavex::app
