// CMessageBox: the application's message boxes. A text starts with a
// two-character prefix that picks the icon and is not shown ("I\"
// information, "E\" exclamation, "Q\" question, "S\" stop); a text without
// one, empty, or of 768 characters or more shows nothing. Every box and
// modal dialog counts in the modal counter while it is open.
//
// Thread rules: user-interface thread only; each box runs a nested event
// loop.
#pragma once
#include <QString>
#include <QWidget>
#include <functional>

#include "client/message_sink.h"

namespace sonavex::app {

// Counts open modal dialogs and message boxes; the transport window is only
// shown again on activation while none is open.
class CModalCounter {
 public:
  class Scope {
   public:
    explicit Scope(CModalCounter* counter) : counter_(counter) { ++counter_->count_; }
    ~Scope() { --counter_->count_; }
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    CModalCounter* counter_;
  };
  int count() const { return count_; }

 private:
  int count_ = 0;
};

class CMessageBox : public MessageSink {
 public:
  explicit CMessageBox(CModalCounter* modals) : modals_(modals) {}

  // The window boxes are centred over (null: the screen).
  void SetOwner(QWidget* owner) { owner_ = owner; }
  // Called with false before a box opens and true after it closed (the
  // transport window hides meanwhile).
  void SetControlWindowHook(std::function<void(bool shown)> hook) { hook_ = std::move(hook); }
  // Unattended (the picture tour): a box is written to standard error and
  // answered at once with OK, Cancel or No, so nothing waits for a user.
  void SetUnattended(bool unattended) { unattended_ = unattended; }

  int ShowMessage(const QString& text, MessageButtons buttons) override;
  int ShowMessageOk(const QString& text) { return ShowMessage(text, MessageButtons::kOk); }
  int ShowMessageOkCancel(const QString& text) {
    return ShowMessage(text, MessageButtons::kOkCancel);
  }
  int ShowMessageYesNo(const QString& text) { return ShowMessage(text, MessageButtons::kYesNo); }

  // The window title of every box.
  static QString Caption();

 private:
  CModalCounter* modals_;
  QWidget* owner_ = nullptr;
  std::function<void(bool)> hook_;
  bool unattended_ = false;
};

}  // namespace sonavex::app
