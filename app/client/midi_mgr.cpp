#include "client/midi_mgr.h"

#include <QFile>

#include "client/sjis_text.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kTextBuffer = 1024;  // any rendered value or file name fits
constexpr int kMessageLimit = 768;

}  // namespace

// ---- raw calls -------------------------------------------------------------

int CMIDIMgr::GetValue(ControlId id, int cmd, long* first, long* second) {
  TraceLog("QM3GetValue lID[%02d/%02d] cCmd[%d]", GroupOf(id), ItemOf(id), cmd);
  return QM3GetValue(id, static_cast<signed char>(cmd), first, second);
}

int CMIDIMgr::GetValueStr(ControlId id, long value, char* text) {
  TraceLog("QM3GetValueStr lID[%02d/%02d] lValue[%ld]", GroupOf(id), ItemOf(id), value);
  return QM3GetValueStr(id, value, text);
}

int CMIDIMgr::GetStrValue(ControlId id, const char* text, long* value) {
  TraceLog("QM3GetStrValue lID[%02d/%02d]", GroupOf(id), ItemOf(id));
  return QM3GetStrValue(id, text, value);
}

int CMIDIMgr::SetValue(ControlId id, int cmd, long value1, long value2) {
  TraceLog("1.QM3SetValue lID[%02d/%02d] cCmd[%d] lValue1[%ld] lValue2[%ld]", GroupOf(id),
           ItemOf(id), cmd, value1, value2);
  return QM3SetValue(id, static_cast<signed char>(cmd), value1, value2);
}

int CMIDIMgr::SetValueText(ControlId id, int cmd, long value1, const char* text2) {
  TraceLog("2.QM3SetValue lID[%02d/%02d] cCmd[%d] lValue1[%ld] lValue2[%s]", GroupOf(id),
           ItemOf(id), cmd, value1, text2);
  return QM3SetValue(id, static_cast<signed char>(cmd), value1, reinterpret_cast<long>(text2));
}

int CMIDIMgr::SetValueHandle(ControlId id, int cmd, long window, long message) {
  TraceLog("3.QM3SetValue lID[%02d/%02d] cCmd[%d] hwnd[%ld] uMsg[%ld]", GroupOf(id), ItemOf(id),
           cmd, window, message);
  return QM3MiddleInit(window, message);
}

int CMIDIMgr::SetValueText1(ControlId id, int cmd, const char* text1) {
  TraceLog("4.QM3SetValue lID[%02d/%02d] cCmd[%d] lValue1[%s]", GroupOf(id), ItemOf(id), cmd,
           text1);
  return QM3SetValue(id, static_cast<signed char>(cmd), reinterpret_cast<long>(text1), 0);
}

// ---- checked calls ---------------------------------------------------------

bool CMIDIMgr::Checked(const char* failure_trace, const std::function<int()>& call) {
  for (;;) {
    const int rc = call();
    if (rc == 0) return true;
    TraceLog(failure_trace, rc);
    const int pressed = DispMessage(rc);
    if (pressed != kIdOk || !IsRetry(rc)) return false;
  }
}

bool CMIDIMgr::GetMIDIMinMax(ControlId id, long* min, long* max) {
  if (!IsControlID(id)) {
    TraceLog("GetMIDIMinMax ｺﾝﾄﾛｰﾙ以外のIDが指定されました[%04x]\n", id);
    return false;
  }
  long a = 0, b = 0;
  if (!Checked("GetValue 値の取得に失敗しました[%d]\n",
               [&] { return GetValue(id, QM3_CMD_RANGE, &a, &b); })) {
    return false;
  }
  *min = a;
  *max = b;
  return true;
}

bool CMIDIMgr::GetMIDIValue(ControlId id, long* value) {
  if (IsScreenID(id)) {
    TraceLog("GetMIDIValue 画面のIDが指定されました[%04x]\n", id);
    return false;
  }
  long a = 0, b = 0;
  if (!Checked("GetValue 値の取得に失敗しました[%d]\n",
               [&] { return GetValue(id, QM3_CMD_VALUE, &a, &b); })) {
    return false;
  }
  *value = a;
  return true;
}

