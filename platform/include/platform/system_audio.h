// The system sound library's own diagnostics. By default it prints them to
// stderr; components that report their failures as results route them to
// the trace sink instead, so a missing sound card is one clear message from
// the program, not the library's lines.
//
// Thread rules: call before the first use of the sound library (from the
// controlling thread); never blocks.
#pragma once

namespace platform {

void QuietSystemAudioMessages();

// True when the system's default sound output opens (a sound card or a sound
// server is there). Opens and closes it at once; quiets the messages.
bool SystemAudioAvailable();

}  // namespace platform
