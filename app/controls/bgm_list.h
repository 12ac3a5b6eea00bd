// CBgmList: one plain choice list of the application, a sequence of (display
// name, item data) pairs that list boxes and combo boxes are filled from.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>
#include <utility>
#include <vector>

namespace sonavex::app {

class CBgmList {
 public:
  using Entry = std::pair<QString, long>;

  void Clear() { entries_.clear(); }
  void Add(const QString& name, long data) { entries_.emplace_back(name, data); }
  const std::vector<Entry>& entries() const { return entries_; }
  int size() const { return static_cast<int>(entries_.size()); }

 private:
  std::vector<Entry> entries_;
};

// CRhythmTree's data: the rhythm groups, each with its rhythms and their
// values (the value of the rhythm control).
struct RhythmGroup {
  QString name;
  std::vector<std::pair<QString, long>> rhythms;
};

}  // namespace sonavex::app
