// CMIDIMgr: the application's one gateway to the middleware. Wraps the six
// exported calls with tracing, checks identifiers before calling, shows the
// middleware's return codes through the message sink and repeats a call when
// the user confirms a retryable code, and offers one method per process.
// Texts cross as Shift-JIS (converted here); file names as file-system bytes.
//
// Thread rules: user-interface thread only (the middleware's host thread).
// A failed call shows a modal message box, so callers may re-enter the event
// loop inside any checked call.
#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "client/control_tables.h"
#include "client/message_sink.h"
#include "qm3middle.h"

namespace sonavex::app {

class CMIDIMgr {
 public:
  explicit CMIDIMgr(MessageSink* messages) : messages_(messages) {}

  // ---- raw calls, traced ---------------------------------------------------
  int GetValue(ControlId id, int cmd, long* first, long* second);
  int GetValueStr(ControlId id, long value, char* text);
  int GetStrValue(ControlId id, const char* text, long* value);
  int SetValue(ControlId id, int cmd, long value1, long value2);
  int SetValueText(ControlId id, int cmd, long value1, const char* text2);
  int SetValueHandle(ControlId id, int cmd, long window, long message);
  int SetValueText1(ControlId id, int cmd, const char* text1);

  // ---- checked calls: true on success; a failure is shown (and retried
  // when the user confirms a retryable code) -------------------------------
  bool GetMIDIMinMax(ControlId id, long* min, long* max);
  bool GetMIDIValue(ControlId id, long* value);
  bool GetMIDIValueStr(ControlId id, QString* text);
  bool GetMIDIStrValue(ControlId id, const QString& text, long* value);
  bool GetMIDIAlive(ControlId id, bool* alive);
  bool GetMIDIStrSize(ControlId id, long* width);
  bool GetMIDIStr(ControlId id, QString* text);
  bool SetMIDIValue(ControlId id, long value);
  // The write whose caller needs the user's answer: kIdOk on success, else
  // the button that answered the last message shown (retrying while the
  // code is retryable and the answer is OK); -1 when no message could show.
  int SetMIDIValueAnswer(ControlId id, long value);

  // ---- processes -----------------------------------------------------------
  bool GetSongTimeLineData(const QM3PhraseList** list);
  bool GetSelectPhrase(int* index);
  bool GetPointerPos(long* tick, long* second);
  bool SetPointerPos(long tick);
  bool SetPointerRange(long from, long to);
  bool Tick2Meas(long ticks, long* measures);
  bool Meas2Tick(long measures, long* ticks);
  bool Tick2Sec(long ticks, long* seconds);
  bool Sec2Tick(long seconds, long* ticks);
  bool TickInMeas(long ticks, long* within);
  bool GetSMFTimeLineData(long* data, long* count);
  bool GetRhyGroupData(const QM3RhythmGroupList** list);
  bool GetMelodyData(const QM3MelodyList** list);
  bool GetSoundGroupData(long* list);
  bool GetSoundGroupData(const QM3SoundGroupList** list);
  bool GetOutDevice(const QM3OutDeviceList** list);
  bool OpenFile(const QString& path);
  bool End();
  bool GetEditFileName(QString* path);
  bool GetSaved(bool* saved);
  bool GetFileInfo(QString* path, bool* saved);
  bool SaveFile();
  bool SaveAsFile(const QString& path);
  bool AddRhyMel(int kind, const QString& path);
  bool GetReturnCodeData();
  bool ChangeWindow(int screen);
  bool InitialMenu(int choice);
  bool ConvertSMFAll(const QString& path);
  bool ConvertSMFPart(const QString& path);
  bool ConvertWAVAll(const QString& path);
  bool ConvertWAVPart(const QString& path);
  bool SetIniFileName(const QString& path);
  bool SetKeyCode(int key, ControlId focused);
  bool GetDllVersion(long* version);
  bool GetIntroData(const QM3ChoiceList** list);
  bool GetEndingData(const QM3ChoiceList** list);
  bool GetStartPhraseData(const QM3ChoiceList** list);
  bool GetDelMelodyData(const QM3MelodyList** list);
  bool GetDelRhythmData(const QM3RhythmList** list);
  // The content files the last render or live run could not read.
  bool GetSkippedFiles(QStringList* paths);
  bool RemoveMelody(int entry);
  bool RemoveRhythm(int entry);
  bool GetMiddleMode(int* mode);
  bool IsSongRealtime(bool* realtime);
  bool IsPlayingNow(bool* playing);
  bool GetSNGTimeString(long seconds, QString* text);
  bool GetSMFTimeString(long seconds, QString* text);

  // Binds the host window: reads the return-code table, then initialises the
  // middleware (with the retry dialogue of codes 9 and 10).
  bool InitManager(long window, long message);

  // ---- messages ------------------------------------------------------------
  // Shows a return code's message; the pressed button, or -1 when the table
  // is missing or the code is not in it.
  int DispMessage(int code);
  bool IsRetry(int code) const;
  bool HasReturnCodes() const { return !codes_.empty(); }

 private:
  struct ReturnCode {
    bool information = false;
    bool ok_only = false;
    bool retry = false;
    QString text;
  };

  // Runs `call` until it succeeds or the user does not retry.
  bool Checked(const char* failure_trace, const std::function<int()>& call);
  bool GetProcess(int number, long* a, long* b, const char* failure_trace = nullptr);
  bool SetProcess(int number, long a, long b, const char* failure_trace = nullptr);
  bool SetProcessText(int number, long a, const QString& path, const char* failure_trace);
  bool ReadList(int number, long* list, const char* failure_trace);
  bool TimeString(long seconds, ControlId pointer_time, QString* text);

  MessageSink* messages_;
  std::vector<ReturnCode> codes_;
};

}  // namespace sonavex::app
