// The rhythm and melody catalogs as the middleware hands them out, with
// names in UTF-8, for listing and for finding an entry by name or number.
//
// Thread rules: main thread; the view copies what it keeps.
#pragma once
#include <string>
#include <vector>

#include "host_session.h"

namespace sonavex::cli {

struct RhythmEntry {
  std::string group;
  std::string name;
  long id = 0;
  int tempo = 0;
  int beats = 0;
};

struct MelodyEntry {
  std::string name;
  int index = 0;
  long id = 0;
  int beats = 0;
  int bright = 0;  // phrases of the bright mood
  int dark = 0;
};

class CatalogView {
 public:
  explicit CatalogView(HostSession& s);
  const std::vector<RhythmEntry>& rhythms() const { return rhythms_; }
  const std::vector<MelodyEntry>& melodies() const { return melodies_; }
  const RhythmEntry* FirstRhythm() const { return rhythms_.empty() ? nullptr : &rhythms_[0]; }
  // By name (UTF-8, regardless of case and width) or by id.
  const RhythmEntry* FindRhythm(const std::string& key) const;
  // The list index of the melody with catalog number `key`, else at list
  // index `key`, else named `key` (regardless of case and width); -1 if none.
  int FindMelody(const std::string& key) const;

 private:
  std::vector<RhythmEntry> rhythms_;
  std::vector<MelodyEntry> melodies_;
};

}  // namespace sonavex::cli
