// The editing mode (song, SMF, content): reloading the mode bank, the menu
// items each mode allows, and the edit screen's title; the names of the
// synchronisation methods.
#include <string>

#include "core/catalog.h"
#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/value_table.h"
#include "core/value_table_layout.h"
#include "platform/sjis.h"

namespace qm3 {
namespace {

constexpr int kPlayTimeBankRecords = 10;
constexpr int kSpareBankRecord = 16;
constexpr int32_t kSpareMax = 256;
// Titles and names are cut to fit the host's text buffer.
constexpr size_t kTextBufferSize = 256;

struct MenuState {
  ControlId id;
  bool song, smf;
};
constexpr MenuState kMenuByMode[] = {
    {kMenuSave, true, true},
    {kMenuSaveAs, true, true},
    {kMenuSongToSmf, true, false},
    {kMenuSongToAudio, true, true},
    {kMenuSelectionToSmf, false, true},
    {kMenuSelectionToAudio, false, true},
    {kMenuAddRhythm, true, false},
    {kMenuAddMelody, true, false},
    {kMenuRemoveRhythm, true, false},
    {kMenuRemoveMelody, true, false},
    {kMenuReEditStructure, true, false},
    {kMenuSyncTwoPoints, true, true},
    {kMenuSyncPointAndTempo, true, true},
};

Rc OnEditingMode(ControlId, int32_t) {
  const int mode = ReadValue(kEditingMode);
  if (mode == 0) {
    const TableLayout& layout = Layout();
    for (int i = 0; i < kPlayTimeBankRecords; ++i)
      ModeBankRecord(i) = layout.defaults.records[layout.mode_bank_first + i];
  } else {
    for (int i = 0; i < kPartCount; ++i) {
      ControlRecord& r = ModeBankRecord(i);
      r.value = 1;
      r.min = 0;
      r.max = 1;
      r.alive = 1;
    }
    ControlRecord& spare = ModeBankRecord(kSpareBankRecord);
    spare.value = 0;
    spare.min = 0;
    spare.max = kSpareMax;
    spare.alive = 0;
  }
  for (const MenuState& m : kMenuByMode) WriteAlive(m.id, mode == 0 ? m.song : m.smf);
  if (mode == 0) {
    WriteValue(kSyncMethod, ReadValue(kSyncMethod));
    ResetPlayer();
  }
  RedrawScreen();
  return kRcOk;
}

// Copies Shift-JIS `text` into a host buffer, never splitting a character.
int32_t CopyText(const std::string& sjis, char* out) {
  size_t n = 0;
  while (n < sjis.size()) {
    const auto lead = static_cast<unsigned char>(sjis[n]);
    const size_t len = ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
    if (n + len > sjis.size() || n + len >= kTextBufferSize) break;
    n += len;
  }
  sjis.copy(out, n);
  out[n] = '\0';
  return 0;
}

enum TextPiece {
  kSongTitle = 0,
  kMelodyPiece,
  kSmfTitle,
  kContentTitle,
  kGeneralMidiMark,
  kOriginalMark,
  kSyncTwoPointsName,
  kSyncPointAndTempoName,
};

// The fixed text pieces, converted to Shift-JIS once.
const std::string& Piece(TextPiece which) {
  static const std::string texts[] = {
      platform::Utf8ToSjis("ソングの編集 [ ﾘｽﾞﾑ: "),
      platform::Utf8ToSjis(" / ﾒﾛﾃﾞｨ: "),
      platform::Utf8ToSjis("ＳＭＦの編集"),
      platform::Utf8ToSjis("SINGLANEの編集"),
      platform::Utf8ToSjis("(GM)"),
      platform::Utf8ToSjis("(オリジナル)"),
      platform::Utf8ToSjis("同期ﾎﾟｲﾝﾄ1,2を指定"),
      platform::Utf8ToSjis("同期ﾎﾟｲﾝﾄ1とﾃﾝﾎﾟを指定"),
  };
  return texts[which];
}

// The current file's name as the title shows it. File names are the file
// system's bytes (UTF-8); the title is Shift-JIS, so the name is converted
// here, for display only.
std::string FileBaseName() {
  const std::string& path = CurrentFileName();
  const size_t slash = path.rfind('/');
  return platform::Utf8ToSjis(slash == std::string::npos ? path : path.substr(slash + 1));
}

// The title of the edit screen for editing mode `value`.
int32_t FormatTitle(int32_t value, char* text) {
  std::string title;
  if (value == 0) {
    const NameFn rhythm = RhythmNameSource();
    const NameFn melody = MelodyNameSource();
    title = Piece(kSongTitle) +
            (rhythm ? rhythm() : std::string(RhythmText(ReadValue(kRhythm), kRhythmName))) +
            Piece(kMelodyPiece) +
            (melody ? melody() : std::string(MelodyText(ReadValue(kUserMelody), kMelodyName))) +
            " ]";
  } else if (value == 1 || value == 2) {
    title = Piece(value == 1 ? kSmfTitle : kContentTitle) +
            Piece(SoundSetIsGeneralMidi() ? kGeneralMidiMark : kOriginalMark);
    const std::string name = FileBaseName();
    if (!name.empty()) title += " [ " + name + " ]";
  }
  return CopyText(title, text);
}

// The synchronisation method's name.
int32_t FormatSyncMethod(int32_t value, char* text) {
  if (value == 0) return CopyText(Piece(kSyncTwoPointsName), text);
  if (value == 1) return CopyText(Piece(kSyncPointAndTempoName), text);
  text[0] = '\0';
  return 0;
}

}  // namespace
// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterEditingMode() {
  AttachTextForms(kEditingMode, FormatTitle, nullptr);
  AttachTextForms(kSyncMethod, FormatSyncMethod, nullptr);
  RegisterReaction(kEditingMode, OnEditingMode, kStageValues);
}

}  // namespace qm3
