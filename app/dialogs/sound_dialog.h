// CSoundDlg: the sound chooser ("ｻｳﾝﾄﾞ選択") of the SMF-edit screen: the
// sound tree with the part's sound selected, and the chosen sound's name. It
// writes nothing: the caller takes the chosen number and name on OK.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QLabel>

#include "controls/sound_tree.h"

namespace sonavex::app {

class CSoundDlg : public QDialog {
  Q_OBJECT

 public:
  CSoundDlg(const CSoundTree& sounds, long number, QWidget* parent);
  long number() const { return number_; }
  QString name() const { return name_->text(); }
  CSoundTreeCtrl* tree() const { return tree_; }

 private:
  void OnChosen(long number);

  CSoundTreeCtrl* tree_;
  QLabel* name_;
  long number_;
};

}  // namespace sonavex::app
