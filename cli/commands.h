// The sub-commands of sonavex-cli. Each returns the process exit status:
// 0 success, 1 a failure the middleware reported, 2 bad arguments.
//
// Thread rules: main thread.
#pragma once
#include <string>

#include "song_options.h"

namespace sonavex::cli {

int RunList(const std::string& what);
int RunCompose(const SongOptions& options, const std::string& out);

struct ConvertOptions {
  std::string song;
  std::string smf;
  std::string wav;
  std::string range_from;  // in the time format; both empty: the whole song
  std::string range_to;
  TimeOptions time;
};
int RunConvert(const ConvertOptions& options);

struct PlayOptions {
  std::string file;
  int port = -1;  // position in the port list; -1: the module's port
  TimeOptions time;
};
int RunPlay(const PlayOptions& options);

}  // namespace sonavex::cli
