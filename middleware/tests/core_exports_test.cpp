// The exported calls: tempo scaling, command validation, bad input from the
// host, text rendering and parsing, and the small processes.
#include <cstring>
#include <string>

#include "core/result.h"
#include "core/value_table.h"
#include "core_test_host.h"
#include "platform/sjis.h"

namespace qm3 {
namespace {

using ExportsTest = CoreTest;

TEST_F(ExportsTest, TempoIsScaledPerName) {
  EXPECT_EQ(Get(kTempo), 120);
  EXPECT_EQ(Get(kEditTempo), 12000);
  long a = 0;
  long b = 0;
  ASSERT_EQ(QM3GetValue(kEditTempo, 1, &a, &b), 0);
  EXPECT_EQ(a, 4000);
  EXPECT_EQ(b, 30000);
  ASSERT_EQ(QM3GetValue(kTempo, 1, &a, &b), 0);
  EXPECT_EQ(a, 40);
  EXPECT_EQ(b, 300);

  ASSERT_EQ(QM3SetValue(kEditTempo, 0, 12550, 0), 0);
  EXPECT_EQ(ReadValue(kTempo), 1255000);
  EXPECT_EQ(Get(kTempo), 126);  // 125.5 rounds up
  EXPECT_EQ(Get(kEditTempo), 12550);
  ASSERT_EQ(QM3SetValue(kEditTempo, 0, 12549, 0), 0);
  EXPECT_EQ(Get(kTempo), 125);

  ASSERT_EQ(QM3SetValue(kTempo, 0, 90, 0), 0);
  EXPECT_EQ(ReadValue(kTempo), 900000);
  // Out of range after scaling, and far beyond 32 bits: refused, no overflow.
  EXPECT_EQ(QM3SetValue(kTempo, 0, 301, 0), 0);
  EXPECT_EQ(QM3SetValue(kTempo, 0, 1L << 50, 0), 0);
  EXPECT_EQ(QM3SetValue(kTempo, 0, -(1L << 50), 0), 0);
  EXPECT_EQ(ReadValue(kTempo), 900000);
  // Range writes are not scaled.
  ASSERT_EQ(QM3SetValue(kEditTempo, 1, 500000, 2000000), 0);
  int32_t min = 0;
  int32_t max = 0;
  ReadRange(kTempo, &min, &max);
  EXPECT_EQ(min, 500000);
  EXPECT_EQ(max, 2000000);
}

TEST_F(ExportsTest, WriteCommandsOutsideValueRangeAliveAreRefused) {
  for (signed char cmd : {3, 4, 5, 6, 7, 8, -1, 127}) {
    EXPECT_EQ(QM3SetValue(kStartTime, cmd, 5, 5), 1) << int{cmd};
  }
  EXPECT_EQ(ReadValue(kStartTime), 0);
  EXPECT_EQ(ReadWidth(kStartTime), 12);
  // Alive takes the low byte.
  EXPECT_EQ(QM3SetValue(kStartTime, 2, 0x100, 0), 0);
  EXPECT_FALSE(ReadAlive(kStartTime));
  EXPECT_EQ(QM3SetValue(kStartTime, 2, 0x101, 0), 0);
  EXPECT_TRUE(ReadAlive(kStartTime));
}

TEST_F(ExportsTest, BadInputChangesNothing) {
  long a = -7;
  long b = -8;
  // Screens and unknown groups.
  EXPECT_EQ(QM3GetValue(0x4203, 0, &a, &b), 0);
  EXPECT_EQ(QM3SetValue(0x4203, 0, 1, 0), 0);
  EXPECT_EQ(QM3GetValue(0x2001, 0, &a, &b), 0);
  EXPECT_EQ(QM3SetValue(0x2001, 0, 1, 0), 1);
  EXPECT_EQ(QM3SetValue(0xFF01, 0, 1, 0), 1);
  EXPECT_EQ(a, -7);
  EXPECT_EQ(b, -8);
  // Unknown read commands.
  EXPECT_EQ(QM3GetValue(kMainVolume, 3, &a, &b), 1);
  EXPECT_EQ(QM3GetValue(kMainVolume, -4, &a, &b), 1);
  EXPECT_EQ(a, -7);
  // Null result and text pointers.
  EXPECT_EQ(QM3GetValue(kMainVolume, 0, nullptr, nullptr), 1);
  EXPECT_EQ(QM3GetValue(kMainVolume, 1, &a, nullptr), 1);
  long no_buffer = 0;
  EXPECT_EQ(QM3GetValue(kMainVolume, 5, &no_buffer, nullptr), 1);
  EXPECT_EQ(QM3GetValueStr(kMainVolume, 3, nullptr), 1);
  EXPECT_EQ(QM3GetStrValue(kMainVolume, nullptr, &a), 1);
  EXPECT_EQ(QM3GetStrValue(kMainVolume, "3", nullptr), 1);
  EXPECT_EQ(QM3GetValueFunc(kProcGetEditFileName, &no_buffer, nullptr), 1);
  long null_name = 0;
  EXPECT_EQ(QM3SetValue(ProcessId(kProcSetIniFileName), 0, null_name, 0), 1);
  EXPECT_EQ(QM3SetValue(ProcessId(kProcSaveAsFile), 0, 0, null_name), 1);
  // Processes with a bad command on write, and process reads with other
  // commands, do nothing.
  EXPECT_EQ(QM3SetValue(ProcessId(kProcGetDllVersion), 1, 0, 0), 1);
  EXPECT_EQ(QM3GetValue(ProcessId(kProcGetDllVersion), 1, &a, &b), 0);
  EXPECT_EQ(a, -7);
  // Process numbers without an operation.
  for (int n : {0, 16, 35, 49, 63, 64, 200, -5}) {
    EXPECT_EQ(QM3GetValueFunc(n, &a, &b), 0) << n;
    EXPECT_EQ(QM3GetValueFunc(n, nullptr, nullptr), 0) << n;
  }
  EXPECT_EQ(a, -7);
  EXPECT_EQ(ReadValue(kMainVolume), 7);
  EXPECT_TRUE(IniFileName().empty());
}

TEST_F(ExportsTest, TextRenderingAndParsing) {
  char text[256];
  ASSERT_EQ(QM3GetValueStr(kMainVolume, 7, text), 0);
  EXPECT_STREQ(text, " 7");
  ASSERT_EQ(QM3GetValueStr(kMainVolume, 123, text), 0);
  EXPECT_STREQ(text, "123");
  ASSERT_EQ(QM3GetValueStr(kMood, 1, text), 0);  // width 0: empty
  EXPECT_STREQ(text, "");
  std::strcpy(text, "x");
  ASSERT_EQ(QM3GetValueStr(kSongTimeLineArea, 1, text), 0);
  EXPECT_STREQ(text, "");
  // The text command renders the current value into the host's buffer.
  long buffer = reinterpret_cast<long>(text);
  ASSERT_EQ(QM3GetValue(PartVolume(3), 5, &buffer, nullptr), 0);
  EXPECT_STREQ(text, "100");

  long v = -1;
  ASSERT_EQ(QM3GetStrValue(kMainVolume, "42abc", &v), 0);
  EXPECT_EQ(v, 42);
  ASSERT_EQ(QM3GetStrValue(kMainVolume, "abc", &v), 0);
  EXPECT_EQ(v, 0);
  ASSERT_EQ(QM3GetStrValue(kMainVolume, "  -17", &v), 0);
  EXPECT_EQ(v, -17);
  ASSERT_EQ(QM3GetStrValue(kMainVolume, "99999999999999999999999", &v), 0);
  EXPECT_EQ(v, 2147483647);
}

TEST_F(ExportsTest, TitleAndSyncMethodTexts) {
  char text[256];
  ASSERT_EQ(QM3GetValueStr(kEditingMode, 1, text), 0);
  const std::string smf = platform::Utf8ToSjis("ＳＭＦの編集");
  EXPECT_EQ(std::string(text).substr(0, smf.size()), smf);
  SetCurrentFileName("/home/user/songs/tune.mid");
  ASSERT_EQ(QM3GetValueStr(kEditingMode, 2, text), 0);
  const std::string content = platform::Utf8ToSjis("SINGLANEの編集");
  EXPECT_EQ(std::string(text).substr(0, content.size()), content);
  EXPECT_NE(std::string(text).find(" [ tune.mid ]"), std::string::npos);
  ASSERT_EQ(QM3GetValueStr(kEditingMode, 0, text), 0);
  EXPECT_EQ(std::string(text).rfind(platform::Utf8ToSjis("ソングの編集 [ ﾘｽﾞﾑ: "), 0), 0u);
  EXPECT_NE(std::string(text).find(platform::Utf8ToSjis(" / ﾒﾛﾃﾞｨ: ")), std::string::npos);
  EXPECT_EQ(std::string(text).substr(std::strlen(text) - 2), " ]");
  ASSERT_EQ(QM3GetValueStr(kEditingMode, 3, text), 0);
  EXPECT_STREQ(text, "");
  // File names are the file system's UTF-8; the title shows them in
  // Shift-JIS, with '?' for what Shift-JIS cannot spell.
  SetCurrentFileName("/home/日本語/曲 🎵.mid");
  ASSERT_EQ(QM3GetValueStr(kEditingMode, 1, text), 0);
  EXPECT_NE(std::string(text).find(platform::Utf8ToSjis(" [ 曲 ?.mid ]")), std::string::npos)
      << text;
  EXPECT_EQ(std::string(text).find("日本語"), std::string::npos);
  // A very long file name is cut to the buffer, never inside a character.
  SetCurrentFileName("/" + std::string(300, 'a') + "曲");
  ASSERT_EQ(QM3GetValueStr(kEditingMode, 1, text), 0);
  EXPECT_LT(std::strlen(text), 256u);

  ASSERT_EQ(QM3GetValueStr(kSyncMethod, 1, text), 0);
  EXPECT_EQ(std::string(text), platform::Utf8ToSjis("同期ﾎﾟｲﾝﾄ1とﾃﾝﾎﾟを指定"));
}

TEST_F(ExportsTest, SmallProcesses) {
  long a = 0;
  long b = 0;
  ASSERT_EQ(QM3GetValue(ProcessId(kProcGetDllVersion), 0, &a, &b), 0);
  EXPECT_EQ(a, 200);
  a = 0x1234;
  ASSERT_EQ(QM3GetValueFunc(kProcSplit31, &a, &b), 0);
  EXPECT_EQ(a, 0x12);
  EXPECT_EQ(b, 0x34);

  EXPECT_EQ(Get(ProcessId(kProcGetSaved)), 1);
  EXPECT_EQ(Get(ProcessId(kProcPlayingNow)), 0);
  SetPlaying(true);
  EXPECT_EQ(Get(ProcessId(kProcPlayingNow)), 1);
  SetPlaying(false);

  const char* ini = "/tmp/x.ini";
  ASSERT_EQ(QM3SetValue(ProcessId(kProcSetIniFileName), 0, reinterpret_cast<long>(ini), 0), 0);
  EXPECT_EQ(IniFileName(), ini);

  SetCurrentFileName("/music/a.sng");
  char name[260];
  a = reinterpret_cast<long>(name);
  ASSERT_EQ(QM3GetValue(ProcessId(kProcGetEditFileName), 0, &a, &b), 0);
  EXPECT_STREQ(name, "/music/a.sng");
  SetCurrentFileName(std::string(400, 'n'));
  ASSERT_EQ(QM3GetValueFunc(kProcGetEditFileName, &a, &b), 0);
  EXPECT_EQ(std::strlen(name), 259u);

  // The real-time song flag is stored only in song mode.
  ASSERT_EQ(QM3SetValue(ProcessId(kProcRealTimeSongFlag), 0, 1, 0), 0);
  EXPECT_EQ(Get(ProcessId(kProcRealTimeSongFlag)), 1);
  WriteValue(kEditingMode, 1, false);
  EXPECT_EQ(Get(ProcessId(kProcRealTimeSongFlag)), 0);
  ASSERT_EQ(QM3SetValue(ProcessId(kProcRealTimeSongFlag), 0, 0, 0), 0);
  WriteValue(kEditingMode, 0, false);
  EXPECT_EQ(Get(ProcessId(kProcRealTimeSongFlag)), 1);
}

// A save that fails keeps the previous file name.
Rc g_save_result = kRcOk;
Rc FakeSave(long*, long*) {
  return g_save_result;
}

TEST_F(ExportsTest, SaveAsKeepsTheOldNameWhenTheSaveFails) {
  // The real save goes back afterwards, or later tests would save nothing.
  const ProcessFn real_save = RegisterProcess(kProcSaveFile, FakeSave);
  SetCurrentFileName("/music/old.sng");
  const char* target = "/music/new.sng";
  g_save_result = kRcFileNotWritten;
  EXPECT_EQ(QM3SetValue(ProcessId(kProcSaveAsFile), 0, 0, reinterpret_cast<long>(target)),
            kRcFileNotWritten);
  EXPECT_EQ(CurrentFileName(), "/music/old.sng");
  g_save_result = kRcOk;
  EXPECT_EQ(QM3SetValue(ProcessId(kProcSaveAsFile), 0, 0, reinterpret_cast<long>(target)), 0);
  EXPECT_EQ(CurrentFileName(), target);
  RegisterProcess(kProcSaveFile, real_save);
}

TEST_F(ExportsTest, ReturnCodeTable) {
  long a = 0;
  long b = 0;
  ASSERT_EQ(QM3GetValue(ProcessId(kProcGetReturnCodeData), 0, &a, &b), 0);
  const auto* table = reinterpret_cast<const QM3ReturnCodeTable*>(a);
  ASSERT_NE(table, nullptr);
  ASSERT_EQ(table->nCount, 27);
  EXPECT_STREQ(table->aCode[0].pszMessage, "No error");
  EXPECT_EQ(table->aCode[0].cInformation, 1);
  EXPECT_EQ(table->aCode[10].cRetry, 1);
  EXPECT_EQ(table->aCode[10].cOkOnly, 0);
  EXPECT_EQ(table->aCode[9].cOkOnly, 1);
  EXPECT_EQ(std::string(table->aCode[13].pszMessage),
            platform::Utf8ToSjis("MIDIデバイスがオープンできませんでした"));
  EXPECT_NE(std::string(table->aCode[7].pszMessage).find('\n'), std::string::npos);
  for (int code : {15, 19, 25}) EXPECT_STREQ(table->aCode[code].pszMessage, "") << code;
  for (const QM3ReturnCode& c : table->aCode) ASSERT_NE(c.pszMessage, nullptr);
}

int g_stops = 0;
int g_plays = 0;
Rc CountStop(ControlId, int32_t) {
  ++g_stops;
  return kRcOk;
}
Rc CountPlay(ControlId, int32_t) {
  ++g_plays;
  return kRcOk;
}
TEST_F(ExportsTest, FunctionKeysIgnoreAutoRepeat) {
  RegisterReaction(kStop, CountStop, kStageValues);
  RegisterReaction(kPlay, CountPlay, kStageValues);
  g_stops = 0;
  long key = 122;
  QM3SetValue(ProcessId(kProcSetKeyCode), 0, key, 0);
  platform::Sleep(50);
  QM3SetValue(ProcessId(kProcSetKeyCode), 0, key, 0);
  EXPECT_EQ(g_stops, 1);
  platform::Sleep(150);
  QM3SetValue(ProcessId(kProcSetKeyCode), 0, key, 0);
  EXPECT_EQ(g_stops, 2);

  // F12 presses play only while the play button is enabled.
  g_plays = 0;
  WriteAlive(kPlay, false);
  QM3SetValue(ProcessId(kProcSetKeyCode), 0, 123, 0);
  EXPECT_EQ(g_plays, 0);
  platform::Sleep(150);
  WriteAlive(kPlay, true);
  QM3SetValue(ProcessId(kProcSetKeyCode), 0, 123, 0);
  EXPECT_EQ(g_plays, 1);
}

}  // namespace
}  // namespace qm3
