// The style bank: every style_%03d_%03d.mid of the data dir's styles/
// folder, read when the module starts so that a rhythm select on the device
// thread only looks a style up.
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
  // Reads the folder <data_dir>/styles; unreadable or broken files are
  // skipped. Returns the number of styles loaded.
  int Load(const std::string& data_dir);
  // The style of a rhythm's two keys, or null.
  const Style* Find(int key_b, int key_c) const;
  void Add(int key_b, int key_c, Style style);

 private:
  std::map<std::pair<int, int>, Style> styles_;
};

}  // namespace corvane
