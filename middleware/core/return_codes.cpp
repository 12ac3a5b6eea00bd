// The return-code table the host shows messages from (process 24).
#include <string>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "platform/sjis.h"
#include "qm3middle.h"

namespace qm3 {
namespace {

struct CodeText {
  int code;
  unsigned char information, ok_only, retry;
  const char* utf8;
};

constexpr CodeText kCodes[] = {
    {0, 1, 0, 0, "No error"},
    {1, 0, 1, 0, "エラーです"},
    {2, 1, 0, 1, "よろしいですか?"},
    {3, 1, 0, 0, "録音データは消去されます。よろしいですか。"},
    {4, 0, 1, 0, "メモリが不足しています"},
    {5, 0, 1, 0, "ファイルが読み込めませんでした"},
    {6, 0, 1, 0, "未対応のファイルです"},
    {7, 0, 1, 0, "パート10はドラムパートです。\nドラムパートのサウンドを設定してください"},
    {8, 0, 1, 0, "ディスク容量が不足しています"},
    {9, 1, 1, 0,
     "SONAVEXが認識できません。接続を確認してから、再度アプリケーションを起動してください。"},
    {10, 1, 0, 1,
     "SONAVEXが認識できません。SONAVEXのハードウェア機能を使った機能の動作は保証されません。"
     "よろしいですか?"},
    {11, 0, 1, 0, "ファイルが書き込みできませんでした"},
    {12, 0, 1, 0, "デジタルオーディオデバイスがオープンできませんでした"},
    {13, 0, 1, 0, "MIDIデバイスがオープンできませんでした"},
    {14, 0, 1, 0,
     "パート10以外のパートではドラムパートのサウンドは選択できません。\n"
     "ドラムパート以外のサウンドを設定してください"},
    {16, 0, 1, 0, "ソングファイルが読み込みできませんでした(バージョンが違います)"},
    {17, 0, 1, 0, "ソングファイルが読み込みできませんでした(ファイルが壊れています)"},
    {18, 0, 1, 0, "範囲が選択されていません"},
    {20, 0, 1, 0, "曲が長すぎて読み込みできません"},
    {21, 1, 1, 0,
     "時間内におさまらないため、選択できません。\n開始時間または終了時間を変更してください。"},
    {22, 1, 1, 0, "時間内におさまらないため、イントロ・エンディングを変更しました。"},
    {23, 1, 1, 0, "時間内におさまらないため、開始・終了時間を変更しました。"},
    {24, 1, 1, 0,
     "時間内におさまらないため、開始・終了時間、イントロ・エンディングを変更しました。"},
    {26, 0, 1, 0,
     "ソングはCorvane USB MIDI OUT 1以外のデバイスでは正しく再生できません。"
     "MIDI出力をCorvane USB MIDI OUT 1に設定してください。"},
};

struct Table {
  std::string texts[QM3_RETURN_CODE_COUNT];
  QM3ReturnCodeTable c{};
  Table() {
    c.nCount = QM3_RETURN_CODE_COUNT;
    for (QM3ReturnCode& code : c.aCode) code = QM3ReturnCode{0, 1, 0, 0, ""};
    for (const CodeText& t : kCodes) {
      texts[t.code] = platform::Utf8ToSjis(t.utf8);
      c.aCode[t.code] = QM3ReturnCode{t.information, t.ok_only, t.retry, 0, texts[t.code].c_str()};
    }
  }
};

// Process 24: a = the table.
Rc GetReturnCodeData(long* a, long*) {
  static const Table table;
  *a = reinterpret_cast<long>(&table.c);
  return kRcOk;
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterReturnCodes() {
  RegisterProcess(kProcGetReturnCodeData, GetReturnCodeData);
}

}  // namespace qm3
