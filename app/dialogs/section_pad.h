// CSectionPad: the performance panel of the real-time song dialog. Ten
// section buttons (intro / ending 1-4, variation 1-4, fill-in 1 and 2), each
// with its lamp above it, the fade-out button and the record switch. Every
// button writes 1 to its middleware control; the lamps and the record
// switch show what the middleware holds, so they blink and change exactly as
// the live run says.
//
// Keys (so a user can perform without the mouse): 1-4 intro / ending, 5-8
// variation 1-4, 9 and 0 fill-in 1 and 2, F fade-out, R record. The key is
// shown under each button and in its tooltip. A key typed into an edit field
// stays text; a key whose button is disabled does nothing.
//
// Thread rules: user-interface thread only. A press may show the
// middleware's message box (a nested event loop).
#pragma once
#include <QFrame>
#include <QKeySequence>
#include <QToolButton>
#include <QWidget>
#include <vector>

#include "client/midi_mgr.h"

class QGridLayout;

namespace sonavex::app {

// A section's indicator: lit when the middleware's value is 1.
class CLamp : public QWidget {
  Q_OBJECT

 public:
  explicit CLamp(QWidget* parent = nullptr);
  void SetLit(bool lit);
  bool lit() const { return lit_; }
  QSize sizeHint() const override { return {16, 16}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool lit_ = false;
};

class CSectionPad : public QFrame {
  Q_OBJECT

 public:
  CSectionPad(CMIDIMgr* mgr, QWidget* parent);

  // One button of the pad: its control, its lamp's control (0 for the fade-out
  // and record buttons) and its key.
  struct Entry {
    ControlId button_id;
    ControlId lamp_id;
    QKeySequence key;
    QToolButton* button;
    CLamp* lamp;
  };
  const std::vector<Entry>& entries() const { return entries_; }

  // Shows the lamp or record state of `id` (a lamp or the record switch);
  // false when `id` is not on the pad or cannot be read.
  bool UpdateValue(ControlId id);
  bool ShowsValue(ControlId id) const;
  // Every lamp and the record switch.
  bool UpdateControl();
  // Every button's enabled state.
  bool MaskControl();

 signals:
  // After a press was written (successfully or not).
  void Pressed(ControlId id);

 private:
  void AddSection(QGridLayout* grid, int row, int column, ControlId button, ControlId lamp,
                  const QString& text, const QString& tip, Qt::Key key, const char* name);
  QToolButton* AddAction(QGridLayout* grid, int row, int column, ControlId id, const QString& text,
                         const QString& tip, Qt::Key key, const char* name);
  bool UpdateRecord();
  void Press(ControlId id);

  CMIDIMgr* mgr_;
  std::vector<Entry> entries_;
  QToolButton* record_ = nullptr;
};

}  // namespace sonavex::app
