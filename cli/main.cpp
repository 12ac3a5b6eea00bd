// sonavex-cli: compose, play and convert songs from the command line, as a
// host of the middleware (its six exported calls and the notification window).
#include <CLI/CLI.hpp>

#include "commands.h"

namespace {

using sonavex::cli::ConvertOptions;
using sonavex::cli::PerformOptions;
using sonavex::cli::PlayOptions;
using sonavex::cli::SongOptions;
using sonavex::cli::TimeOptions;

void AddTimeOptions(CLI::App* cmd, TimeOptions* t) {
  cmd->add_option("--fps", t->fps, "time base: 24, 25, 29.97 (drop-frame) or 30")
      ->check(CLI::IsMember({"24", "25", "29.97", "30"}));
  cmd->add_option("--time-format", t->format, "how times are written")
      ->check(CLI::IsMember({"timecode", "frames", "feet16", "feet35"}));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Sonavex: background music composed to fit a playing time"};
  app.require_subcommand(1);

  std::string what;
  auto* list = app.add_subcommand("list", "list rhythms, melodies or MIDI output ports");
  list->add_option("what", what, "rhythms, melodies or ports")
      ->required()
      ->check(CLI::IsMember({"rhythms", "melodies", "ports"}));

  SongOptions song;
  std::string out;
  auto* compose = app.add_subcommand("compose", "compose a song that fills a playing time");
  compose->add_option("--rhythm", song.rhythm, "rhythm name or id (default: the first)");
  compose->add_option("--melody", song.melody, "auto, or a melody name or id");
  compose->add_option("--mood", song.mood, "bright or dark")
      ->check(CLI::IsMember({"bright", "dark"}));
  compose->add_option("--intro", song.intro, "1..4 or none")
      ->check(CLI::IsMember({"1", "2", "3", "4", "none"}));
  compose->add_option("--ending", song.ending, "1..4 or none")
      ->check(CLI::IsMember({"1", "2", "3", "4", "none"}));
  compose->add_option("--liveliness", song.liveliness, "0..4")->check(CLI::Range(0, 4));
  compose->add_option("--tempo-step", song.tempo_step, "-3..3 around the standard tempo")
      ->check(CLI::Range(-3, 3));
  compose->add_option("--start-phrase", song.start_phrase, "A or B")
      ->check(CLI::IsMember({"A", "B"}));
  compose->add_option("--fade-out", song.fade_out, "fade-out seconds 1..9, 0 for none")
      ->check(CLI::Range(0, 9));
  compose->add_option("--start", song.start, "start time in the time format (default 0)");
  compose->add_option("--end", song.end, "end time in the time format");
  compose->add_option("--duration", song.duration, "playing time in seconds, instead of --end");
  AddTimeOptions(compose, &song.time);
  compose->add_option("-o,--out", out, "song file to write (.bgm)")->required();

  ConvertOptions conv;
  auto* convert = app.add_subcommand("convert", "convert a song to a MIDI file and/or WAV");
  convert->add_option("song", conv.song, "song file (.bgm)")->required()->check(CLI::ExistingFile);
  convert->add_option("--smf", conv.smf, "Standard MIDI File to write");
  convert->add_option("--wav", conv.wav, "WAV file to write");
  std::vector<std::string> range;
  convert->add_option("--range", range, "FROM TO: a part of the song")->expected(2);
  convert->add_flag("--keep-tail", conv.keep_tail,
                    "WAV: keep the sound ringing on after the end (else the last 10 ms fade)");
  AddTimeOptions(convert, &conv.time);

  PlayOptions play;
  auto* player = app.add_subcommand("play", "play a song on the sound module");
  player->add_option("file", play.file, "song file (.bgm)")->required()->check(CLI::ExistingFile);
  player->add_option("--port", play.port, "MIDI output port (see: list ports)");
  AddTimeOptions(player, &play.time);

  PerformOptions perform;
  auto* performer = app.add_subcommand(
      "perform", "play the arrangement live (script or keys), record it and make it a song");
  performer->add_option("--rhythm", perform.rhythm, "rhythm name or id (default: the first)");
  performer->add_option("--melody", perform.melody, "auto, or a melody name or id");
  performer->add_option("--mood", perform.mood, "bright or dark")
      ->check(CLI::IsMember({"bright", "dark"}));
  performer->add_option("--tempo", perform.tempo, "beats per minute (default: the rhythm's)")
      ->check(CLI::Range(40, 300));
  performer->add_option("--script", perform.script,
                        "lines \"MEASURE BUTTON\": intro1..4, main1..4, fill1, fill2, "
                        "ending1..4, fade, stop");
  performer->add_option("-o,--out", perform.out, "song file to write (.bgm)");

  CLI11_PARSE(app, argc, argv);
  if (performer->parsed()) return sonavex::cli::RunPerform(perform);
  if (list->parsed()) return sonavex::cli::RunList(what);
  if (compose->parsed()) {
    song.intro_given = compose->count("--intro") > 0;
    song.ending_given = compose->count("--ending") > 0;
    return sonavex::cli::RunCompose(song, out);
  }
  if (convert->parsed()) {
    if (range.size() == 2) {
      conv.range_from = range[0];
      conv.range_to = range[1];
    }
    return sonavex::cli::RunConvert(conv);
  }
  return sonavex::cli::RunPlay(play);
}
