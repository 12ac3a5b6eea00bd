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

}  // namespace content
