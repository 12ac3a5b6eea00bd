// The base of the two centre screens of the main form: the song-edit screen
// (song_edit_screen.h) and the SMF-edit screen (smf_edit_screen.h). They
// share the time-line calls the main form passes on and the zoom, which is
// the application's setting (1 to 3).
//
// Thread rules: user-interface thread only.
#pragma once
#include <QWidget>

#include "client/midi_mgr.h"
#include "screens/screen.h"

namespace sonavex::app {

class CCenterScreen : public QWidget, public CScreen {
  Q_OBJECT

 public:
  CCenterScreen(CMIDIMgr* mgr, int* scale, QWidget* parent)
      : QWidget(parent), mgr_(mgr), scale_(scale) {}
  // Redraws the time line from the middleware.
  virtual bool UpdateTimeLine() = 0;
  virtual bool UpdatePointer(long tick) = 0;
  virtual bool UpdateRange(long from, long to) { return UpdatePointer(from); }
  virtual bool SelectPhrase(int index) { return true; }
  // The play state changed: the time line's scroll bar follows.
  virtual void ShowScrollBar(bool playing) = 0;

 protected:
  int Scale() const;
  // One zoom step in (+1) or out (-1); false at the end of the range.
  bool StepScale(int step);

  CMIDIMgr* mgr_;

 private:
  int* scale_;  // the settings' scale; the screen changes it
  int own_scale_ = 1;
};

}  // namespace sonavex::app
