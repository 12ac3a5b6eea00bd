// The initial value table: every record with its default, the directory sizes,
// the records shared by two identifiers and the aliases.
#include <cstdlib>

#include "core/control_ids.h"
#include "core/value_table_layout.h"

namespace qm3 {
namespace {

struct Row {
  ControlId id;
  int32_t value, min, max;
  int8_t alive, width;
};

constexpr int32_t kMaxTime = 1079999;  // 9:59:59:29 at 30 frames per second
constexpr int32_t kMaxTicks = 383615;  // 999 measures of 4/4, last tick
constexpr int32_t kMaxRhythm = 2147483647;

struct DirectorySize {
  int group, size;
};
constexpr DirectorySize kDirectorySizes[] = {
    {0x03, 17}, {0x04, 36}, {0x05, 14}, {0x06, 8},  {0x08, 5},
    {0x09, 5},  {0x0A, 5},  {0x40, 12}, {0x41, 68}, {0x43, 60},
};

// The mode bank: play-time values in song mode, part play flags otherwise.
// Bank position -> play-time identifier (0 where there is none).
constexpr ControlId kBankIds[kModeBankSize] = {kRhythm,
                                               kMood,
                                               kMelodyChoice,
                                               kUserMelody,
                                               kLiveliness,
                                               kIntro,
                                               kEnding,
                                               0,
                                               kStartPhrase,
                                               kTempoSlider,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0,
                                               0};

constexpr Row kBankDefaults[kModeBankSize] = {
    {kRhythm, 0, 0, kMaxRhythm, 1, 0},
    {kMood, 0, 0, 1, 1, 0},
    {kMelodyChoice, 0, 0, 1, 1, 0},
    {kUserMelody, 0, 0, 99, 0, 0},
    {kLiveliness, 2, 0, 4, 1, 0},
    {kIntro, 0, 0, 4, 1, 0},
    {kEnding, 0, 0, 4, 1, 0},
    {0, 0, 0, 1, 1, 0},  // part 8
    {kStartPhrase, 0, 0, 1, 0, 0},
    {kTempoSlider, 3, 0, 6, 1, 0},
    {0, 0, 0, 0, 0, 0},  // parts 11..16 and the spare
    {0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0},
    {0, 0, 0, 0, 0, 0},
};

constexpr Row kRows[] = {
    // play-time song creation
    {kStartTime, 0, 0, kMaxTime, 1, 12},
    {kEndTime, 0, 0, kMaxTime, 1, 12},
    {kFadeOut, 0, 0, 1, 1, 0},
    {kFadeOutSeconds, 1, 1, 9, 0, 1},
    {kCreateSongButton, 1, 0, 1, 1, 0},
    {kPlayTimeCancel, 1, 0, 1, 1, 0},
    // real-time song creation
    {kSongLength, 0, 0, kMaxTicks, 1, 5},
    {kRecordButton, 0, 0, 1, 1, 0},
    {kTempo, 1200000, 400000, 3000000, 0, 6},
    {kStandardTempoButton, 1, 0, 1, 1, 0},
    {IntroLamp(1), 0, 0, 1, 1, 0},
    {IntroButton(1), 1, 0, 1, 1, 0},
    {IntroLamp(2), 0, 0, 1, 1, 0},
    {IntroButton(2), 1, 0, 1, 1, 0},
    {IntroLamp(3), 0, 0, 1, 1, 0},
    {IntroButton(3), 1, 0, 1, 1, 0},
    {IntroLamp(4), 0, 0, 1, 1, 0},
    {IntroButton(4), 1, 0, 1, 1, 0},
    {VariationLamp(1), 0, 0, 1, 1, 0},
    {VariationButton(1), 1, 0, 1, 1, 0},
    {VariationLamp(2), 0, 0, 1, 1, 0},
    {VariationButton(2), 1, 0, 1, 1, 0},
    {VariationLamp(3), 0, 0, 1, 1, 0},
    {VariationButton(3), 1, 0, 1, 1, 0},
    {VariationLamp(4), 0, 0, 1, 1, 0},
    {VariationButton(4), 1, 0, 1, 1, 0},
    {FillInLamp(1), 0, 0, 1, 1, 0},
    {FillInButton(1), 1, 0, 1, 1, 0},
    {FillInLamp(2), 0, 0, 1, 1, 0},
    {FillInButton(2), 1, 0, 1, 1, 0},
    {kFadeOutButton, 1, 0, 1, 1, 0},
    {kRealTimeOk, 1, 0, 1, 1, 0},
    {kRealTimeCancel, 1, 0, 1, 1, 0},
    // song edit screen
    {kEditingMode, 0, 0, 2, 1, 0},
    {kSyncMethod, 0, 0, 1, 1, 0},
    {kSync1Time, 0, 0, kMaxTime, 0, 10},
    {kSync1Measure, 0, 0, kMaxTicks, 0, 8},
    {kSync2Time, 0, 0, kMaxTime, 0, 10},
    {kSync2Measure, 0, 0, kMaxTicks, 0, 8},
    // transport
    {kMainVolume, 7, 0, 10, 1, 2},
    {kReturnToTop, 1, 0, 1, 1, 0},
    {kRewind, 1, 0, 1, 1, 0},
    {kFastForward, 1, 0, 1, 1, 0},
    {kStop, 1, 0, 1, 0, 0},
    // conversion progress
    {kConvertProgress, 0, 0, 1, 1, 0},
    {kConvertRemaining, 0, 0, 1, 1, 4},
    {kConvertCancel, 1, 0, 1, 1, 0},
    {kConvertGmVoices, 0, 0, 1, 1, 0},
    // time base
    {kTimeBase, 3, 0, 3, 1, 0},
    {kTimeDisplayMode, 3, 0, 6, 1, 0},
    {kTimeBaseOk, 1, 0, 1, 1, 0},
    {kTimeBaseCancel, 1, 0, 1, 1, 0},
    // MIDI output
    {kMidiOutDevice, 0, 0, 255, 1, 0},
    {kMidiOutOk, 1, 0, 1, 1, 0},
    {kMidiOutCancel, 1, 0, 1, 1, 0},
    // song time-line pane
    {kPointerTime, 0, 0, kMaxTime, 1, 10},
    {kPointerTicks, 0, 0, kMaxTicks, 1, 10},
    {kPhraseVariation, 1, 0, 3, 0, 0},
    {kPhraseFillIn, 1, 0, 2, 0, 0},
    {kPhraseAccomp1, 1, 0, 1, 1, 0},
    {kPhraseAccomp2, 1, 0, 1, 1, 0},
    {kPhraseAccomp3, 1, 0, 1, 1, 0},
    {kPhraseBass, 1, 0, 1, 1, 0},
    {kPhraseDrums, 1, 0, 1, 1, 0},
    {kPhraseMelody, 1, 0, 1, 1, 0},
    // menu items
    {kMenuNewPlayTimeSong, 1, 0, 1, 1, 0},
    {kMenuNewRealTimeSong, 1, 0, 1, 1, 0},
    {kMenuOpen, 1, 0, 1, 1, 0},
    {kMenuUnused4, 1, 0, 1, 1, 0},
    {kMenuSave, 1, 0, 1, 1, 0},
    {kMenuSaveAs, 1, 0, 1, 1, 0},
    {kMenuSongToSmf, 1, 0, 1, 1, 0},
    {kMenuSongToAudio, 1, 0, 1, 1, 0},
    {kMenuSelectionToSmf, 1, 0, 1, 1, 0},
    {kMenuSelectionToAudio, 1, 0, 1, 1, 0},
    {kMenuAddRhythm, 1, 0, 1, 0, 0},
    {kMenuAddMelody, 1, 0, 1, 0, 0},
    {kMenuExit, 1, 0, 1, 1, 0},
    {kMenuRemoveRhythm, 1, 0, 1, 0, 0},
    {kMenuRemoveMelody, 1, 0, 1, 0, 0},
    {kMenuUndo, 1, 0, 1, 0, 0},
    {kMenuRedo, 1, 0, 1, 0, 0},
    {kMenuReEditStructure, 1, 0, 1, 1, 0},
    {kMenuSyncTwoPoints, 1, 0, 1, 1, 0},
    {kMenuSyncPointAndTempo, 0, 0, 1, 1, 0},
    {kMenuTimeBaseSettings, 1, 0, 1, 1, 0},
    {kMenuMidiOutSettings, 1, 0, 1, 1, 0},
    {kMenuPreCount, 0, 0, 1, 1, 0},
    {kMenuHelp, 1, 0, 1, 1, 0},
    {kMenuHelpSearch, 1, 0, 1, 1, 0},
    {kMenuHelpHowTo, 1, 0, 1, 1, 0},
};

// Identifiers that are a second name of another identifier's record.
struct Shared {
  ControlId id, same_as;
};
constexpr Shared kShared[] = {
    {kReturnToTopSecond, kReturnToTop},
    {kMidiOutDeviceSecond, kMidiOutDevice},
    {kMenuAbout, kCreateSongButton},
};

struct Alias {
  ControlId id, target;
};
constexpr Alias kAliases[] = {
    {kPlayTimeDisplayModeLabel, kTimeDisplayMode},
    {kRealTimeStartTime, kStartTime},
    {kRealTimeEndTime, kEndTime},
    {kRealTimeRhythm, kRhythm},
    {kRealTimeMood, kMood},
    {kRealTimeMelodyChoice, kMelodyChoice},
    {kRealTimeUserMelody, kUserMelody},
    {kRealTimeStartPhrase, kStartPhrase},
    {kRealTimeDisplayModeLabel, kTimeDisplayMode},
    {kEditingModeSecond, kEditingMode},
    {kEditStartTime, kStartTime},
    {kEditEndTime, kEndTime},
    {kEditTempo, kTempo},
    {kEditStandardTempoButton, kStandardTempoButton},
    {kEditFadeOut, kFadeOut},
    {kEditFadeOutSeconds, kFadeOutSeconds},
    {kPartPointerTime, kPointerTime},
    {kPartPointerTicks, kPointerTicks},
};

class Builder {
 public:
  explicit Builder(TableLayout& layout) : layout_(layout) {}

