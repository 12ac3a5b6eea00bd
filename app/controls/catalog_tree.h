// The two-level catalogues the dialogs show in tree controls (rhythms by
// group, sounds by group): plain copies of the middleware's lists. Each group
// remembers its current entry, so choosing a group means choosing the entry
// last chosen in it. Numbers are the middleware's selection numbers.
//
// Thread rules: user-interface thread only.
#pragma once
#include <QString>
#include <utility>
#include <vector>

namespace sonavex::app {

// What the tree control needs of a catalogue, whatever its entries are.
class CCatalogIndex {
 public:
  virtual ~CCatalogIndex() = default;
  virtual int GroupCount() const = 0;
  virtual QString GroupName(int group) const = 0;
  virtual int EntryCount(int group) const = 0;
  virtual QString EntryName(int group, int entry) const = 0;
  virtual long EntryNumber(int group, int entry) const = 0;
  // The first group called `group`: its current entry chosen again; its
  // number, -1 when no group has the name (or it has no current entry).
  virtual long SelNumFromGroup(const QString& group) = 0;
  // In the first group called `group`, the first entry called `entry`
  // becomes the current one; its number, -1 when not found.
  virtual long SelNumFromEntry(const QString& group, const QString& entry) = 0;
  // The name of the entry numbered `number` in any group; empty when none.
  virtual QString EntryNameOf(long number) const = 0;
  // The first group holding `number` makes it current; that group's name,
  // empty when no group holds it.
  virtual QString SelectNumber(long number) = 0;
  // The current entry's number of the first group called `group`; -1 when none.
  virtual long GroupCurrent(const QString& group) const = 0;

 protected:
  CCatalogIndex() = default;
  CCatalogIndex(const CCatalogIndex&) = default;
  CCatalogIndex& operator=(const CCatalogIndex&) = default;
};

// One group of entries. `Entry` has `name`, `number` and `selected`.
template <typename Entry>
class CCatalogGroup {
 public:
  explicit CCatalogGroup(QString name = {}) : name_(std::move(name)) {}

  void Add(Entry entry) { entries_.push_back(std::move(entry)); }
  // -1 chooses the first entry, otherwise the entry numbered `key`; a key
  // no entry has chooses nothing and returns false.
  bool Select(long key) {
    Entry* chosen = nullptr;
    for (Entry& e : entries_) {
      if (key == -1 || e.number == key) {
        chosen = &e;
        break;
      }
    }
    if (chosen == nullptr) return false;
    ClearSelect();
    chosen->selected = true;
    current_ = chosen->number;
    return true;
  }
  void ClearSelect() {
    for (Entry& e : entries_) e.selected = false;
  }
  long GetNumber() const { return current_; }
  const Entry* Find(long number) const {
    for (const Entry& e : entries_) {
      if (e.number == number) return &e;
    }
    return nullptr;
  }
  const QString& name() const { return name_; }
  const std::vector<Entry>& entries() const { return entries_; }

 private:
  QString name_;
  std::vector<Entry> entries_;
  long current_ = -1;
};

template <typename Entry>
class CCatalogTree : public CCatalogIndex {
 public:
  using Group = CCatalogGroup<Entry>;

  void Clear() { groups_.clear(); }
  void AddGroup(Group group) { groups_.push_back(std::move(group)); }
  const std::vector<Group>& groups() const { return groups_; }
  bool empty() const { return groups_.empty(); }

  int GroupCount() const override { return static_cast<int>(groups_.size()); }
  QString GroupName(int group) const override { return groups_[group].name(); }
  int EntryCount(int group) const override {
    return static_cast<int>(groups_[group].entries().size());
  }
  QString EntryName(int group, int entry) const override {
    return groups_[group].entries()[entry].name;
  }
  long EntryNumber(int group, int entry) const override {
    return groups_[group].entries()[entry].number;
  }
  long SelNumFromGroup(const QString& group) override {
    Group* g = FindGroup(group);
    if (g == nullptr) return -1;
    g->Select(g->GetNumber());
    return g->GetNumber();
  }
  long SelNumFromEntry(const QString& group, const QString& entry) override {
    Group* g = FindGroup(group);
    if (g == nullptr) return -1;
    for (const Entry& e : g->entries()) {
      if (e.name == entry) {
        g->Select(e.number);
        return e.number;
      }
    }
    return -1;
  }
  QString EntryNameOf(long number) const override {
    const Entry* e = FindEntry(number);
    return e != nullptr ? e->name : QString();
  }
  QString SelectNumber(long number) override {
    for (Group& g : groups_) {
      if (g.Find(number) != nullptr) {
        g.Select(number);
        return g.name();
      }
    }
    return {};
  }
  long GroupCurrent(const QString& group) const override {
    for (const Group& g : groups_) {
      if (g.name() == group) return g.GetNumber();
    }
    return -1;
  }

 protected:
  Group* FindGroup(const QString& name) {
    for (Group& g : groups_) {
      if (g.name() == name) return &g;
    }
    return nullptr;
  }
  // The entry numbered `number` as the current entry of its group.
  const Entry* FindCurrent(long number) const {
    for (const Group& g : groups_) {
      if (g.GetNumber() == number) return g.Find(number);
    }
    return nullptr;
  }
  const Entry* FindEntry(long number) const {
    for (const Group& g : groups_) {
      if (const Entry* e = g.Find(number)) return e;
    }
    return nullptr;
  }

  std::vector<Group> groups_;
};

}  // namespace sonavex::app
