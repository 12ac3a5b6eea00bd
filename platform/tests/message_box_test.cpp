#include "platform/message_box.h"

#include <gtest/gtest.h>

namespace platform {
namespace {

TEST(MessageBoxTest, OnlyAnExplicitYesAnswersYes) {
  for (const char* yes : {"y\n", "YES\n", "  yes \r\n", "はい\n"}) {
    EXPECT_EQ(TerminalMessageBoxAnswer(MB_YESNO, yes), IDYES) << yes;
  }
  // End of input (no terminal) and anything unclear end the program, as any
  // answer other than Yes does.
  for (const char* no : {"n\n", "\n", "yess\n", "ye\n", "sure\n"}) {
    EXPECT_EQ(TerminalMessageBoxAnswer(MB_YESNO, no), IDNO) << no;
  }
  EXPECT_EQ(TerminalMessageBoxAnswer(MB_YESNO | MB_ICONQUESTION, nullptr), IDNO);
  EXPECT_EQ(TerminalMessageBoxAnswer(MB_OK | MB_ICONERROR, nullptr), IDOK);
}

TEST(MessageBoxTest, AssumedYesNeverWaitsForInput) {
  const MessageBoxOptions options{"details", true};
  EXPECT_EQ(MessageBox("question", "caption", MB_YESNO | MB_ICONQUESTION, options), IDYES);
  EXPECT_EQ(MessageBox("done", "caption", MB_OK | MB_ICONINFORMATION, options), IDOK);
}

}  // namespace
}  // namespace platform
