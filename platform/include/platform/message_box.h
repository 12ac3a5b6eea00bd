// Message boxes for the windowless tools (drvsetup, updater), like the
// Windows call of the same name. On a desktop (DISPLAY or WAYLAND_DISPLAY set)
// the box is drawn by the optional dialog plug-in libsonavex-dialogs.so (Qt),
// looked for beside this library and in its sonavex/ folder; without a display
// or without the plug-in the box is written to the terminal, and a question
// reads its answer from standard input. Texts are UTF-8; "\r" breaks a line.
//
// Thread rules: any thread, one box at a time; blocks until answered.
#pragma once

namespace platform {

// Button sets and icons (the Windows values).
constexpr unsigned MB_OK = 0x00;
constexpr unsigned MB_YESNO = 0x04;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;

// Answers.
constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

struct MessageBoxOptions {
  // Shown under the text in smaller print (the reason of an error); may be null.
  const char* details = nullptr;
  // Answers every question Yes without asking and writes every box to the
  // terminal: for scripts and tests.
  bool assume_yes = false;
};

// Shows the box and returns the button chosen. A question that cannot be
// asked (standard input closed) is answered No.
int MessageBox(const char* text, const char* caption, unsigned type,
               const MessageBoxOptions& options = {});

// The terminal form, answering from `input_line` instead of standard input
// (null: end of input). For tests of the answer rules.
int TerminalMessageBoxAnswer(unsigned type, const char* input_line);

}  // namespace platform
