// The update protocol every screen of the application follows: it reads its
// state from the middleware when it opens (InitControl) and again whenever a
// notification names it, and never keeps musical values of its own.
//
// Thread rules: user-interface thread only.
#pragma once
#include "client/control_tables.h"
#include "shell/trace.h"

namespace sonavex::app {

class CScreen {
 public:
  virtual ~CScreen() = default;
  // Once when the screen opens: ranges, widths, lists, then values and states.
  virtual bool InitControl() = 0;
  // Every control's current value, read from the middleware.
  virtual bool UpdateControl() = 0;
  // Every control's enabled state, read from the middleware.
  virtual bool MaskControl() = 0;
  virtual bool UpdateAlive() { return MaskControl(); }
  virtual bool UpdateRedraw() { return UpdateControl() && UpdateAlive(); }
  // Refreshes the one control that shows `id`; false when it is not here.
  virtual bool UpdateValue(ControlId id) = 0;
  // The screen's own identifier number (the item of 0x42nn), for key forwarding.
  virtual int ScreenNumber() const = 0;

  // The last part of a dialog's InitControl: its values, then its enabled
  // states, each failure traced.
  bool ShowCurrentState() {
    if (!UpdateControl()) {
      TraceLog("コントロールの現在値取得・更新に失敗\n");
      return false;
    }
    if (!MaskControl()) {
      TraceLog("コントロールの状態取得・マスク処理に失敗\n");
      return false;
    }
    return true;
  }
};

}  // namespace sonavex::app