bool CMIDIMgr::GetMIDIValueStr(ControlId id, QString* text) {
  if (IsScreenID(id) || IsMenuID(id)) {
    TraceLog("GetMIDIValueStr 画面/ﾒﾆｭｰのIDが指定されました[%04x]\n", id);
    return false;
  }
  long value = 0;
  if (!GetMIDIValue(id, &value)) {
    TraceLog("GetMIDIValueStr GetMIDIValue()に失敗\n");
    return false;
  }
  char buffer[kTextBuffer] = {};
  if (!Checked("GetValueStr 文字列の取得に失敗しました[%d]\n",
               [&] { return GetValueStr(id, value, buffer); })) {
    return false;
  }
  buffer[kTextBuffer - 1] = '\0';
  *text = FromMiddleText(buffer);
  return true;
}

bool CMIDIMgr::GetMIDIStrValue(ControlId id, const QString& text, long* value) {
  if (!IsControlID(id)) {
    TraceLog("GetMIDIStrValue ｺﾝﾄﾛｰﾙ以外ののIDが指定されました[%04x]\n", id);
    return false;
  }
  const std::string sjis = ToMiddleText(text);
  long v = 0;
  if (!Checked("GetStrValue 文字列の取得に失敗しました[%d]\n",
               [&] { return GetStrValue(id, sjis.c_str(), &v); })) {
    return false;
  }
  *value = v;
  return true;
}

bool CMIDIMgr::GetMIDIAlive(ControlId id, bool* alive) {
  if (IsScreenID(id) || IsProcID(id)) {
    TraceLog("GetMIDIAlive 画面／処理のIDが指定されました[%04x]\n", id);
    return false;
  }
  long a = 0, b = 0;
  if (!Checked("GetValue 値の取得に失敗しました[%d]\n",
               [&] { return GetValue(id, QM3_CMD_ALIVE, &a, &b); })) {
    return false;
  }
  *alive = a == 1;
  return true;
}

bool CMIDIMgr::GetMIDIStrSize(ControlId id, long* width) {
  if (!IsControlID(id)) {
    TraceLog("GetMIDIStrSize ｺﾝﾄﾛｰﾙ以外のIDが指定されました [%04x]\n", id);
    return false;
  }
  long a = 0, b = 0;
  if (!Checked("GetValue 値の取得に失敗しました[%d]\n",
               [&] { return GetValue(id, QM3_CMD_WIDTH, &a, &b); })) {
    return false;
  }
  *width = a;
  return true;
}

bool CMIDIMgr::GetMIDIStr(ControlId id, QString* text) {
  if (!IsControlID(id)) {
    TraceLog("GetMIDIStr ｺﾝﾄﾛｰﾙ以外のIDが指定されました [%04x]\n", id);
    return false;
  }
  char buffer[kTextBuffer] = {};
  if (!Checked("GetValue 値の取得に失敗しました[%d]\n", [&] {
        long a = reinterpret_cast<long>(buffer), b = 0;
        return GetValue(id, QM3_CMD_TEXT, &a, &b);
      })) {
    return false;
  }
  buffer[kTextBuffer - 1] = '\0';
  *text = FromMiddleText(buffer);
  return true;
}

bool CMIDIMgr::SetMIDIValue(ControlId id, long value) {
  return Checked("SetValue 値の取得に失敗しました[%d]\n",
                 [&] { return SetValue(id, QM3_CMD_VALUE, value, 0); });
}

int CMIDIMgr::SetMIDIValueAnswer(ControlId id, long value) {
  for (;;) {
    const int rc = SetValue(id, QM3_CMD_VALUE, value, 0);
    if (rc == 0) return kIdOk;
    TraceLog("SetValue 値の取得に失敗しました[%d]\n", rc);
    const int pressed = DispMessage(rc);
    if (pressed != kIdOk || !IsRetry(rc)) return pressed;
  }
}

// ---- processes -------------------------------------------------------------

bool CMIDIMgr::GetProcess(int number, long* a, long* b, const char* failure_trace) {
  const long in_a = *a, in_b = *b;
  return Checked(failure_trace ? failure_trace : "GetValue 値の取得に失敗しました[%d]\n", [&] {
    *a = in_a;
    *b = in_b;
    return GetValue(GetProcID(number), QM3_CMD_VALUE, a, b);
  });
}

bool CMIDIMgr::SetProcess(int number, long a, long b, const char* failure_trace) {
  return Checked(failure_trace ? failure_trace : "SetValue 値の取得に失敗しました[%d]\n",
                 [&] { return SetValue(GetProcID(number), QM3_CMD_VALUE, a, b); });
}

