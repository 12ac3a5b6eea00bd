// What the live-run tests share: a private host folder over the generated
// content library, the real-time window entered with a named rhythm, button
// presses as a host makes them, and a recorder of what a run sends.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "core/control_ids.h"
#include "core/middle_internal.h"
#include "midi/live_run.h"
#include "qm3middle.h"

namespace qm3::live_test {

inline long ProcessId(int n) {
  return 0x8000 + n;
}

// A folder that links the content library, so the work files of one test
// never meet those of another running at the same time.
inline std::filesystem::path MakeHostFolder(const char* tag) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() /
                       (std::string("sonavex-") + tag + "-" + std::to_string(::getpid()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  for (const auto& entry : fs::directory_iterator(SONAVEX_DATA_DIR)) {
    const std::string name = entry.path().filename().string();
    if (name.find("_mid.dat") != std::string::npos && name.rfind("src") == std::string::npos &&
        name.find("chord") == std::string::npos) {
      continue;  // work files of other runs
    }
    fs::create_symlink(entry.path(), dir / name);
  }
  return dir;
}

inline bool HaveContent() {
  return std::filesystem::exists(std::string(SONAVEX_DATA_DIR) + "/QM3RHY.toc");
}

// The id (0x0303 value) of the rhythm called `name`; -1 if none.
inline long RhythmNamed(const char* name) {
  long a = 0, b = 0;
  if (QM3GetValue(ProcessId(kProcGetRhyGroupData), 0, &a, &b) != 0 || a == 0) return -1;
  const auto* groups = reinterpret_cast<const QM3RhythmGroupList*>(a);
  for (int g = 0; g < groups->cCount; ++g) {
    for (int r = 0; r < groups->pGroup[g].cCount; ++r) {
      const QM3RhythmData& d = groups->pGroup[g].pRhythm[r];
      if (std::strcmp(d.pszName, name) == 0) return d.lID;
    }
  }
  return -1;
}

// Enters the real-time window of an initialised middleware and chooses the
// rhythm called `rhythm` there.
inline ::testing::AssertionResult EnterLiveWindow(const char* rhythm) {
  if (QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4204, 0) != 0) {
    return ::testing::AssertionFailure() << "the real-time window cannot be entered";
  }
  const long id = RhythmNamed(rhythm);
  if (id < 0) return ::testing::AssertionFailure() << "no rhythm called " << rhythm;
  if (QM3SetValue(kRealTimeRhythm, 0, id, 0) != 0) {
    return ::testing::AssertionFailure() << "rhythm " << rhythm << " cannot be chosen";
  }
  return ::testing::AssertionSuccess();
}

// Stops whatever runs, stops observing and leaves the real-time window.
inline void LeaveLiveWindow() {
  QM3SetValue(kStop, 0, 0, 0);
  midi::SetLiveRunObserver({});
  QM3SetValue(ProcessId(kProcChangeWindow), 0, 0x4205, 0);
}

inline int Press(long id) {
  return QM3SetValue(id, 0, 1, 0);
}

inline long Read(long id) {
  long a = 0, b = 0;
  QM3GetValue(id, 0, &a, &b);
  return a;
}

// The recording of the last run, as a host reads it.
inline std::vector<std::pair<int, int>> Recording() {
  long a = 0, b = 0;
  std::vector<std::pair<int, int>> out;
  if (QM3GetValue(ProcessId(kProcGetLiveRecording), 0, &a, &b) != 0 || a == 0) return out;
  const auto* rec = reinterpret_cast<const QM3LiveRecording*>(a);
  for (int i = 0; i < rec->nCount; ++i) out.emplace_back(rec->pSections[i], rec->pVariations[i]);
  return out;
}

// Everything a run reports on its device thread.
class RunLog {
 public:
  struct Sent {
    uint64_t n;
    uint64_t us;
    uint32_t message;
  };
  struct Change {
    uint64_t n;
    int section;
  };

  midi::LiveObserver Observer() {
    midi::LiveObserver o;
    o.context = this;
    o.clock = [](void* c, uint64_t n, uint64_t us) {
      auto* log = static_cast<RunLog*>(c);
      std::lock_guard lock(log->mu_);
      log->clocks_.push_back(us);
      (void)n;
    };
    o.sent = [](void* c, uint64_t n, uint64_t us, uint32_t message) {
      auto* log = static_cast<RunLog*>(c);
      std::lock_guard lock(log->mu_);
      log->sent_.push_back({n, us, message});
    };
    o.sent_long = [](void* c, uint64_t n, const uint8_t* bytes, size_t size) {
      auto* log = static_cast<RunLog*>(c);
      std::lock_guard lock(log->mu_);
      log->long_.push_back({n, std::vector<uint8_t>(bytes, bytes + size)});
    };
    o.section = [](void* c, uint64_t n, int section) {
      auto* log = static_cast<RunLog*>(c);
      std::lock_guard lock(log->mu_);
      log->changes_.push_back({n, section});
    };
    return o;
  }

  std::vector<uint64_t> clocks() {
    std::lock_guard lock(mu_);
    return clocks_;
  }
  std::vector<Sent> sent() {
    std::lock_guard lock(mu_);
    return sent_;
  }
  struct Long {
    uint64_t n;
    std::vector<uint8_t> bytes;
  };
  std::vector<Long> long_sent() {
    std::lock_guard lock(mu_);
    return long_;
  }
  // Clocks at which the section parameter at `address` (third byte: 09
  // variation, 0A intro, 0C fill-in, 0E ending) went out with `value`.
  std::vector<uint64_t> SectionSends(uint8_t address, uint8_t value) {
    std::vector<uint64_t> out;
    for (const Long& l : long_sent()) {
      if (l.bytes.size() == 17 && l.bytes[6] == 0x0A && l.bytes[8] == address &&
          l.bytes[13] == value) {
        out.push_back(l.n);
      }
    }
    return out;
  }
  std::vector<Change> changes() {
    std::lock_guard lock(mu_);
    return changes_;
  }

  // Keys whose note-ons outnumber their note-offs among the sent messages.
  std::vector<std::pair<int, int>> HangingNotes() {
    std::map<std::pair<int, int>, int> held;
    for (const Sent& s : sent()) {
      const int status = s.message & 0xF0;
      const int key = (s.message >> 8) & 0x7F;
      const int velocity = (s.message >> 16) & 0x7F;
      const std::pair<int, int> k{s.message & 0x0F, key};
      if (status == 0x90 && velocity > 0) ++held[k];
      if (status == 0x80 || (status == 0x90 && velocity == 0)) {
        if (held[k] > 0) --held[k];
      }
    }
    std::vector<std::pair<int, int>> out;
    for (const auto& [k, count] : held) {
      if (count > 0) out.push_back(k);
    }
    return out;
  }

 private:
  std::mutex mu_;
  std::vector<uint64_t> clocks_;
  std::vector<Sent> sent_;
  std::vector<Change> changes_;
  std::vector<Long> long_;
};

}  // namespace qm3::live_test
