#include <cstdio>

#include "catalog_view.h"
#include "commands.h"
#include "qm3middle.h"

namespace sonavex::cli {

int RunList(const std::string& what) {
  SessionOptions so;
  so.start_module = what == "ports";
  so.module_sound = false;
  HostSession s(so);
  if (int rc = s.Open(); rc != 0 && rc != 9 && rc != 10) return Report(s, rc, "start");
  if (what == "rhythms") {
    CatalogView c(s);
    std::printf("%-6s %-18s %-28s %5s %5s\n", "id", "group", "rhythm", "bpm", "beats");
    for (const RhythmEntry& r : c.rhythms()) {
      std::printf("%-6ld %-18s %-28s %5d %5d\n", r.id, r.group.c_str(), r.name.c_str(), r.tempo,
                  r.beats);
    }
  } else if (what == "melodies") {
    CatalogView c(s);
    std::printf("%-5s %-8s %-28s %5s %7s %5s\n", "index", "id", "melody", "beats", "bright",
                "dark");
    for (const MelodyEntry& m : c.melodies()) {
      std::printf("%-5d %-8ld %-28s %5d %7d %5d\n", m.index, m.id, m.name.c_str(), m.beats,
                  m.bright, m.dark);
    }
  } else {
    const std::vector<std::string> ports = s.Ports();
    for (size_t i = 0; i < ports.size(); ++i) std::printf("%zu  %s\n", i, ports[i].c_str());
  }
  return kExitOk;
}

}  // namespace sonavex::cli
