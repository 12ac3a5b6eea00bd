// The style bank: every style_%03d_%03d.mid of the data dir's styles/
// folder, and the dark mood's variants of styles/dark/, read when the module
// starts so that a rhythm select on the device thread only looks a style up.
//
// Thread rules: Load allocates and reads files (start-up only); Find is a
// read-only lookup that may run on a device thread.
#pragma once
#include <map>
#include <string>
#include <utility>

#include "style.h"

namespace corvane {

class StyleBank {
 public:
  // Reads the folders <data_dir>/styles and <data_dir>/styles/dark;
  // unreadable or broken files are skipped. Returns the number of styles
  // loaded (dark variants not counted).
  int Load(const std::string& data_dir);
  // The style of a rhythm's two keys, or null. For the dark mood its dark
  // variant when there is one, else the style itself.
  const Style* Find(int key_b, int key_c, bool dark = false) const;
  void Add(int key_b, int key_c, Style style);

 private:
  static int LoadFolder(const std::string& folder, std::map<std::pair<int, int>, Style>& into);

  std::map<std::pair<int, int>, Style> styles_;
  std::map<std::pair<int, int>, Style> dark_styles_;
};

}  // namespace corvane