bool CMIDIMgr::SetProcessText(int number, long a, const QString& path, const char* failure_trace) {
  const QByteArray bytes = QFile::encodeName(path);
  return Checked(failure_trace, [&] {
    return SetValueText(GetProcID(number), QM3_CMD_VALUE, a, bytes.constData());
  });
}

bool CMIDIMgr::ReadList(int number, long* list, const char* failure_trace) {
  long a = 0, b = 0;
  if (!GetProcess(number, &a, &b, failure_trace)) return false;
  *list = a;
  return true;
}

bool CMIDIMgr::GetSongTimeLineData(const QM3PhraseList** list) {
  long a = 0;
  if (!ReadList(QM3_PROC_GET_SONG_TIME_LINE_DATA, &a,
                "GetValue ﾐﾄﾞﾙからのﾌﾚｰｽﾞﾃﾞｰﾀ取得に失敗しました[%d]\n"))
    return false;
  *list = reinterpret_cast<const QM3PhraseList*>(a);
  return true;
}

bool CMIDIMgr::GetSelectPhrase(int* index) {
  long a = 0, b = 0;
  if (!GetProcess(QM3_PROC_GET_SELECT_PHRASE, &a, &b)) return false;
  *index = static_cast<int>(a);
  return true;
}

bool CMIDIMgr::GetPointerPos(long* tick, long* second) {
  long a = 0, b = 0;
  if (!GetProcess(QM3_PROC_POINTER_POS, &a, &b)) return false;
  *tick = a;
  *second = b;
  return true;
}

bool CMIDIMgr::SetPointerPos(long tick) {
  return SetProcess(QM3_PROC_POINTER_POS, tick, 0,
                    "GetValue ﾐﾄﾞﾙへのﾎﾟｲﾝﾀ位置の通知に失敗しました[%d]\n");
}

bool CMIDIMgr::SetPointerRange(long from, long to) {
  return SetProcess(QM3_PROC_POINTER_POS, from, to);
}

namespace {
// Conversions take their input in the first argument and answer in the second.
bool Convert(CMIDIMgr* mgr, int number, long in, long* out, const char* trace,
             bool (CMIDIMgr::*get)(int, long*, long*, const char*)) {
  long a = in, b = 0;
  if (!(mgr->*get)(number, &a, &b, trace)) return false;
  *out = b;
  return true;
}
}  // namespace

bool CMIDIMgr::Tick2Meas(long ticks, long* measures) {
  return Convert(this, QM3_PROC_TICK2MEAS, ticks, measures, nullptr, &CMIDIMgr::GetProcess);
}
bool CMIDIMgr::Meas2Tick(long measures, long* ticks) {
  return Convert(this, QM3_PROC_MEAS2TICK, measures, ticks, nullptr, &CMIDIMgr::GetProcess);
}
bool CMIDIMgr::Tick2Sec(long ticks, long* seconds) {
  return Convert(this, QM3_PROC_TICK2SEC, ticks, seconds,
                 "GetValue tickから秒数への変換に失敗しました[%d]\n", &CMIDIMgr::GetProcess);
}
bool CMIDIMgr::Sec2Tick(long seconds, long* ticks) {
  return Convert(this, QM3_PROC_SEC2TICK, seconds, ticks,
                 "GetValue 秒数からtick数への変換に失敗しました[%d]\n", &CMIDIMgr::GetProcess);
}
bool CMIDIMgr::TickInMeas(long ticks, long* within) {
  return Convert(this, QM3_PROC_TICK_IN_MEAS, ticks, within, nullptr, &CMIDIMgr::GetProcess);
}

bool CMIDIMgr::GetSMFTimeLineData(long* data, long* count) {
  long a = 0, b = 0;
  if (!GetProcess(QM3_PROC_GET_SMF_TIME_LINE_DATA, &a, &b)) return false;
  *data = a;
  *count = b;
  return true;
}

bool CMIDIMgr::GetRhyGroupData(const QM3RhythmGroupList** list) {
  long a = 0;
  if (!ReadList(QM3_PROC_GET_RHY_GROUP_DATA, &a,
                "GetValue ﾐﾄﾞﾙからのﾘｽﾞﾑﾃﾞｰﾀ取得に失敗しました[%d]\n"))
    return false;
  *list = reinterpret_cast<const QM3RhythmGroupList*>(a);
  return true;
}

