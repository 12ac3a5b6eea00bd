#include "rhythm_source.h"

#include <set>
#include <sstream>

namespace content {
namespace {

void ParsePair(const SourceLine& line, const std::string& text, int (&out)[2]) {
  const auto parts = SplitList(text, ',');
  if (parts.size() != 2) line.Fail("expected two numbers: " + text);
  for (int i = 0; i < 2; ++i) {
    out[i] = ParseInt(line, parts[i]);
    if (out[i] < 1 || out[i] > 8) line.Fail("intro and ending lengths are 1 to 8 measures");
  }
}

void CheckName(const SourceLine& line, const std::string& name) {
  if (name.empty() || name.size() > 40 || name.find(',') != std::string::npos || name[0] == ';')
    line.Fail("a name is 1 to 40 characters, without commas");
}

}  // namespace

std::vector<RhythmGroup> ParseRhythms(const std::vector<SourceLine>& lines) {
  std::vector<RhythmGroup> groups;
  std::set<std::pair<int, int>> style_keys;
  for (const auto& line : lines) {
    const auto& t = line.tokens;
    if (t[0] == "group" && t.size() == 2) {
      CheckName(line, t[1]);
      groups.push_back({t[1], {}});
      continue;
    }
    if (t[0] != "rhythm" || t.size() < 3) line.Fail("expected a group or rhythm line");
    if (groups.empty()) line.Fail("rhythm before the first group");
    RhythmSpec r;
    r.name = t[1];
    CheckName(line, r.name);
    auto options = OptionsOf(line, 2);
    for (const char* required : {"keys", "style", "tempo", "beats", "intro", "ending", "melody",
                                 "voice", "transpose", "volumes"})
      if (!options.count(required)) line.Fail(std::string("missing ") + required + "=");
    const auto keys = SplitList(options["keys"], ',');
    if (keys.size() != 3) line.Fail("keys=a,b,c");
    r.key_a = ParseInt(line, keys[0]);
    r.key_b = ParseInt(line, keys[1]);
    r.key_c = ParseInt(line, keys[2]);
    if (r.key_b < 0 || r.key_b > 127 || r.key_c < 0 || r.key_c > 127)
      line.Fail("key b and key c are 0..127 (they travel in module messages)");
    if (!style_keys.insert({r.key_b, r.key_c}).second) line.Fail("key b and key c used twice");
    r.style = options["style"];
    r.tempo = ParseInt(line, options["tempo"]);
    if (r.tempo < 40 || r.tempo > 250) line.Fail("tempo out of range");
    r.beats = ParseInt(line, options["beats"]);
    if (r.beats != 3 && r.beats != 4) line.Fail("beats is 3 or 4");
    ParsePair(line, options["intro"], r.intro);
    ParsePair(line, options["ending"], r.ending);
    r.melody = ParseInt(line, options["melody"]);
    const auto voice = SplitList(options["voice"], ',');
    if (voice.size() != 2) line.Fail("voice=program,bank");
    r.program = ParseInt(line, voice[0]);
    r.bank = ParseInt(line, voice[1]);
    r.transpose = ParseInt(line, options["transpose"]);
    if (r.transpose < -12 || r.transpose > 12) line.Fail("transpose is -12..12");
    const auto volumes = SplitList(options["volumes"], ',');
    if (volumes.size() != 6) line.Fail("volumes= has six numbers");
    for (int i = 0; i < 6; ++i) {
      r.volumes[i] = ParseInt(line, volumes[i]);
      if (r.volumes[i] < 0 || r.volumes[i] > 127) line.Fail("a volume is 0..127");
    }
    auto part_programs = [&line](const std::string& list) {
      std::map<StylePart, int> programs;
      for (const auto& item : SplitList(list, ',')) {
        const auto colon = item.find(':');
        if (colon == std::string::npos) line.Fail("programs=part:program,...");
        bool found = false;
        for (StylePart p : kAllStyleParts) {
          if (item.substr(0, colon) == StylePartName(p)) {
            programs[p] = ParseInt(line, item.substr(colon + 1));
            found = true;
          }
        }
        if (!found) line.Fail("unknown part in programs=");
      }
      return programs;
    };
    if (options.count("programs")) r.programs = part_programs(options["programs"]);
    if (options.count("darkprograms")) r.dark_programs = part_programs(options["darkprograms"]);
    groups.back().rhythms.push_back(r);
    if (groups.back().rhythms.size() > 255) line.Fail("at most 255 rhythms in a group");
  }
  if (groups.size() > 255) throw SourceError("at most 255 rhythm groups");
  return groups;
}

std::string RhythmCatalogText(const std::vector<RhythmGroup>& groups) {
  std::ostringstream out;
  out << "; Sonavex rhythm catalog, generated from content/sources/rhythms.txt\n";
  out << "; name,keyA,keyB,keyC,intro1,ending1,intro2,ending2,tempo,melody,beats,"
         "program,bank,vol melody,transpose,vol drums,bass,acc1,acc2,acc3\n";
  for (const auto& group : groups) {
    out << group.name << "," << group.rhythms.size() << "\n";
    for (const auto& r : group.rhythms) {
      out << r.name << "," << r.key_a << "," << r.key_b << "," << r.key_c << "," << r.intro[0]
          << "," << r.ending[0] << "," << r.intro[1] << "," << r.ending[1] << "," << r.tempo << ","
          << r.melody << "," << r.beats << "," << r.program << "," << r.bank << "," << r.volumes[0]
          << "," << r.transpose << "," << r.volumes[1] << "," << r.volumes[2] << "," << r.volumes[3]
          << "," << r.volumes[4] << "," << r.volumes[5] << "\n";
    }
  }
  return out.str();
}

}  // namespace content
