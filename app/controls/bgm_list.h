// CBgmList: one plain choice list of the application, a sequence of (display
// name, item data) pairs that list boxes and combo boxes are filled from,
// and the lookups the dialogs make on such boxes.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>
#include <utility>
#include <vector>

class QComboBox;
class QListWidget;

namespace sonavex::app {

class CBgmList {
 public:
  using Entry = std::pair<QString, long>;

  void Clear() { entries_.clear(); }
  void Add(const QString& name, long data) { entries_.emplace_back(name, data); }
  const std::vector<Entry>& entries() const { return entries_; }
  int size() const { return static_cast<int>(entries_.size()); }

  // Empties `box`, appends every entry in order with its item data
  // (a long under Qt::UserRole) and selects the entry whose data is `key` (none when no
  // entry has it). Signals of the box are blocked meanwhile.
  void AddControl(QComboBox* box, long key) const;
  void AddControl(QListWidget* box, long key) const;

  // Selects the box entry of the first list entry whose data is `key`, by
  // that entry's name as the box's own search finds it (the first box
  // entry, from the top, that begins with the name, regardless of case).
  // False when no list entry has the key. Signals are not blocked.
  bool Select(QComboBox* box, long key) const;
  bool Select(QListWidget* box, long key) const;

  // The selected entry's item data; -1 when nothing is selected.
  static long GetSelectComboData(const QComboBox* box);

 private:
  const Entry* Find(long key) const;

  std::vector<Entry> entries_;
};

}  // namespace sonavex::app
