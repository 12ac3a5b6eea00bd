// Capture of everything the sound module sends on its MIDI input port while a
// song plays: (time stamp, packed channel message) word pairs in a store
// sized for the song before it starts, kept as a Standard MIDI File or thrown
// away when the capture stops. A store that fills loses the rest of the song:
// the capture then fails (4) and writes nothing rather than a shortened file.
//
// Thread rules: Open/Start/Stop/Close on the host or play thread. The input
// callback runs on the device thread and only appends to the preallocated
// store (no allocation, no lock); the store is read after the port has been
// stopped and reset.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/result.h"

namespace qm3::midi {

inline constexpr const char* kModuleInputName = "Corvane USB MIDI IN 1";
// The smallest store, and the room kept per second of song: about four times
// the busiest style's rate (Pop 16 Beat sends some 47 messages a second).
inline constexpr size_t kCaptureWords = 262144;
inline constexpr size_t kCaptureWordsPerSecond = 400;

// Words of store for a song of `seconds` (plus a margin for the ending).
size_t CaptureWordsFor(double seconds);

// Writes the captured words as the file: kRcOk, or why not.
using CaptureWriter = Rc (*)(const uint32_t* words, size_t count, const std::string& path,
                             uint64_t parameter);

// The device number of the module's input port, or the port count + 1.
uint32_t FindModuleInput();

// kRcOk, kRcNoMemory or kRcMidiDeviceNotOpened.
Rc OpenCapture(size_t words);
// Caps every later store at `words` (0: no cap), so tests can fill one.
void LimitCaptureWords(size_t words);
Rc StartCapture(const std::string& path, uint64_t parameter, CaptureWriter writer);
// keep: write the file through the writer; otherwise delete it.
// kRcFileNotWritten when no capture was started, kRcNoMemory (nothing
// written) when the store filled.
Rc StopCapture(bool keep);
void CloseCapture();
bool CaptureActive();
// Words captured so far (time, message pairs); for tests.
size_t CapturedWords();

}  // namespace qm3::midi
