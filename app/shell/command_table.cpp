#include "shell/command_table.h"

namespace sonavex::app {
namespace {

QKeySequence Keys(QKeyCombination k) {
  return QKeySequence(k);
}

const auto kCtrl = Qt::ControlModifier;
const auto kShift = Qt::ShiftModifier;

}  // namespace

const std::vector<CommandInfo>& Commands() {
  static const std::vector<CommandInfo> table = {
      {ID_FILE_NEW_PLAY,
       "演奏時間を指定してｿﾝｸﾞを作成...(&E)",
       "演奏時間を指定してｿﾝｸﾞを作成",
       nullptr,
       false,
       {Keys(kCtrl | Qt::Key_N)}},
      {ID_FILE_NEW_REAL,
       "ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成...(&R)",
       "ﾘｱﾙﾀｲﾑｿﾝｸﾞ作成",
       nullptr,
       false,
       {Keys(kCtrl | kShift | Qt::Key_N)}},
      {ID_FILE_BGM_OPEN,
       "開く(&O)...",
       "開く",
       ":/icons/open.svg",
       false,
       {Keys(kCtrl | Qt::Key_O)}},
      {ID_FILE_BGM_SAVE,
       "上書き保存(&S)",
       "上書き保存",
       ":/icons/save.svg",
       false,
       {Keys(kCtrl | Qt::Key_S)}},
      {ID_FILE_BGM_SAVE_AS,
       "名前を付けて保存(&A)...",
       "名前を付けて保存",
       nullptr,
       false,
       {Keys(kCtrl | kShift | Qt::Key_S)}},
      {ID_FILE_CONVALL_SMF,
       "SMF...(&M)",
       "全体をSMFに変換",
       nullptr,
       false,
       {Keys(kCtrl | Qt::Key_M)}},
      {ID_FILE_CONVALL_AUDIO,
       "ｵｰﾃﾞｨｵ...(&A)",
       "全体をｵｰﾃﾞｨｵに変換",
       nullptr,
       false,
       {Keys(kCtrl | Qt::Key_A)}},
      {ID_FILE_CONVSEL_SMF,
       "SMF...(&M)",
       "選択範囲をSMFに変換",
       nullptr,
       false,
       {Keys(kCtrl | kShift | Qt::Key_M)}},
      {ID_FILE_CONVSEL_AUDIO,
       "ｵｰﾃﾞｨｵ...(&A)",
       "選択範囲をｵｰﾃﾞｨｵに変換",
       nullptr,
       false,
       {Keys(kCtrl | kShift | Qt::Key_A)}},
      {ID_FILE_ADD_RHYTHM, "ﾘｽﾞﾑ...(&R)", "ﾘｽﾞﾑの追加", nullptr, false, {}},
      {ID_FILE_ADD_MELODY, "ﾒﾛﾃﾞｨｰ...(&M)", "ﾒﾛﾃﾞｨｰの追加", nullptr, false, {}},
      {ID_APP_EXIT, "終了(&X)", "終了", nullptr, false, {Keys(kCtrl | Qt::Key_Q)}},
      {ID_FILE_RMV_RHYTHM, "ﾘｽﾞﾑ...(&R)", "ﾘｽﾞﾑの削除", nullptr, false, {}},
      {ID_FILE_RMV_MELODY, "ﾒﾛﾃﾞｨｰ...(&M)", "ﾒﾛﾃﾞｨｰの削除", nullptr, false, {}},
      {ID_EDIT_UNDO,
       "取り消し(&U)",
       "取り消し",
       ":/icons/undo.svg",
       false,
       {Keys(kCtrl | Qt::Key_Z), Keys(Qt::AltModifier | Qt::Key_Backspace)}},
      {ID_EDIT_REDO,
       "やり直し(&R)",
       "やり直し",
       ":/icons/redo.svg",
       false,
       {Keys(kCtrl | kShift | Qt::Key_Z)}},
      {ID_EDIT_REEDIT,
       "ｿﾝｸﾞの構成を再編集...(&E)",
       "ｿﾝｸﾞの構成を再編集",
       ":/icons/reedit.svg",
       false,
       {Keys(kCtrl | Qt::Key_R)}},
      {ID_SYNCHRO_POINT, "同期ﾎﾟｲﾝﾄ1，2を指定(&A)", "同期ﾎﾟｲﾝﾄ1，2を指定", nullptr, true, {}},
      {ID_SYNCHRO_TEMPO, "同期ﾎﾟｲﾝﾄ1とﾃﾝﾎﾟを指定(&B)", "同期ﾎﾟｲﾝﾄ1とﾃﾝﾎﾟを指定", nullptr, true, {}},
      {ID_SETUP_TIME, "ﾀｲﾑﾍﾞｰｽ/時間表示...(&T)", "ﾀｲﾑﾍﾞｰｽ/時間表示", nullptr, false, {}},
      {ID_SETUP_DEVICE, "MIDI出力...(&M)", "MIDI出力", nullptr, false, {}},
      {ID_SETUP_PRECOUNT, "ﾌﾟﾘｶｳﾝﾄ(&P)", "ﾌﾟﾘｶｳﾝﾄ", nullptr, true, {}},
      {ID_HELP_CONTENTS, "", "ﾍﾙﾌﾟの目次", nullptr, false, {}},
      {ID_HELP_SEARCH,
       "検索(&S)",
       "ﾍﾙﾌﾟの検索",
       ":/icons/help.svg",
       false,
       {Keys(Qt::Key_F1), Keys(kShift | Qt::Key_F1)}},
      {ID_HELP_USAGE, "ﾍﾙﾌﾟの使い方(&U)", "ﾍﾙﾌﾟの使い方", nullptr, false, {}},
      {ID_APP_ABOUT, "ﾊﾞｰｼﾞｮﾝ情報(SONAVEX) (&A)...", "ﾊﾞｰｼﾞｮﾝ情報", nullptr, false, {}},
      {ID_FILE_NEW_FILE, "", "新規作成", ":/icons/new.svg", false, {}},
  };
  return table;
}

const CommandInfo* FindCommand(int id) {
  for (const CommandInfo& c : Commands()) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

const std::vector<int>& ToolbarCommands() {
  static const std::vector<int> order = {ID_FILE_NEW_FILE, ID_FILE_BGM_OPEN, ID_FILE_BGM_SAVE, 0,
                                         ID_EDIT_UNDO,     ID_EDIT_REDO,     ID_EDIT_REEDIT,   0,
                                         ID_HELP_SEARCH};
  return order;
}

}  // namespace sonavex::app
