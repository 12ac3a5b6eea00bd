// CSmfPartRow: one row of the SMF-edit screen's part list: the part's play
// switch, its name ("ﾊﾟｰﾄ%d"), its sound with the button that opens the
// sound chooser, and its volume and pan fields. The row shows whichever part
// the screen's scrolling gives it; every value is the middleware's (the
// part pane's items 3 + 4 × (part − 1) onwards).
//
// Thread rules: user-interface thread only.
#pragma once
#include <QGridLayout>
#include <QLabel>
#include <QToolButton>
#include <QWidget>

#include "client/midi_mgr.h"
#include "controls/bgm_spin.h"

namespace sonavex::app {

class CSoundTree;

class CSmfPartRow : public QObject {
  Q_OBJECT

 public:
  // The four items of a part, in the order the middleware numbers them.
  enum Item : int { kPlay = 0, kSound = 1, kVolume = 2, kPan = 3 };
  static ControlId ItemId(int part, Item item) { return QM3_ID_PART_PLAY(part) + item; }

  // The row's widgets are children of `owner`; AddTo places them.
  CSmfPartRow(CMIDIMgr* mgr, int row, QWidget* owner);
  void AddTo(QGridLayout* grid, int grid_row);

  // Shows part `part` (1 to 16): its label, and the fields bound to it.
  bool ChangePartNo(int part);
  bool CreateSpin();
  int part() const { return part_; }
  bool UpdateControl(const CSoundTree& sounds);
  bool UpdateItem(Item item, const CSoundTree& sounds);
  bool MaskControl();
  // No file open: the row keeps its part's label and shows nothing else,
  // every control disabled.
  void ShowEmpty();
  void SetSoundName(const QString& name);
  // The fields' height, which the time line's rows follow.
  int RowHeight() const;

 signals:
  void SoundRequested(int row);

 private:
  void OnSmfChkPart(bool ticked);
  void ShowPlay(bool ticked);

  CMIDIMgr* mgr_;
  int row_;
  int part_ = 1;
  QToolButton* play_;
  QLabel* label_;
  QLabel* sound_;
  QToolButton* choose_;
  CBgmSpin* volume_;
  CBgmSpin* pan_;
};

}  // namespace sonavex::app
