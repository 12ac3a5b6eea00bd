// QM3MiddleInit: binds the host window, builds the state on the first call,
// enumerates the MIDI output ports on every call and counts the calls so that
// a host retrying without the sound module is let through on its fifth try.
// Also the middleware lock, the host and work directories.
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "core/control_ids.h"
#include "core/core_state.h"
#include "core/device_result.h"
#include "core/middleware.h"
#include "core/result.h"
#include "core/work_folder.h"
#include "platform/clock.h"
#include "platform/mmsystem.h"
#include "qm3middle.h"

namespace qm3 {
namespace {

constexpr char kModulePortName[] = "Corvane USB MIDI OUT 1";
constexpr uint32_t kHardwareSettleMs = 2500;
constexpr uint32_t kReadyPollMs = 100;
constexpr int kReadyPolls = 25;
constexpr int kCallsBeforeContinueQuestion = 3;

}  // namespace

struct InitState {
  int calls = 0;
  // Set by the transport's registration.
  ModulePortFoundFn port_found = nullptr;
  QM3OutDeviceList devices{};
  bool module_found = false;
  bool hardware_found = false;
  bool ready_deadline_set = false;
  uint32_t ready_deadline = 0;
  PortEnumerator ports;
  std::string host_dir;
  std::string work_dir;
  std::unique_ptr<WorkFolder> work_folder;  // this instance's, once taken
  bool host_dir_given = false;
};

PartState<InitState> MakeInitState() {
  return MakePartState<InitState>();
}

namespace {

InitState& S() {
  return *TheMiddleware().init;
}

ModulePortFoundFn& PortFound() {
  return S().port_found;
}

// The lock exists between the first init and End; a guard without it is a
// no-op. The mutex itself lives as long as the library.
std::mutex& LockObject() {
  return Anchor().lock;
}
std::atomic<bool>& LockExists() {
  return Anchor().lock_exists;
}

// The executable's directory, cut after the last '/' (empty when none).
std::string ExecutableDirectory() {
  char path[PATH_MAX + 1];
  const ssize_t n = readlink("/proc/self/exe", path, PATH_MAX);
  if (n <= 0) return {};
  std::string p(path, static_cast<size_t>(n));
  const size_t slash = p.rfind('/');
  return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

bool MakeDirectories(const std::string& dir) {
  for (size_t i = 1; i <= dir.size(); ++i) {
    if (i == dir.size() || dir[i] == '/') {
      const std::string part = dir.substr(0, i);
      if (mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

// The folder below which instances take their work folders: the host folder
// when it is writable, else the user's cache folder. An installed copy (its
// install manifest lies in the host folder) belongs to the package manager,
// even for the administrator: its work goes to the cache too.
std::string WorkBaseDirectory(const std::string& host_dir) {
  const bool installed = access((host_dir + "/install-manifest.txt").c_str(), F_OK) == 0;
  if (!host_dir.empty() && !installed && access(host_dir.c_str(), W_OK) == 0) return host_dir;
  std::string base;
  if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::string(home) + "/.cache";
  } else {
    base = "/tmp";
  }
  std::string dir = base + "/sonavex/";
  MakeDirectories(dir);
  return dir;
}

unsigned PlatformPortCount() {
  return platform::midiOutGetNumDevs();
}

Rc PlatformPortName(unsigned device, char* name32) {
  platform::MIDIOUTCAPS caps{};
  if (Rc rc = MidiDeviceRc(platform::midiOutGetDevCaps(device, &caps, sizeof caps)); rc != kRcOk) {
    return rc;
  }
  static_assert(sizeof caps.szPname == QM3_DEVICE_NAME_SIZE);
  std::memcpy(name32, caps.szPname, QM3_DEVICE_NAME_SIZE);
  return kRcOk;
}

// The port list, and the sound module's port when it is listed.
void EnumerateOutputPorts() {
  InitState& s = S();
  s.devices = QM3OutDeviceList{};
  const PortEnumerator ports{s.ports.count ? s.ports.count : PlatformPortCount,
                             s.ports.name ? s.ports.name : PlatformPortName};
  unsigned count = ports.count();
  if (count > QM3_MAX_OUT_DEVICES) count = QM3_MAX_OUT_DEVICES;
  // Several ports may carry the module's name: each one found is taken in
  // turn, so the last one listed is the module's port.
  for (unsigned dev = 0; dev < count; ++dev) {
    QM3OutDevice& entry = s.devices.aDevice[s.devices.nCount];
    char name[QM3_DEVICE_NAME_SIZE] = {};
    if (ports.name(dev, name) != kRcOk) continue;
    std::memcpy(entry.szName, name, sizeof entry.szName);
    entry.szName[sizeof entry.szName - 1] = '\0';
    entry.nDeviceId = static_cast<int>(dev);
    const int position = s.devices.nCount++;
    if (std::strcmp(entry.szName, kModulePortName) != 0) continue;
    WriteValue(kMidiOutDeviceSecond, position, false);
    s.module_found = true;
    const Rc rc = PortFound() != nullptr ? PortFound()(dev) : kRcMidiDeviceNotOpened;
    if (rc == kRcOk) {
      s.hardware_found = true;
      s.ready_deadline = platform::GetTickCount() + kHardwareSettleMs;
      s.ready_deadline_set = true;
    }
  }
}

Rc Init(long hwnd, long message) {
  // After End the state of the run before is gone: start from a fresh one.
  if (HasEnded()) StartMiddleware();
  SetEnded(false);
  InitState& s = S();
  if (s.calls == 0) {
    LockExists() = true;
    BindHost(hwnd, message);
    SetCurrentFileName("");
    InitUndoSnapshot();
    if (!s.host_dir_given) {
      s.host_dir = ExecutableDirectory();
      s.work_dir.clear();
    }
    if (Rc rc = RunInitSteps(kInitVoiceTables); rc != kRcOk) return rc;
    // A catalog failure is returned uncounted: the next call starts over.
    if (Rc rc = RunInitSteps(kInitCatalogs); rc != kRcOk) return rc;
    s.devices = QM3OutDeviceList{};
  } else {
    BindHost(hwnd, message);
  }
  EnumerateOutputPorts();
  const Rc rc = s.hardware_found ? RunInitSteps(kInitAudio) : kRcOk;
  return CountedInitResult(rc, s.calls++, s.module_found);
}

// Processes 12 and 13: the output port list.
Rc GetOutDevice(long* a, long*) {
  *a = reinterpret_cast<long>(&S().devices);
  return kRcOk;
}

}  // namespace

Rc CountedInitResult(Rc rc, int earlier_calls, bool module_found) {
  if (rc != kRcOk) return rc;
  if (earlier_calls == kCallsBeforeContinueQuestion) return kRcModuleNotFoundContinue;
  if (earlier_calls > kCallsBeforeContinueQuestion) return kRcOk;
  return module_found ? kRcOk : kRcModuleNotFound;
}

MiddleLockGuard::MiddleLockGuard() {
  if (!LockExists()) return;
  LockObject().lock();
  held_ = true;
}

MiddleLockGuard::~MiddleLockGuard() {
  if (held_) LockObject().unlock();
}

void DeleteMiddleLock() {
  std::lock_guard<std::mutex> hold(LockObject());
  LockExists() = false;
}

const std::string& HostDirectory() {
  InitState& s = S();
  if (!s.host_dir_given && s.host_dir.empty()) s.host_dir = ExecutableDirectory();
  return s.host_dir;
}

void SetHostDirectory(const std::string& dir) {
  InitState& s = S();
  s.host_dir = dir;
  if (!s.host_dir.empty() && s.host_dir.back() != '/') s.host_dir += '/';
  s.host_dir_given = true;
  s.work_dir.clear();
}

const std::string& WorkDirectory() {
  InitState& s = S();
  if (s.work_dir.empty()) {
    const std::string base = WorkBaseDirectory(HostDirectory());
    if (!s.work_folder) s.work_folder = std::make_unique<WorkFolder>();
    const std::string& taken = s.work_folder->Take(base);
    // Every folder busy or none can be made: share the base as a last resort.
    s.work_dir = taken.empty() ? base : taken;
  }
  return s.work_dir;
}

void ReleaseWorkDirectory() {
  InitState& s = S();
  if (s.work_folder) s.work_folder->Release();
  s.work_dir.clear();
}

ModulePortFoundFn RegisterModulePortFound(ModulePortFoundFn fn) {
  const ModulePortFoundFn previous = PortFound();
  PortFound() = fn;
  return previous;
}

void SetPortEnumeratorForTest(const PortEnumerator& enumerator) {
  S().ports = enumerator;
}
bool ModuleFound() {
  return S().module_found;
}
bool HardwareFound() {
  return S().hardware_found;
}
const QM3OutDeviceList& OutputDeviceList() {
  return S().devices;
}

void WaitHardwareReady() {
  InitState& s = S();
  if (!s.ready_deadline_set) return;
  for (int i = 0; i < kReadyPolls; ++i) {
    if (static_cast<int32_t>(platform::GetTickCount() - s.ready_deadline) >= 0) break;
    platform::Sleep(kReadyPollMs);
  }
  s.ready_deadline_set = false;
  WriteValue(kMainVolume, ReadValue(kMainVolume));
}

// Registers what this file provides; called from the one list in
// core/registration.cpp when the instance is made.
void RegisterMiddleInit() {
  RegisterProcess(kProcGetOutDevice12, GetOutDevice);
  RegisterProcess(kProcGetOutDevice, GetOutDevice);
}

}  // namespace qm3

extern "C" int QM3MiddleInit(long hWnd, long uMsg) {
  const std::lock_guard one_call_at_a_time(qm3::Anchor().calls);
  try {
    return qm3::Init(hWnd, uMsg);
  } catch (...) {
    return qm3::kRcNoMemory;
  }
}
