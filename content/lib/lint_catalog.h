// The linter's reading of the two catalogs, kept separate from the
// generator's sources so the check sees exactly what the middleware reads.
// Plain functions; no locking, no threads.
#pragma once

#include <string>
#include <vector>

#include "lint_report.h"

namespace content {

struct CatalogRhythm {
  std::string group;
  std::string name;
  std::vector<long> numbers;  // the 19 numeric tokens, token 1 first
  long key_a() const { return numbers[0]; }
  long key_b() const { return numbers[1]; }
  long key_c() const { return numbers[2]; }
  long intro(int n) const { return numbers[n == 1 ? 3 : 5]; }
  long ending(int n) const { return numbers[n == 1 ? 4 : 6]; }
  long tempo() const { return numbers[7]; }
  long melody() const { return numbers[8]; }
  long beats() const { return numbers[9]; }
};

struct CatalogMelody {
  std::string name;
  long id = 0;
  long beats = 0;
  std::vector<long> bright;
  std::vector<long> dark;
};

// Both readers record malformed lines in the report and skip them.
std::vector<CatalogRhythm> ReadRhythmCatalog(const std::string& text, LintReport& report,
                                             int* group_count);
std::vector<CatalogMelody> ReadMelodyCatalog(const std::string& text, LintReport& report);

}  // namespace content