bool CMIDIMgr::GetMelodyData(const QM3MelodyList** list) {
  long a = 0;
  if (!ReadList(QM3_PROC_GET_MELODY_DATA, &a,
                "GetValue ﾐﾄﾞﾙからのﾒﾛﾃﾞｨﾃﾞｰﾀ取得に失敗しました[%d]\n"))
    return false;
  *list = reinterpret_cast<const QM3MelodyList*>(a);
  return true;
}

bool CMIDIMgr::GetSoundGroupData(long* list) {
  return ReadList(QM3_PROC_GET_SOUND_GROUP_DATA, list,
                  "GetValue ﾐﾄﾞﾙからのｻｳﾝﾄﾞﾃﾞｰﾀ取得に失敗しました[%d]\n");
}

bool CMIDIMgr::GetSoundGroupData(const QM3SoundGroupList** list) {
  long a = 0;
  if (!GetSoundGroupData(&a)) return false;
  *list = reinterpret_cast<const QM3SoundGroupList*>(a);
  return true;
}

bool CMIDIMgr::GetOutDevice(const QM3OutDeviceList** list) {
  long a = 0;
  if (!ReadList(QM3_PROC_GET_OUT_DEVICE, &a,
                "GetValue ﾐﾄﾞﾙからのMIDI出力ﾃﾞｰﾀ取得に失敗しました[%d]\n"))
    return false;
  *list = reinterpret_cast<const QM3OutDeviceList*>(a);
  return true;
}

bool CMIDIMgr::OpenFile(const QString& path) {
  return SetProcessText(QM3_PROC_OPEN_FILE, 0, path, "SetValue ﾌｧｲﾙｵｰﾌﾟﾝに失敗しました[%d]\n");
}

bool CMIDIMgr::End() {
  return SetProcess(QM3_PROC_END, 0, 0);
}

bool CMIDIMgr::GetEditFileName(QString* path) {
  char buffer[kTextBuffer] = {};
  long a = reinterpret_cast<long>(buffer), b = 0;
  if (!GetProcess(QM3_PROC_GET_EDIT_FILE_NAME, &a, &b)) return false;
  buffer[kTextBuffer - 1] = '\0';
  *path = QFile::decodeName(buffer);
  return true;
}

bool CMIDIMgr::GetSaved(bool* saved) {
  long a = 0, b = 0;
  if (!GetProcess(QM3_PROC_GET_SAVED, &a, &b)) return false;
  *saved = a == 1;
  return true;
}

bool CMIDIMgr::GetFileInfo(QString* path, bool* saved) {
  QString name;
  bool is_saved = false;
  if (!GetEditFileName(&name) || !GetSaved(&is_saved)) return false;
  *path = name;
  *saved = is_saved;
  return true;
}

bool CMIDIMgr::SaveFile() {
  return SetProcess(QM3_PROC_SAVE_FILE, 0, 0);
}

bool CMIDIMgr::SaveAsFile(const QString& path) {
  return SetProcessText(QM3_PROC_SAVE_AS_FILE, 0, path, "SetValue 値の取得に失敗しました[%d]\n");
}

bool CMIDIMgr::AddRhyMel(int kind, const QString& path) {
  return SetProcessText(QM3_PROC_ADD_RHY_MEL, kind, path,
                        "SetValue ﾘｽﾞﾑ/ﾒﾛﾃﾞｨの追加に失敗しました[%d]\n");
}

bool CMIDIMgr::GetReturnCodeData() {
  long a = 0, b = 0;
  const int rc = GetValue(GetProcID(QM3_PROC_GET_RETURN_CODE_DATA), QM3_CMD_VALUE, &a, &b);
  const auto* table = reinterpret_cast<const QM3ReturnCodeTable*>(a);
  if (rc != 0 || table == nullptr || table->nCount <= 0 || table->nCount > QM3_RETURN_CODE_COUNT) {
    TraceLog("CMIDIMgr::GetReturnCodeData() ﾘﾀｰﾝｺｰﾄﾞﾃﾞｰﾀの取得に失敗しました");
    return false;
  }
  codes_.clear();
  for (int i = 0; i < table->nCount; ++i) {
    const QM3ReturnCode& code = table->aCode[i];
    codes_.push_back({code.cInformation == 1, code.cOkOnly == 1, code.cRetry == 1,
                      FromMiddleText(code.pszMessage)});
  }
  return true;
}

