// CSonavexApp: the middleware's notifications routed to the screens, and the
// switch between the song-edit and SMF-edit screens.
#include "shell/sonavex_app.h"
#include "shell/trace.h"

namespace sonavex::app {

void CSonavexApp::OnMiddle(long wparam, long lparam) {
  const ControlId id = static_cast<ControlId>(wparam & 0xFFFF);
  TraceLog("OnMiddle wParam[%04lx] lParam[%04lx]  (種類:%d ID:%d)", wparam, lparam, GroupOf(id),
           ItemOf(id));
  bool ok = true;
  switch (lparam) {
    case QM3_NOTIFY_VALUE:
      ok = UpdateValue(id);
      break;
    case QM3_NOTIFY_RANGE:
      TraceLog("OnMiddle 最大値/最小値ｺﾏﾝﾄﾞが指定されました wParam[%04lx] lParam[%04lx]\n", wparam,
               lparam);
      ok = UpdateMinMax(id);
      break;
    case QM3_NOTIFY_ALIVE:
      TraceLog("OnMiddle 状態ｺﾏﾝﾄﾞが指定されました wParam[%04lx] lParam[%04lx]\n", wparam, lparam);
      ok = UpdateAlive(id);
      break;
    case QM3_NOTIFY_REDRAW:
      TraceLog("OnMiddle 再描画ｺﾏﾝﾄﾞが指定されました wParam[%04lx] lParam[%04lx]\n", wparam,
               lparam);
      ok = UpdateRedraw(id);
      break;
    case QM3_NOTIFY_WIDTH:
      TraceLog("OnMiddle 入力文字数ｺﾏﾝﾄﾞが指定されました wParam[%04lx] lParam[%04lx]\n", wparam,
               lparam);
      ok = UpdateWidth(id);
      break;
    case QM3_NOTIFY_TEXT:
      TraceLog("OnMiddle 表示文字列ｺﾏﾝﾄﾞが指定されました wParam[%04lx] lParam[%04lx]\n", wparam,
               lparam);
      ok = UpdateString(id);
      break;
    default:
      TraceLog("不正なｺﾏﾝﾄﾞです[%ld]\n", lparam);
      break;
  }
  if (!ok) TraceLog("状態更新に失敗\n");
}

bool CSonavexApp::UpdateValue(ControlId id) {
  switch (GroupOf(id)) {
    case QM3_GROUP_PLAY_TIME:
      if (playtime_ != nullptr) return playtime_->UpdateValue(id);
      // The real-time dialog shows several of these values under its own names.
      if (realtime_ != nullptr) return realtime_->UpdateValue(id);
      TraceLog("ソング作成(演奏時間)ﾀﾞｲｱﾛｸﾞは表示されていないので更新出来ません\n");
      return true;
    case QM3_GROUP_REAL_TIME:
      if (realtime_ != nullptr) return realtime_->UpdateValue(id);
      TraceLog("ソング作成(ﾘｱﾙﾀｲﾑ)ﾀﾞｲｱﾛｸﾞは表示されていないので更新出来ません\n");
      return true;
    case QM3_GROUP_TRANSPORT:
      // A live run that ended by itself is closed by the real-time dialog.
      if (id == QM3_ID_STOP && realtime_ != nullptr) {
        realtime_->OnStopNotified();
        return true;
      }
      if (control_ != nullptr && control_->isVisible()) return control_->UpdateValue(id);
      TraceLog("コントロール画面は表示されていないので更新できません\n");
      return true;
    case QM3_GROUP_TIME_LINE:
      if (edit_mode_ != kSongEdit) {
        TraceLog("ソング編集モードではないので表示更新できません\n");
        return true;
      }
      return view_ != nullptr && view_->UpdateValue(id);
    case QM3_GROUP_PART_PANE:
      if (edit_mode_ != kSmfEdit) {
        TraceLog("ＳＭＦ編集モードではないので表示更新できません\n");
        return true;
      }
      return view_ != nullptr && view_->UpdateValue(id);
    case QM3_GROUP_SONG_EDIT:
    case QM3_GROUP_SONG_EDIT_SECOND:
      return view_ == nullptr || view_->UpdateValue(id);
    case QM3_GROUP_MENU:
      TraceLog(
          "メニューは常に最新の値を表示しています。ﾐﾄﾞﾙからの通知では更新しません "
          "wParam[%04x]\n",
          id);
      return true;
    case QM3_GROUP_PROCESS: {
      // Announced by a song's render and by a live run alike, whichever
      // window is open.
      if (ItemOf(id) == QM3_PROC_GET_SKIPPED_FILES) return skipped_.Show();
      if (view_ == nullptr) return true;
      if (ItemOf(id) == QM3_PROC_GET_SELECT_PHRASE) {
        int phrase = -1;
        if (!mgr_.GetSelectPhrase(&phrase)) {
          TraceLog("UpdateValueに失敗\n");
          return false;
        }
        if (view_->center() == nullptr || !view_->center()->SelectPhrase(phrase))
          TraceLog("UpdateValue ﾌﾚｰｽﾞの選択に失敗\n");
        if (edit_mode_ == kSongEdit) view_->UpdateTimeLine();
        return true;
      }
      if (ItemOf(id) == QM3_PROC_POINTER_POS) {
        if (control_ != nullptr && control_->isVisible())
          control_->UpdatePointer(edit_mode_ == kSmfEdit);
        long tick = 0, second = 0;
        if (!mgr_.GetPointerPos(&tick, &second)) {
          TraceLog("UpdateValueに失敗\n");
          return false;
        }
        if (edit_mode_ == kSmfEdit && second != 0) return view_->UpdateRange(tick, second);
        return view_->UpdatePointer(tick);
      }
      TraceLog("値の更新が無効な部品ID（処理）が指定されました wParam[%04x]\n", id);
      return true;
    }
    default:
      TraceLog("値更新が無効な部品IDが指定されました ID:[%04x]\n", id);
      return true;
  }
}

bool CSonavexApp::UpdateString(ControlId id) {
  const int group = GroupOf(id);
  if (group == QM3_GROUP_MENU || group == QM3_GROUP_PROCESS) {
    TraceLog("表示文字列更新が無効な部品IDが指定されました ID:[%04x]\n", id);
    return true;
  }
  return UpdateValue(id);
}

bool CSonavexApp::UpdateMinMax(ControlId) {
  if (!data_.UpdateListInfo(CMIDIData::kAll)) {
    TraceLog("ERROR: UpdateListInfo() 戻り値不正！！処理失敗！！");
    return false;
  }
  return true;
}

bool CSonavexApp::UpdateAlive(ControlId id) {
  if (GroupOf(id) != QM3_GROUP_SCREEN) return true;
  switch (ItemOf(id)) {
    case QM3_SCREEN_PLAY_TIME:
      return playtime_ == nullptr || playtime_->UpdateAlive();
    case QM3_SCREEN_TRANSPORT:
      return control_ == nullptr || !control_->isVisible() || control_->UpdateAlive();
    case QM3_SCREEN_REAL_TIME:
      return realtime_ == nullptr || realtime_->UpdateAlive();
    case QM3_SCREEN_SONG_EDIT:
    case kScreenSongPane:
      if (edit_mode_ != kSongEdit) return true;
      return view_ == nullptr || view_->UpdateAlive();
    case QM3_SCREEN_SMF_EDIT:
    case kScreenSmfPane:
      if (edit_mode_ != kSmfEdit) return true;
      return view_ == nullptr || view_->UpdateAlive();
    default:
      TraceLog("状態更新無効な画面です\n");
      return true;
  }
}

bool CSonavexApp::UpdateRedraw(ControlId id) {
  if (GroupOf(id) == QM3_GROUP_TIME_LINE || GroupOf(id) == QM3_GROUP_PART_PANE)
    return view_ == nullptr || view_->UpdateTimeLine();
  if (GroupOf(id) != QM3_GROUP_SCREEN) {
    TraceLog("範囲更新が無効な部品IDが指定されました ID:[%04x]\n", id);
    return true;
  }
  switch (ItemOf(id)) {
    case QM3_SCREEN_TRANSPORT:
      if (control_ != nullptr && control_->isVisible()) return control_->UpdateRedraw();
      TraceLog("UpdateRedraw Control Dialog Is Hide Now OK.\n");
      return true;
    case QM3_SCREEN_PLAY_TIME:
      return playtime_ == nullptr || playtime_->UpdateRedraw();
    case QM3_SCREEN_REAL_TIME:
      return realtime_ == nullptr || realtime_->UpdateRedraw();
    case QM3_SCREEN_SONG_EDIT:
    case QM3_SCREEN_SMF_EDIT:
      return view_ == nullptr || view_->UpdateRedraw();
    case kScreenSongPane:
      if (edit_mode_ != kSongEdit) return true;
      return view_ == nullptr || view_->UpdateRedraw();
    case kScreenSmfPane:
      if (edit_mode_ != kSmfEdit) return true;
      return view_ == nullptr || view_->UpdateRedraw();
    default:
      TraceLog("状態更新無効な画面です\n");
      return true;
  }
}

bool CSonavexApp::UpdateWidth(ControlId id) {
  TraceLog("入力文字数設定が無効な部品IDが指定されました ID:[%04x]\n", id);
  return true;
}

void CSonavexApp::ChangeScreen() {
  int mode = 0;
  if (!mgr_.GetMiddleMode(&mode)) {
    TraceLog("ﾐﾄﾞﾙｳｪｱから次に移る画面の種類の取得ができませんでした。\n");
    return;
  }
  if (mode == 0) {
    TraceLog("ﾐﾄﾞﾙｳｪｱのﾓｰﾄﾞ[%d] → ｿﾝｸﾞ編集画面へ移行します\n", mode);
    content_kind_ = 0;
    ChangeSngedit();
  } else if (mode == 1 || mode == 2) {
    TraceLog("ﾐﾄﾞﾙｳｪｱのﾓｰﾄﾞ[%d] → SMF編集画面へ移行します\n", mode);
    content_kind_ = mode;
    ChangeSmfedit();
  }
}

bool CSonavexApp::SetupMIDIData() {
  if (edit_mode_ == kSongEdit) {
    const QM3PhraseList* list = nullptr;
    int selected = -1;
    if (!mgr_.GetSongTimeLineData(&list) || !mgr_.GetSelectPhrase(&selected)) {
      TraceLog("CreatePhraseList ﾌﾚｰｽﾞﾘｽﾄの取得に失敗\n");
      return false;
    }
    return true;
  }
  long data = 0, count = 0;
  if (!mgr_.GetSMFTimeLineData(&data, &count)) {
    TraceLog("CreateTimeLine ﾀｲﾑﾗｲﾝの取得に失敗\n");
    return false;
  }
  if (!data_.BuildSoundTree()) return false;
  return true;
}

bool CSonavexApp::ChangeEdit(int mode) {
  if (started_) fit_window_ = false;
  edit_mode_ = mode;
  if (!SetupMIDIData()) {
    TraceLog(mode == kSongEdit ? "ChangeSngedit  SetupMIDIDataに失敗\n"
                               : "ChangeSmfedit  SetupMIDIDataに失敗\n");
    return false;
  }
  SetTitle();
  view_->ChangeCenterDlg(mode);
  CreateControlDlg();
  if (fit_window_) FitWindow();
  return true;
}

}  // namespace sonavex::app
