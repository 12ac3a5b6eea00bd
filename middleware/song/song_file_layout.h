// The fixed parts of the song file: section markers, the parameters a file
// stores in their order, and the melody numbers of the oldest files.
//
// Thread rules: constants only; usable anywhere.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/control_ids.h"

namespace qm3 {

// No song file comes near this: 999 measures of phrases and every parameter
// fit in a few tens of kilobytes. Larger files are refused unread.
inline constexpr size_t kSongFileLimit = 1 << 20;

inline constexpr char kSongFileVersion1[] = "QM3SONG_0001";
inline constexpr char kSongFileVersion2[] = "QM3SONG_0002";
inline constexpr char kSongFileVersion3[] = "QM3SONG_0003";
inline constexpr char kSectionMiddle[] = "%MIDDLE";
inline constexpr char kSectionMiddleEnd[] = "%MIDDLE_END";
inline constexpr char kSectionPhrases[] = "%PHRASES";
inline constexpr char kSectionPhrasesEnd[] = "%PHRASES_END";
inline constexpr char kSectionContents[] = "%CONTENTS";
inline constexpr char kSectionContentsEnd[] = "%CONTENTS_END";

// The real-time song flag travels as process 38's identifier.
constexpr ControlId kSongFileRealTimeFlag = 0x8026;

// Written in this order. The rhythm and the melody are not among them: they
// go to the contents section by catalog identity.
constexpr ControlId kSongFileParameters[] = {
    kStartTime,      kEndTime,     kSongLength,      kSyncMethod,   kSync1Time,
    kSync1Measure,   kSync2Time,   kSync2Measure,    kTempo,        kFadeOut,
    kFadeOutSeconds, kTimeBase,    kTimeDisplayMode, kMenuPreCount, kMood,
    kMelodyChoice,   kLiveliness,  kIntro,           kEnding,       kSongFileRealTimeFlag,
    kStartPhrase,    kTempoSlider,
};

// Old files stored the melody (0x0306) as a number 0..60 of this table,
// which gives the catalog melody number.
constexpr int32_t kOldMelodyNumbers[61] = {
    16, 4,     22,    30, 0,  18, 23, 17, 7,  8,  24,    25,    31,    38,    29, 33,
    5,  6,     9,     12, 34, 39, 28, 26, 41, 32, 35,    13,    21,    1,     3,  10,
    11, 14,    15,    2,  19, 27, 20, 36, 37, 40, 10000, 10001, 10002, 10003, 42, 43,
    44, 10004, 10005, 48, 47, 45, 46, 49, 50, 51, 52,    53,    0,
};

}  // namespace qm3
