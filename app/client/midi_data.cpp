#include "client/midi_data.h"

#include "client/sjis_text.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

QString NameOf(const char* sjis) {
  return FromMiddleText(sjis);
}

bool FillChoices(CBgmList* list, const QM3ChoiceList* source) {
  if (source == nullptr) {
    list->Clear();
    return false;
  }
  return CMIDIData::FillList(
      list, source->cCount, source->pChoice,
      [](const QM3ChoiceData& d) { return NameOf(d.pszName); },
      [](const QM3ChoiceData& d, int) { return static_cast<long>(d.lValue); });
}

}  // namespace

bool CMIDIData::BuildRhythmTree() {
  const QM3RhythmGroupList* groups = nullptr;
  if (!mgr_->GetRhyGroupData(&groups) || !rhythm_tree_.Create(groups)) {
    rhythm_tree_.Clear();
    TraceLog("InitListInfo ミドルウェアからのリズム階層データの取得に失敗\n");
    return false;
  }
  return true;
}

bool CMIDIData::BuildSoundTree() {
  const QM3SoundGroupList* groups = nullptr;
  if (!mgr_->GetSoundGroupData(&groups) || !sound_tree_.Create(groups)) {
    sound_tree_.Clear();
    TraceLog("InitListInfo ミドルウェアからのサウンド階層データの取得に失敗\n");
    return false;
  }
  return true;
}

QString CMIDIData::RhythmName(long value) const {
  return rhythm_tree_.GetRhythmName(value);
}

bool CMIDIData::BuildOutDevices() {
  const QM3OutDeviceList* devices = nullptr;
  if (!mgr_->GetOutDevice(&devices) || devices == nullptr) return false;
  const int count = devices->nCount < QM3_MAX_OUT_DEVICES ? devices->nCount : QM3_MAX_OUT_DEVICES;
  return FillList(
      &out_devices_, count, devices->aDevice,
      [](const QM3OutDevice& d) {
        char name[QM3_DEVICE_NAME_SIZE + 1] = {};
        std::copy(d.szName, d.szName + QM3_DEVICE_NAME_SIZE, name);
        return NameOf(name);
      },
      [](const QM3OutDevice&, int i) { return static_cast<long>(i); });
}

void CMIDIData::BuildTimeLists() {
  time_bases_.Clear();
  const char* bases[] = {"24", "25", "29.97", "30"};
  for (int i = 0; i < 4; ++i) time_bases_.Add(QString::fromUtf8(bases[i]), i);
  time_displays_.Clear();
  const char* displays[] = {"24fpsﾀｲﾑｺｰﾄﾞ",         "25fpsﾀｲﾑｺｰﾄﾞ", "30fpsﾄﾞﾛｯﾌﾟﾀｲﾑｺｰﾄﾞ",
                            "30fpsﾉﾝﾄﾞﾛｯﾌﾟﾀｲﾑｺｰﾄﾞ", "ﾌﾚｰﾑｻﾝﾌﾟﾙ",    "ﾌｨｰﾄ+ﾌﾚｰﾑ16mm",
                            "ﾌｨｰﾄ+ﾌﾚｰﾑ35mm"};
  for (int i = 0; i < 7; ++i) time_displays_.Add(QString::fromUtf8(displays[i]), i);
}

bool CMIDIData::InitListInfo() {
  if (!BuildRhythmTree()) return false;
  if (!BuildSoundTree()) return false;
  if (!BuildOutDevices()) {
    TraceLog("InitListInfo MIDI出力リストの構築に失敗\n");
    return false;
  }
  BuildTimeLists();
  return UpdateListInfo(kAll);
}

bool CMIDIData::UpdateListInfo(int flags) {
  if (flags & kMelody) {
    const QM3MelodyList* melodies = nullptr;
    if (!mgr_->GetMelodyData(&melodies) || melodies == nullptr) {
      TraceLog("InitListInfo ミドルウェアからのメロディデータの取得に失敗\n");
      return false;
    }
    if (!FillList(
            &melodies_, melodies->cCount, melodies->pMelody,
            [](const QM3MelodyData& d) { return NameOf(d.pszName); },
            [](const QM3MelodyData&, int i) { return static_cast<long>(i); })) {
      TraceLog("InitListInfo メロディリストの構築に失敗\n");
      return false;
    }
  }
  struct ChoiceSource {
    int flag;
    bool (CMIDIMgr::*get)(const QM3ChoiceList**);
    CBgmList* list;
    const char* read_trace;
    const char* build_trace;
  };
  const ChoiceSource sources[] = {
      {kStartPhrase, &CMIDIMgr::GetStartPhraseData, &start_phrases_,
       "InitListInfo ミドルウェアからのスタートフレーズデータの取得に失敗\n",
       "InitListInfo スタートフレーズリストの構築に失敗\n"},
      {kIntro, &CMIDIMgr::GetIntroData, &intros_,
       "InitListInfo ミドルウェアからのイントロデータの取得に失敗\n",
       "InitListInfo イントロリストの構築に失敗\n"},
      {kEnding, &CMIDIMgr::GetEndingData, &endings_,
       "InitListInfo ミドルウェアからのエンディングデータの取得に失敗\n",
       "InitListInfo エンディングリストの構築に失敗\n"},
  };
  for (const ChoiceSource& s : sources) {
    if (!(flags & s.flag)) continue;
    const QM3ChoiceList* list = nullptr;
    if (!(mgr_->*s.get)(&list)) {
      TraceLog("%s", s.read_trace);
      return false;
    }
    if (!FillChoices(s.list, list)) {
      TraceLog("%s", s.build_trace);
      return false;
    }
  }
  return true;
}

}  // namespace sonavex::app
