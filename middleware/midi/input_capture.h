// Capture of everything the sound module sends on its MIDI input port while a
// song plays: (time stamp, packed message) word pairs in a 1 MiB store, kept
// as a Standard MIDI File or thrown away when the capture stops.
//
// Thread rules: Open/Start/Stop/Close on the host or play thread. The input
// callback runs on the device thread and only appends to the preallocated
// store (no allocation, no lock); the store is read after the port has been
// stopped and reset.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace qm3::midi {

inline constexpr const char* kModuleInputName = "Corvane USB MIDI IN 1";
inline constexpr size_t kCaptureWords = 262144;

// Writes the captured words as the file; 0 or a return code (11).
using CaptureWriter = int (*)(const uint32_t* words, size_t count, const std::string& path,
                              uint64_t parameter);

// The device number of the module's input port, or the port count + 1.
uint32_t FindModuleInput();

int OpenCapture();  // 0, 4 or 13
int StartCapture(const std::string& path, uint64_t parameter, CaptureWriter writer);
// keep: write the file through the writer; otherwise delete it. 11 when no
// capture was started.
int StopCapture(bool keep);
void CloseCapture();
bool CaptureActive();
// Words captured so far (time, message pairs); for tests.
size_t CapturedWords();

}  // namespace qm3::midi
