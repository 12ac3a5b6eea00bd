// Key forwarding: every key pressed on the main form, the song dialogs and
// the centre screens also goes to the middleware (process 34), with the
// control identifier of the focused control or else the screen's own, so the
// middleware's function keys (F11 stop, F12 play) work wherever the focus is.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QObject>

#include "client/midi_mgr.h"

class QWidget;

namespace sonavex::app {

// The system's virtual-key code of a Qt key; 0 for keys without one.
int VirtualKeyOf(int qt_key);

// The control identifier shown by `focus` (its "midiId" property), else the
// screen identifier of the nearest enclosing widget with a "screenNumber"
// property; 0 when neither.
ControlId FocusedControlId(const QWidget* focus);

// Forwards key presses seen by the widgets it is installed on.
class CKeyForwarder : public QObject {
 public:
  CKeyForwarder(CMIDIMgr* mgr, QObject* parent) : QObject(parent), mgr_(mgr) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CMIDIMgr* mgr_;
};

}  // namespace sonavex::app
