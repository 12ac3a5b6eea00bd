// The Standard MIDI File the picture tour opens on the SMF-edit screen: made
// in code (nothing binary is kept in the sources), eight measures of a small
// band so the part rows show different sounds, volumes and pans and the
// time line has notes of varied loudness.
//
// Thread rules: pure function; usable anywhere.
#pragma once
#include <QString>

namespace sonavex::app {

// Writes the file to `path`; false when it cannot be written.
bool WriteTourSmf(const QString& path);

}  // namespace sonavex::app
