// Where the middleware client shows a message: the application's message box
// routine. The text starts with a two-character icon prefix ("I\", "E\", "Q\",
// "S\") that is not shown.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>

namespace sonavex::app {

enum class MessageButtons { kOk, kOkCancel, kYesNo };

// The pressed button, numbered like the system's message box.
enum MessageResult : int { kIdNone = 0, kIdOk = 1, kIdCancel = 2, kIdYes = 6, kIdNo = 7 };

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual int ShowMessage(const QString& text, MessageButtons buttons) = 0;
};

}  // namespace sonavex::app
