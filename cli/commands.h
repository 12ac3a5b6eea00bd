// The sub-commands of sonavex-cli. Each returns the process exit status.
//
// Thread rules: main thread.
#pragma once
#include <string>
#include <vector>

#include "exit_codes.h"
#include "song_options.h"

namespace sonavex::cli {

int RunList(const std::string& what);
int RunCompose(const SongOptions& options, const std::string& out);
// The song's phrase table, tempo, times and length, as compose prints them.
void PrintSongTable(HostSession& s);

struct PerformOptions {
  std::string rhythm;           // name or id; empty: the first rhythm
  std::string melody = "auto";  // auto, name or id
  std::string mood = "bright";  // bright, dark
  int tempo = 0;                // beats per minute; 0: the rhythm's standard tempo
  std::string script;           // empty: keys press the buttons live
  std::string out;              // song file to write; empty: none
};
int RunPerform(const PerformOptions& options);

struct ConvertOptions {
  std::string song;
  std::string smf;
  std::string wav;
  std::string range_from;  // in the time format; both empty: the whole song
  std::string range_to;
  bool keep_tail = false;  // the WAV goes on while the last sounds ring
  bool gm_voices = false;  // SMF: General MIDI programs as the module plays them
  TimeOptions time;
  bool quiet = false;
};
int RunConvert(const ConvertOptions& options);

struct PlayOptions {
  std::string file;
  int port = -1;  // position in the port list; -1: the module's port
  TimeOptions time;
  bool quiet = false;
};
int RunPlay(const PlayOptions& options);

// Standard MIDI Files: the 16 parts, and part edits saved to a new file.
int RunParts(const std::string& file);
struct EditOptions {
  std::string file;
  std::string out;
  // In order: "--part" N, then edits of that part ("--voice" ID|NAME,
  // "--volume" V, "--pan" P, "--mute", "--unmute"), another "--part" ...
  std::vector<std::string> steps;
};
int RunEdit(const EditOptions& options);

}  // namespace sonavex::cli
