// Checks of one style file of the sound module's style bank against its
// rhythm's catalog line: sections, lengths, part descriptions, densities,
// drum notes. Pure function over a read track; no locking, no threads.
#pragma once

#include <string>

#include "lint_catalog.h"
#include "lint_report.h"
#include "smf_notes.h"

namespace content {

void LintStyleFile(const std::string& file, const ReadTrack& track, const CatalogRhythm& rhythm,
                   LintReport& report);

// A style's dark variant must differ from the bright one in at least three
// of: programs, register of a tuned part, density of a part, level, drum
// instruments.
void LintMoodContrast(const std::string& file, const ReadTrack& bright, const ReadTrack& dark,
                      LintReport& report);

}  // namespace content
