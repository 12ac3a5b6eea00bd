// sonavex-cli: compose, play and convert songs from the command line, as a
// host of the middleware (its six exported calls and the notification window).
#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdlib>
#include <iostream>

#include "commands.h"

#ifndef SONAVEX_VERSION
#define SONAVEX_VERSION "0"
#endif

namespace {

using sonavex::cli::ConvertOptions;
using sonavex::cli::PerformOptions;
using sonavex::cli::PlayOptions;
using sonavex::cli::SongOptions;
using sonavex::cli::TimeOptions;

void AddTimeOptions(CLI::App* cmd, TimeOptions* t) {
  cmd->add_option("--fps", t->fps, "time base: 24, 25, 29.97 (drop-frame) or 30")
      ->check(CLI::IsMember({"24", "25", "29.97", "30"}))
      ->capture_default_str();
  cmd->add_option("--time-format", t->format, "how times are written")
      ->check(CLI::IsMember({"timecode", "frames", "feet16", "feet35"}))
      ->capture_default_str();
}

// A number the option accepts, the refusal naming what it takes (the
// parser's own conversion message names neither).
// `whole`: digits only, within an int.
CLI::Validator NumberAbove(double floor, const std::string& accepted, bool whole = false) {
  return CLI::Validator(
      [floor, accepted, whole](std::string& value) -> std::string {
        char* end = nullptr;
        const double number = std::strtod(value.c_str(), &end);
        const bool ok = !value.empty() && end != nullptr && *end == '\0' && std::isfinite(number) &&
                        number > floor &&
                        (!whole || (value.size() <= 9 &&
                                    value.find_first_not_of("0123456789") == std::string::npos));
        return ok ? std::string() : "\"" + value + "\" is not " + accepted;
      },
      "", "");
}

// Every refusal of the parser (unknown option, missing or wrong value) is
// bad usage; asking for help or the version is success.
int ExitForParseError(const CLI::App& app, const CLI::ParseError& e) {
  const int rc = app.exit(e);
  return rc == 0 ? sonavex::cli::kExitOk : sonavex::cli::kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Sonavex: background music composed to fit a playing time", "sonavex-cli"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "sonavex-cli " SONAVEX_VERSION);
  app.footer(
      "Exit status: 0 success, 1 the work failed, 2 bad usage.\n"
      "Run 'sonavex-cli help COMMAND' for a command's options.");

  std::string help_topic;
  auto* help = app.add_subcommand("help", "show the help of the program or of a command");
  help->add_option("command", help_topic, "list, compose, convert, play, perform, parts or edit")
      ->check(CLI::IsMember(
          {"list", "compose", "convert", "play", "perform", "parts", "edit", "help"}));

  std::string what;
  auto* list = app.add_subcommand("list", "list rhythms, melodies or MIDI output ports");
  list->add_option("what", what, "rhythms, melodies or ports")
      ->required()
      ->check(CLI::IsMember({"rhythms", "melodies", "ports"}));

  SongOptions song;
  std::string out;
  auto* compose = app.add_subcommand("compose", "compose a song that fills a playing time");
  compose->add_option("--rhythm", song.rhythm, "rhythm name or id (default: the first)");
  compose
      ->add_option("--melody", song.melody,
                   "auto, or a melody's catalog number, list index or name (see: list melodies)")
      ->capture_default_str();
  compose->add_option("--mood", song.mood, "bright or dark")
      ->check(CLI::IsMember({"bright", "dark"}))
      ->capture_default_str();
  compose->add_option("--intro", song.intro, "1..4 or none")
      ->check(CLI::IsMember({"1", "2", "3", "4", "none"}))
      ->capture_default_str();
  compose->add_option("--ending", song.ending, "1..4 or none")
      ->check(CLI::IsMember({"1", "2", "3", "4", "none"}))
      ->capture_default_str();
  compose->add_option("--liveliness", song.liveliness, "0..4")
      ->check(CLI::Range(0, 4))
      ->capture_default_str();
  compose->add_option("--tempo-step", song.tempo_step, "-3..3 around the standard tempo")
      ->check(CLI::Range(-3, 3))
      ->capture_default_str();
  compose->add_option("--start-phrase", song.start_phrase, "A or B")
      ->check(CLI::IsMember({"A", "B"}))
      ->capture_default_str();
  compose->add_option("--fade-out", song.fade_out, "fade-out seconds 1..9, 0 for none")
      ->check(CLI::Range(0, 9))
      ->capture_default_str();
  compose->add_option("--start", song.start, "start time in the time format (default 0)");
  compose->add_option("--end", song.end, "end time in the time format");
  compose->add_option("--duration", song.duration, "playing time in seconds, instead of --end")
      ->check(NumberAbove(0, "a playing time in seconds above 0"));
  AddTimeOptions(compose, &song.time);
  compose->add_option("-o,--out", out, "song file to write (.bgm)")->required();

  ConvertOptions conv;
  auto* convert = app.add_subcommand("convert", "convert a song to a MIDI file and/or WAV");
  convert
      ->add_option("song", conv.song,
                   "song file (.bgm), or a MIDI file (.mid) for --wav or a --range of it")
      ->required()
      ->check(CLI::ExistingFile);
  convert->add_option("--smf", conv.smf, "Standard MIDI File to write");
  convert->add_option("--wav", conv.wav, "WAV file to write");
  std::vector<std::string> range;
  convert->add_option("--range", range, "FROM TO: a part of the song")->expected(2);
  convert->add_flag("--keep-tail", conv.keep_tail,
                    "WAV: keep the sound ringing on after the end (else the last 10 ms fade)");
  convert->add_flag("--gm", conv.gm_voices,
                    "SMF: the General MIDI programs of the sounds the module plays, for other "
                    "synthesizers");
  AddTimeOptions(convert, &conv.time);
  convert->add_flag("-q,--quiet", conv.quiet, "no progress display");

  PlayOptions play;
  auto* player = app.add_subcommand("play", "play a song or MIDI file on the sound module");
  player->add_option("file", play.file, "song file (.bgm) or MIDI file (.mid)")
      ->required()
      ->check(CLI::ExistingFile);
  player
      ->add_option("--port", play.port,
                   "MIDI output port number (see: list ports; default: the sound module)")
      ->check(NumberAbove(-1, "a port number from 'sonavex-cli list ports'", true));
  AddTimeOptions(player, &play.time);
  player->add_flag("-q,--quiet", play.quiet, "no position display");

  PerformOptions perform;
  auto* performer = app.add_subcommand(
      "perform", "play the arrangement live (script or keys), record it and make it a song");
  performer->add_option("--rhythm", perform.rhythm, "rhythm name or id (default: the first)");
  performer
      ->add_option("--melody", perform.melody,
                   "auto, or a melody's catalog number, list index or name (see: list melodies)")
      ->capture_default_str();
  performer->add_option("--mood", perform.mood, "bright or dark")
      ->check(CLI::IsMember({"bright", "dark"}))
      ->capture_default_str();
  performer->add_option("--tempo", perform.tempo, "beats per minute (default: the rhythm's)")
      ->check(CLI::Range(40, 300));
  performer->add_option("--script", perform.script,
                        "lines \"MEASURE BUTTON\": intro1..4, main1..4, fill1, fill2, "
                        "ending1..4, fade, stop");
  performer->add_option("-o,--out", perform.out, "song file to write (.bgm)");

  std::string parts_file;
  auto* parts = app.add_subcommand("parts", "show the 16 parts of a MIDI file");
  parts->add_option("file", parts_file, "MIDI file (.mid)")->required()->check(CLI::ExistingFile);

  sonavex::cli::EditOptions edit;
  auto* editor = app.add_subcommand("edit", "change parts of a MIDI file and save it");
  editor->add_option("file", edit.file, "MIDI file (.mid)")->required()->check(CLI::ExistingFile);
  editor->add_option("-o,--out", edit.out, "MIDI file to write")->required();
  // Edits apply in the order given, each to the part named last.
  auto step = [&edit](const char* flag) {
    return [&edit, flag](const std::string& value) {
      edit.steps.emplace_back(flag);
      edit.steps.push_back(value);
    };
  };
  auto flag_step = [&edit](const char* flag) {
    return [&edit, flag]() { edit.steps.emplace_back(flag); };
  };
  editor->add_option_function<std::string>("--part", step("--part"), "the part 1..16 edited next")
      ->trigger_on_parse();
  editor
      ->add_option_function<std::string>("--voice", step("--voice"),
                                         "voice id (0x0305) or name, as parts shows them")
      ->trigger_on_parse();
  editor->add_option_function<std::string>("--volume", step("--volume"), "volume 0..127")
      ->trigger_on_parse();
  editor->add_option_function<std::string>("--pan", step("--pan"), "pan 0..127 (64 centre)")
      ->trigger_on_parse();
  editor->add_flag_callback("--mute", flag_step("--mute"), "silence the part while it plays here")
      ->trigger_on_parse();
  editor->add_flag_callback("--unmute", flag_step("--unmute"), "let the part play again")
      ->trigger_on_parse();

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return ExitForParseError(app, e);
  }
  if (help->parsed()) {
    app.clear();  // the help of the program, not of the parsed "help"
    if (help_topic.empty() || help_topic == "help") {
      std::cout << app.help();
    } else {
      std::cout << app.get_subcommand(help_topic)->help(app.get_name());
    }
    return sonavex::cli::kExitOk;
  }
  if (performer->parsed()) return sonavex::cli::RunPerform(perform);
  if (parts->parsed()) return sonavex::cli::RunParts(parts_file);
  if (editor->parsed()) return sonavex::cli::RunEdit(edit);
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
