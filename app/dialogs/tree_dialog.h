// CTreeDlg: the library window in which the user adds rhythm or melody files
// and removes the ones added before. It lists the middleware's list of added
// entries (melodies flat; rhythms under the group that holds them, others at
// the top), offers "追加(&A)" (Insert), "削除(&D)" (Delete) and "閉じる(&C)"
// in its menu and as a popup (right click, Shift+F10), and shows an entry's
// number and name (and a rhythm's tempo) as its tooltip. Adding runs the
// application's add-file command; the tree is rebuilt after every change.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QDialog>
#include <QMenu>
#include <QTreeWidget>
#include <functional>

#include "client/message_sink.h"
#include "client/midi_data.h"
#include "client/midi_mgr.h"

namespace sonavex::app {

class CTreeDlg : public QDialog {
  Q_OBJECT

 public:
  // The mode is the add command of the kind listed.
  enum Mode : int { kMelodies = 603, kRhythms = 604 };
  using AddCommand = std::function<void(int mode)>;

  CTreeDlg(CMIDIMgr* mgr, const CMIDIData* data, MessageSink* messages, int mode, QWidget* parent);
  void SetAddCommand(AddCommand add) { add_ = std::move(add); }
  int exec() override;

  // Lists the middleware's added entries again.
  bool RefreshTree();
  void OnFileAdd();
  void OnFileDel();
  // The tooltip of `item` (null: nothing under the cursor or selected).
  QString FileInfo(const QTreeWidgetItem* item);
  QTreeWidget* tree() const { return tree_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Entry {
    QString name;
    long number = 0;
    long tempo = 0;
  };
  // The middleware's added entries now; false when they cannot be read.
  bool ReadEntries(std::vector<Entry>* entries);
  // The group of the rhythm tree that holds this rhythm; empty when none.
  QString GroupOf(const Entry& entry) const;
  void OnMenuPopup(const QPoint& global);

  CMIDIMgr* mgr_;
  const CMIDIData* data_;
  MessageSink* messages_;
  int mode_;
  AddCommand add_;
  QTreeWidget* tree_ = nullptr;
  QMenu* commands_ = nullptr;
};

}  // namespace sonavex::app
