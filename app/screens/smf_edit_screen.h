// CSmfeditDlg: the SMF-edit screen in the middle of the main form.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QLabel>

#include "screens/center_screens.h"

namespace sonavex::app {

class CSmfeditDlg : public CCenterScreen {
  Q_OBJECT

 public:
  CSmfeditDlg(CMIDIMgr* mgr, int* scale, QWidget* parent);
  bool InitControl() override;
  bool UpdateControl() override;
  bool MaskControl() override;
  bool UpdateValue(ControlId id) override;
  int ScreenNumber() const override { return kScreenSmfPane; }
  bool UpdateTimeLine() override;
  bool UpdatePointer(long tick) override;
  void ShowScrollBar(bool) override {}

 private:
  QLabel* pointer_ = nullptr;
  QLabel* file_ = nullptr;
};

}  // namespace sonavex::app