bool CMIDIMgr::ChangeWindow(int screen) {
  TraceLog("ChangeWindow %d\n", screen);
  const long id = GetScreenID(screen);
  return Checked("GetValue ﾐﾄﾞﾙへの通知に失敗しましたiRet[%d]\n",
                 [&] { return SetValue(GetProcID(QM3_PROC_CHANGE_WINDOW), QM3_CMD_VALUE, id, 0); });
}

bool CMIDIMgr::InitialMenu(int choice) {
  if (choice < kChoiceNewPlayTime || choice > kChoiceNone) {
    TraceLog("InitialMenu 不正な画面が指定されました [%d]\n", choice);
    return false;
  }
  const int rc = SetValue(GetProcID(QM3_PROC_INITIAL_MENU), QM3_CMD_VALUE, choice, 0);
  if (rc == 0) return true;
  TraceLog("SetValue 値の取得に失敗しました[%d]\n", rc);
  DispMessage(rc);
  return false;
}

bool CMIDIMgr::ConvertSMFAll(const QString& path) {
  return SetProcessText(QM3_PROC_CONVERT_SMF_ALL, 0, path, "SetValue 値の取得に失敗しました[%d]\n");
}
bool CMIDIMgr::ConvertSMFPart(const QString& path) {
  return SetProcessText(QM3_PROC_CONVERT_SMF_PART, 0, path,
                        "SetValue 値の取得に失敗しました[%d]\n");
}
bool CMIDIMgr::ConvertWAVAll(const QString& path) {
  return SetProcessText(QM3_PROC_CONVERT_WAV_ALL, 0, path, "SetValue 値の取得に失敗しました[%d]\n");
}
bool CMIDIMgr::ConvertWAVPart(const QString& path) {
  return SetProcessText(QM3_PROC_CONVERT_WAV_PART, 0, path,
                        "SetValue 値の取得に失敗しました[%d]\n");
}

bool CMIDIMgr::SetIniFileName(const QString& path) {
  const QByteArray bytes = QFile::encodeName(path);
  return Checked("SetValue 値の取得に失敗しました[%d]\n", [&] {
    return SetValueText1(GetProcID(QM3_PROC_SET_INI_FILE_NAME), QM3_CMD_VALUE, bytes.constData());
  });
}

bool CMIDIMgr::SetKeyCode(int key, ControlId focused) {
  return SetProcess(QM3_PROC_SET_KEY_CODE, key, focused);
}

bool CMIDIMgr::GetDllVersion(long* version) {
  long a = 0, b = 0;
  if (!GetProcess(QM3_PROC_GET_DLL_VERSION, &a, &b)) return false;
  *version = a;
  return true;
}

namespace {
template <typename List>
bool ReadTypedList(CMIDIMgr* mgr, bool (CMIDIMgr::*get)(int, long*, long*, const char*), int number,
                   const List** list) {
  long a = 0, b = 0;
  if (!(mgr->*get)(number, &a, &b, nullptr)) return false;
  *list = reinterpret_cast<const List*>(a);
  return true;
}
}  // namespace

bool CMIDIMgr::GetIntroData(const QM3ChoiceList** list) {
  return ReadTypedList(this, &CMIDIMgr::GetProcess, QM3_PROC_GET_INTRO_DATA, list);
}
bool CMIDIMgr::GetEndingData(const QM3ChoiceList** list) {
  return ReadTypedList(this, &CMIDIMgr::GetProcess, QM3_PROC_GET_ENDING_DATA, list);
}
bool CMIDIMgr::GetStartPhraseData(const QM3ChoiceList** list) {
  return ReadTypedList(this, &CMIDIMgr::GetProcess, QM3_PROC_GET_START_PHRASE_DATA, list);
}
bool CMIDIMgr::GetDelMelodyData(const QM3MelodyList** list) {
  return ReadTypedList(this, &CMIDIMgr::GetProcess, QM3_PROC_GET_DEL_MELODY_DATA, list);
}
bool CMIDIMgr::GetDelRhythmData(const QM3RhythmList** list) {
  return ReadTypedList(this, &CMIDIMgr::GetProcess, QM3_PROC_GET_DEL_RHYTHM_DATA, list);
}