  int AddRecord(const Row& row) {
    if (layout_.records_used >= kRecordCount) std::abort();  // table bug
    const int slot = layout_.records_used++;
    layout_.defaults.records[slot] =
        ControlRecord{row.value, row.min, row.max, row.alive, row.width};
    return slot;
  }

  DirectoryEntry& EntryFor(ControlId id) {
    GroupDirectory& dir = layout_.directories[GroupOf(id)];
    if (IndexOf(id) >= dir.size) std::abort();  // table bug
    return dir.entries[IndexOf(id)];
  }

  void Bind(ControlId id, DirectoryEntry::Kind kind, int32_t ref) {
    DirectoryEntry& e = EntryFor(id);
    e.kind = kind;
    e.ref = ref;
  }

 private:
  TableLayout& layout_;
};

void Build(TableLayout& layout) {
  for (const auto& [group, size] : kDirectorySizes) layout.directories[group].size = size;
  Builder b(layout);

  layout.mode_bank_first = layout.records_used;
  for (int i = 0; i < kModeBankSize; ++i) {
    const int slot = b.AddRecord(kBankDefaults[i]);
    if (kBankIds[i] != 0) b.Bind(kBankIds[i], DirectoryEntry::kRecord, slot);
    if (i < kPartCount) b.Bind(PartPlay(i + 1), DirectoryEntry::kRecord, slot);
  }
  for (const Row& row : kRows) b.Bind(row.id, DirectoryEntry::kRecord, b.AddRecord(row));

  // The play button's flag, reached through its handler.
  b.Bind(kPlay, DirectoryEntry::kHandler, b.AddRecord(Row{kPlay, 0, 0, 1, 1, 0}));

  for (int part = 1; part <= kPartCount; ++part) {
    const int32_t sound = part == 10 ? 0x1000 : 0;
    b.Bind(PartSound(part), DirectoryEntry::kRecord,
           b.AddRecord(Row{PartSound(part), sound, 0, 16777215, 1, 16}));
    b.Bind(PartVolume(part), DirectoryEntry::kRecord,
           b.AddRecord(Row{PartVolume(part), 100, 0, 127, 1, 3}));
    b.Bind(PartPan(part), DirectoryEntry::kRecord,
           b.AddRecord(Row{PartPan(part), 64, 0, 127, 1, 4}));
  }

  // The selected range: ticks, then times; no identifiers.
  layout.range_first = layout.records_used;
  b.AddRecord(Row{0, 0, 0, kMaxTicks, 1, 10});
  b.AddRecord(Row{0, 0, 0, kMaxTicks, 1, 10});
  b.AddRecord(Row{0, 0, 0, kMaxTime, 1, 10});
  b.AddRecord(Row{0, 0, 0, kMaxTime, 1, 10});

  for (const Shared& s : kShared) {
    const DirectoryEntry target = b.EntryFor(s.same_as);
    b.Bind(s.id, target.kind, target.ref);
  }
  for (const Alias& a : kAliases) b.Bind(a.id, DirectoryEntry::kAlias, a.target);
}

}  // namespace

const TableLayout& Layout() {
  static const TableLayout* layout = [] {
    auto* l = new TableLayout();
    Build(*l);
    return l;
  }();
  return *layout;
}

}  // namespace qm3
