#include "file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace sonavex::install {
namespace {

namespace fs = std::filesystem;

struct Step {
  fs::path staged;  // the new bytes beside the destination
  fs::path backup;  // a second link to the old file; empty when there was none
  bool renamed = false;
};

std::string Reason(const fs::path& path, const char* what) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(errno);
}

fs::path Beside(const fs::path& destination, const char* kind) {
  return destination.parent_path() /
         ("." + destination.filename().string() + "." + kind + "-" + std::to_string(getpid()));
}

// Copies `source` to the new file `target` with `mode`, flushed to disk.
bool CopyFile(const fs::path& source, const fs::path& target, mode_t mode, std::string& error) {
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    error = Reason(source, "cannot read");
    return false;
  }
  const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (out < 0) {
    error = Reason(target, "cannot write");
    ::close(in);
    return false;
  }
  bool ok = true;
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      error = Reason(source, "cannot read");
      ok = false;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        error = Reason(target, "cannot write");
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  if (ok && (::fchmod(out, mode) != 0 || ::fsync(out) != 0)) {
    error = Reason(target, "cannot write");
    ok = false;
  }
  ::close(in);
  if (::close(out) != 0 && ok) {
    error = Reason(target, "cannot write");
    ok = false;
  }
  return ok;
}

mode_t ModeFor(const Replacement& r) {
  struct stat st {};
  if (::stat(r.destination.c_str(), &st) == 0) return st.st_mode & 07777;
  if (::stat(r.source.c_str(), &st) == 0) return st.st_mode & 0777;
  return 0755;
}

void SyncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

void Discard(const std::vector<Step>& steps) {
  for (const Step& s : steps) {
    if (!s.renamed) ::unlink(s.staged.c_str());
    if (!s.backup.empty()) ::unlink(s.backup.c_str());
  }
}

}  // namespace

bool ReplaceFiles(const std::vector<Replacement>& files, std::string& error,
                  const ReplaceOptions& options) {
  const auto rename_file = options.rename ? options.rename : std::function(&std::rename);
  std::vector<Step> steps;
  steps.reserve(files.size());

  // Every new file complete beside its destination, and every old one kept
  // under a second name, before anything is renamed.
  for (const Replacement& r : files) {
    Step step;
    step.staged = Beside(r.destination, "update");
    ::unlink(step.staged.c_str());  // a leftover of an update that died
    if (!CopyFile(r.source, step.staged, ModeFor(r), error)) {
      ::unlink(step.staged.c_str());
      Discard(steps);
      return false;
    }
    if (::access(r.destination.c_str(), F_OK) == 0) {
      step.backup = Beside(r.destination, "previous");
      ::unlink(step.backup.c_str());
      if (::link(r.destination.c_str(), step.backup.c_str()) != 0) {
        error = Reason(r.destination, "cannot keep the old");
        step.backup.clear();
        steps.push_back(step);
        Discard(steps);
        return false;
      }
    }
    steps.push_back(step);
  }

  for (size_t i = 0; i < files.size(); ++i) {
    if (rename_file(steps[i].staged.c_str(), files[i].destination.c_str()) == 0) {
      steps[i].renamed = true;
      continue;
    }
    error = Reason(files[i].destination, "cannot replace");
    // Put back what was already replaced, newest first.
    for (size_t j = i; j-- > 0;) {
      if (!steps[j].backup.empty()) {
        if (std::rename(steps[j].backup.c_str(), files[j].destination.c_str()) == 0) {
          steps[j].backup.clear();
        }
      } else {
        ::unlink(files[j].destination.c_str());
      }
    }
    Discard(steps);
    return false;
  }
  for (const Replacement& r : files) SyncFolder(r.destination.parent_path());
  Discard(steps);
  return true;
}

}  // namespace sonavex::install