bool CMIDIMgr::GetSkippedFiles(QStringList* paths) {
  const QM3SkippedFiles* files = nullptr;
  if (!ReadTypedList(this, &CMIDIMgr::GetProcess, QM3_PROC_GET_SKIPPED_FILES, &files)) return false;
  paths->clear();
  for (int i = 0; files != nullptr && i < files->nCount; ++i) {
    if (files->ppszPath[i] != nullptr) paths->append(QFile::decodeName(files->ppszPath[i]));
  }
  return true;
}

bool CMIDIMgr::RemoveMelody(int entry) {
  return SetMIDIValue(GetProcID(QM3_PROC_REMOVE_MELODY), entry);
}
bool CMIDIMgr::RemoveRhythm(int entry) {
  return SetMIDIValue(GetProcID(QM3_PROC_REMOVE_RHYTHM), entry);
}

bool CMIDIMgr::GetMiddleMode(int* mode) {
  long value = 0;
  if (!GetMIDIValue(QM3_ID_EDITING_MODE, &value)) return false;
  *mode = static_cast<int>(value);
  return true;
}

bool CMIDIMgr::IsSongRealtime(bool* realtime) {
  long a = 0, b = 0;
  if (!GetProcess(QM3_PROC_REAL_TIME_SONG_FLAG, &a, &b)) return false;
  *realtime = a == 1;
  return true;
}

bool CMIDIMgr::IsPlayingNow(bool* playing) {
  long a = 0, b = 0;
  if (!GetProcess(QM3_PROC_PLAYING_NOW, &a, &b)) return false;
  *playing = a == 1;
  return true;
}

bool CMIDIMgr::TimeString(long seconds, ControlId pointer_time, QString* text) {
  long ticks = 0, frames = 0, unused = 0;
  if (!Sec2Tick(seconds, &ticks)) return false;
  long a = ticks;
  if (!GetProcess(QM3_PROC_TICK_TO_TIME, &a, &unused)) return false;
  frames = unused;
  char buffer[kTextBuffer] = {};
  if (!Checked("GetValueStr 文字列の取得に失敗しました[%d]\n",
               [&] { return GetValueStr(pointer_time, frames, buffer); })) {
    return false;
  }
  buffer[kTextBuffer - 1] = '\0';
  *text = FromMiddleText(buffer);
  return true;
}

bool CMIDIMgr::GetSNGTimeString(long seconds, QString* text) {
  return TimeString(seconds, QM3_ID_POINTER_TIME, text);
}
bool CMIDIMgr::GetSMFTimeString(long seconds, QString* text) {
  return TimeString(seconds, QM3_ID_PART_POINTER_TIME, text);
}

bool CMIDIMgr::InitManager(long window, long message) {
  if (!GetReturnCodeData()) {
    TraceLog("InitManager GetReturnCodeData()に失敗\n");
    return false;
  }
  if (!Checked("SetValue 値の取得に失敗しました[%d]\n", [&] {
        return SetValueHandle(GetProcID(QM3_PROC_SET_HANDLE), QM3_CMD_VALUE, window, message);
      })) {
    TraceLog("InitManager SetHandle()に失敗\n");
    return false;
  }
  return true;
}

// ---- messages --------------------------------------------------------------

int CMIDIMgr::DispMessage(int code) {
  if (codes_.empty()) {
    TraceLog("DispMessage ﾘﾀｰﾝｺｰﾄﾞﾃﾞｰﾀが取得されていません\n");
    return -1;
  }
  // The table has entries 0..count-1; the count itself is not a code.
  if (code < 0 || code >= static_cast<int>(codes_.size())) {
    TraceLog("DispMessage ﾘﾀｰﾝｺｰﾄﾞが不正です[%d]\n", code);
    return -1;
  }
  const ReturnCode& entry = codes_[static_cast<size_t>(code)];
  if (entry.text.isEmpty() || entry.text.size() >= kMessageLimit) return kIdNone;
  const QString text =
      (entry.information ? QStringLiteral("I\\") : QStringLiteral("E\\")) + entry.text;
  return messages_->ShowMessage(text,
                                entry.ok_only ? MessageButtons::kOk : MessageButtons::kOkCancel);
}

bool CMIDIMgr::IsRetry(int code) const {
  if (code < 0 || code >= static_cast<int>(codes_.size())) return false;
  return codes_[static_cast<size_t>(code)].retry;
}

}  // namespace sonavex::app
