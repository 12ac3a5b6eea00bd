// The work folder of one running instance. Work files (the rendered song,
// the capture spool) keep their names, but each instance writes them into a
// folder of its own below the base folder, so two instances started in one
// host folder never read each other's files.
//
// An instance takes the first numbered folder "<base>work/<n>/" whose lock
// file no live process holds, empties it of what a killed instance left,
// keeps the lock while it runs and gives the folder back emptied. The lock is
// a file lock, so a process that dies gives it back by itself.
//
// Thread rules: Take and Release on the host thread (init, end); path() from
// any thread while the folder is taken. Nothing here waits: locks are tried,
// never waited for, on either clock.
#pragma once
#include <string>

namespace qm3 {

class WorkFolder {
 public:
  WorkFolder() = default;
  ~WorkFolder();
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;

  // Takes a free folder below `base` (ending in '/'); returns its path
  // ending in '/', or an empty string when no folder could be taken.
  const std::string& Take(const std::string& base);
  // Empties the folder and lets another instance take it.
  void Release();
  bool taken() const { return lock_fd_ >= 0; }
  const std::string& path() const { return path_; }

  // How many instances may run at once below one base folder.
  static constexpr int kSlots = 64;

 private:
  int lock_fd_ = -1;
  std::string path_;
};

}  // namespace qm3
