// CBgmSpin: a numeric middleware value edited through a text field with a
// pair of step buttons beside it. The middleware owns the value: every step
// or typed entry is written, then the field shows the middleware's own
// formatting of what it kept. Limits are the middleware's; steps stop at
// them (no wrapping), and a step at a limit writes the limit again.
//
// Keys in the field: Up/Down step by one, Page Up/Page Down by ten, Enter
// (without Shift, Ctrl or Alt) commits the typed text and is consumed.
// Mouse: the buttons step by one (repeating while held), the wheel over the
// control steps by one per notch. Leaving a modified field commits it.
//
// Thread rules: user-interface thread only. Writes go through the checked
// client calls, which may show a modal message box.
#pragma once
#include <QLineEdit>
#include <QToolButton>
#include <QWidget>

#include "client/midi_mgr.h"

namespace sonavex::app {

class CBgmSpin : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kPageStep = 10;

  explicit CBgmSpin(QWidget* parent = nullptr);

  // Binds the control `id` and reads its limits; false (unbound) when they
  // cannot be read. The field's length limit is read as well.
  bool Bind(CMIDIMgr* mgr, ControlId id);
  // Binds with known limits (no middleware read).
  void Bind(CMIDIMgr* mgr, ControlId id, long minimum, long maximum);
  bool bound() const { return mgr_ != nullptr; }
  ControlId id() const { return id_; }

  // Stores `value` clamped into the limits (no write).
  void SetValue(long value);
  long value() const { return value_; }
  long minimum() const { return minimum_; }
  long maximum() const { return maximum_; }
  // Shows `text` in the field and clears its modified flag.
  void SetText(const QString& text);
  QString text() const { return edit_->text(); }
  QLineEdit* edit() const { return edit_; }

  // Re-reads the value and its display string from the middleware.
  bool Refresh();
  // Steps the value by `step`, clamped, writes it and shows what the
  // middleware kept.
  void UpDown(int step);
  // Converts the field's text through the middleware and writes it. A
  // refused text or value leaves the middleware's previous value shown.
  void NoticeEdit();
  // Leaving the field: commits only when the user changed the text.
  void CommitIfModified();

 signals:
  // After every step or commit, with the value the middleware now holds.
  void ValueCommitted(long value);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // Reads back the value and string after a write (successful or not).
  void ShowMiddlewareValue();

  QLineEdit* edit_;
  QToolButton* up_;
  QToolButton* down_;
  CMIDIMgr* mgr_ = nullptr;
  ControlId id_ = 0;
  long minimum_ = 0;
  long maximum_ = 0;
  long value_ = 0;
  int wheel_rest_ = 0;
  bool busy_ = false;  // a write's message box must not start another write
};

}  // namespace sonavex::app
