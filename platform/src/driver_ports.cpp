// Ports of loaded user-mode drivers: every call becomes the driver message
// of the same meaning (MODM_* / MIDM_*), with the open description and the
// per-client value as a driver expects them.
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

#include "midi_ports.h"
#include "platform/drivers.h"
#include "platform/mmddk.h"
#include "platform/profile.h"
#include "platform/sjis.h"
#include "platform/trace.h"

namespace platform {
namespace {

using DriverProcFn = LRESULT (*)(DWORD_PTR, HDRVR, UINT, LPARAM, LPARAM);
using MessageFn = DWORD (*)(UINT, UINT, DWORD_PTR, DWORD_PTR, DWORD_PTR);

}  // namespace

struct DriverHandle {
  std::string path;
  void* lib = nullptr;
  DriverProcFn proc = nullptr;
  MessageFn mod = nullptr;
  MessageFn mid = nullptr;
  DWORD_PTR id = 0;  // what DRV_OPEN returned
  UINT outs = 0;
  UINT ins = 0;
  bool loaded = false;  // DRV_LOAD accepted
  bool opened = false;  // DRV_OPEN accepted

  ~DriverHandle() {
    if (opened) {
      if (mod != nullptr) mod(0, DRVM_EXIT, 0, 0, 0);
      if (mid != nullptr) mid(0, DRVM_EXIT, 0, 0, 0);
      proc(id, this, DRV_CLOSE, 0, 0);
    }
    if (loaded) {
      proc(id, this, DRV_DISABLE, 0, 0);
      proc(id, this, DRV_FREE, 0, 0);
    }
    if (lib != nullptr) dlclose(lib);
  }
};

namespace {

std::string Utf16Name(const char16_t* w, size_t max) {
  std::string utf8;
  for (size_t i = 0; i < max && w[i] != 0; ++i) {
    const char32_t c = w[i];
    if (c < 0x80) {
      utf8 += char(c);
    } else if (c < 0x800) {
      utf8 += char(0xC0 | (c >> 6));
      utf8 += char(0x80 | (c & 0x3F));
    } else {
      utf8 += char(0xE0 | (c >> 12));
      utf8 += char(0x80 | ((c >> 6) & 0x3F));
      utf8 += char(0x80 | (c & 0x3F));
    }
  }
  return Utf8ToSjis(utf8);
}

DWORD_PTR Desc(MIDIOPENDESC* d) {
  return reinterpret_cast<DWORD_PTR>(d);
}
DWORD_PTR Ptr(const void* p) {
  return reinterpret_cast<DWORD_PTR>(p);
}

class DriverOutPort : public OutPort {
 public:
  DriverOutPort(std::shared_ptr<DriverHandle> d, UINT id) : d_(std::move(d)), id_(id) {}
  MMRESULT GetCaps(MIDIOUTCAPS* caps) override {
    MIDIOUTCAPSW w{};
    const MMRESULT r = d_->mod(id_, MODM_GETDEVCAPS, 0, Ptr(&w), sizeof w);
    if (r != MMSYSERR_NOERROR) return r;
    *caps = MIDIOUTCAPS{w.wMid,    w.wPid,   w.vDriverVersion, {},         w.wTechnology,
                        w.wVoices, w.wNotes, w.wChannelMask,   w.dwSupport};
    CopyPortName(caps->szPname, Utf16Name(w.szPname, MAXPNAMELEN));
    return MMSYSERR_NOERROR;
  }
  MMRESULT Open(const ClientCallback& cb, DWORD, DWORD_PTR* user) override {
    MIDIOPENDESC desc{static_cast<HMIDI>(cb.handle), cb.callback, cb.instance, 0, 0, {0}};
    return d_->mod(id_, MODM_OPEN, Ptr(user), Desc(&desc), cb.flags);
  }
  MMRESULT Close(DWORD_PTR u) override { return d_->mod(id_, MODM_CLOSE, u, 0, 0); }
  MMRESULT Prepare(DWORD_PTR u, MIDIHDR* h) override {
    return d_->mod(id_, MODM_PREPARE, u, Ptr(h), sizeof *h);
  }
  MMRESULT Unprepare(DWORD_PTR u, MIDIHDR* h) override {
    return d_->mod(id_, MODM_UNPREPARE, u, Ptr(h), sizeof *h);
  }
  MMRESULT Data(DWORD_PTR u, DWORD msg) override { return d_->mod(id_, MODM_DATA, u, msg, 0); }
  MMRESULT LongData(DWORD_PTR u, MIDIHDR* h) override {
    return d_->mod(id_, MODM_LONGDATA, u, Ptr(h), sizeof *h);
  }
  MMRESULT Reset(DWORD_PTR u) override { return d_->mod(id_, MODM_RESET, u, 0, 0); }

 private:
  std::shared_ptr<DriverHandle> d_;
  UINT id_;
};

class DriverInPort : public InPort {
 public:
  DriverInPort(std::shared_ptr<DriverHandle> d, UINT id) : d_(std::move(d)), id_(id) {}
  MMRESULT GetCaps(MIDIINCAPS* caps) override {
    MIDIINCAPSW w{};
    const MMRESULT r = d_->mid(id_, MIDM_GETDEVCAPS, 0, Ptr(&w), sizeof w);
    if (r != MMSYSERR_NOERROR) return r;
    *caps = MIDIINCAPS{w.wMid, w.wPid, w.vDriverVersion, {}, w.dwSupport};
    CopyPortName(caps->szPname, Utf16Name(w.szPname, MAXPNAMELEN));
    return MMSYSERR_NOERROR;
  }
  MMRESULT Open(const ClientCallback& cb, DWORD, DWORD_PTR* user) override {
    MIDIOPENDESC desc{static_cast<HMIDI>(cb.handle), cb.callback, cb.instance, 0, 0, {0}};
    return d_->mid(id_, MIDM_OPEN, Ptr(user), Desc(&desc), cb.flags);
  }
  MMRESULT Close(DWORD_PTR u) override { return d_->mid(id_, MIDM_CLOSE, u, 0, 0); }
  MMRESULT Prepare(DWORD_PTR u, MIDIHDR* h) override {
    return d_->mid(id_, MIDM_PREPARE, u, Ptr(h), sizeof *h);
  }
  MMRESULT Unprepare(DWORD_PTR u, MIDIHDR* h) override {
    return d_->mid(id_, MIDM_UNPREPARE, u, Ptr(h), sizeof *h);
  }
  MMRESULT AddBuffer(DWORD_PTR u, MIDIHDR* h) override {
    return d_->mid(id_, MIDM_ADDBUFFER, u, Ptr(h), sizeof *h);
  }
  MMRESULT Start(DWORD_PTR u) override { return d_->mid(id_, MIDM_START, u, 0, 0); }
  MMRESULT Stop(DWORD_PTR u) override { return d_->mid(id_, MIDM_STOP, u, 0, 0); }
  MMRESULT Reset(DWORD_PTR u) override { return d_->mid(id_, MIDM_RESET, u, 0, 0); }

 private:
  std::shared_ptr<DriverHandle> d_;
  UINT id_;
};

std::shared_ptr<DriverHandle> Load(const std::string& path) {
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) {
    TraceLog("driver %s: %s", path.c_str(), dlerror());
    return nullptr;
  }
  auto proc = reinterpret_cast<DriverProcFn>(dlsym(lib, "DriverProc"));
  auto mod = reinterpret_cast<MessageFn>(dlsym(lib, "modMessage"));
  auto mid = reinterpret_cast<MessageFn>(dlsym(lib, "midMessage"));
  if (proc == nullptr || (mod == nullptr && mid == nullptr)) {
    TraceLog("driver %s: no DriverProc/modMessage/midMessage", path.c_str());
    dlclose(lib);
    return nullptr;
  }
  auto d = std::make_shared<DriverHandle>();
  d->path = path;
  d->lib = lib;
  d->proc = proc;
  if (proc(0, d.get(), DRV_LOAD, 0, 0) == 0) {
    TraceLog("driver %s refused DRV_LOAD", path.c_str());
    return nullptr;  // unloaded without further messages
  }
  d->loaded = true;
  proc(0, d.get(), DRV_ENABLE, 0, 0);
  const LRESULT id = proc(0, d.get(), DRV_OPEN, 0, 0);
  if (id == 0) {
    TraceLog("driver %s refused DRV_OPEN", path.c_str());
    return nullptr;  // disabled, freed and unloaded
  }
  d->opened = true;
  d->id = static_cast<DWORD_PTR>(id);
  d->mod = mod;
  d->mid = mid;
  if (mod != nullptr) {
    mod(0, MODM_INIT, 0, 0, 0);
    d->outs = mod(0, MODM_GETNUMDEVS, 0, 0, 0);
  }
  if (mid != nullptr) {
    mid(0, MIDM_INIT, 0, 0, 0);
    d->ins = mid(0, MIDM_GETNUMDEVS, 0, 0, 0);
  }
  return d;
}

struct Loaded {
  std::mutex mu;
  bool done = false;
  std::vector<std::shared_ptr<OutPort>> outs;
  std::vector<std::shared_ptr<InPort>> ins;
};

Loaded& State() {
  static Loaded* s = new Loaded;  // never destroyed: drivers stay loaded until exit
  return *s;
}

void EnsureLoadedLocked(Loaded& s) {
  if (s.done) return;
  s.done = true;
  for (const std::string& path : ConfiguredDriverPaths()) {
    auto d = Load(path);
    if (!d) continue;
    for (UINT i = 0; i < d->outs; ++i) s.outs.push_back(std::make_shared<DriverOutPort>(d, i));
    for (UINT i = 0; i < d->ins; ++i) s.ins.push_back(std::make_shared<DriverInPort>(d, i));
  }
}

}  // namespace

std::string DriverRegistryPath() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string base;
  if (xdg != nullptr && *xdg != '\0') {
    base = xdg;
  } else {
    const char* home = std::getenv("HOME");
    base = std::string(home != nullptr ? home : "") + "/.config";
  }
  return base + "/sonavex/drivers.ini";
}

std::vector<std::string> ConfiguredDriverPaths() {
  std::vector<std::string> paths;
  if (const char* env = std::getenv("SONAVEX_DRIVERS")) {
    std::string list = env;
    size_t start = 0;
    while (start <= list.size()) {
      size_t colon = list.find(':', start);
      if (colon == std::string::npos) colon = list.size();
      if (colon > start) paths.push_back(list.substr(start, colon - start));
      start = colon + 1;
    }
    return paths;
  }
  const std::string file = DriverRegistryPath();
  char value[4096];
  for (int i = 0; i <= 9; ++i) {
    const std::string key = i == 0 ? "midi" : "midi" + std::to_string(i);
    if (GetPrivateProfileString("Drivers", key.c_str(), "", value, sizeof value, file.c_str()) >
        0) {
      paths.emplace_back(value);
    }
  }
  return paths;
}

void ReloadDrivers() {
  Loaded& s = State();
  std::vector<std::shared_ptr<OutPort>> outs;
  std::vector<std::shared_ptr<InPort>> ins;
  {
    std::lock_guard lock(s.mu);
    outs.swap(s.outs);
    ins.swap(s.ins);
    s.done = false;
  }
  // Released outside the lock: the last release unloads the driver.
}

void AppendDriverOutPorts(std::vector<std::shared_ptr<OutPort>>& out) {
  Loaded& s = State();
  std::lock_guard lock(s.mu);
  EnsureLoadedLocked(s);
  out.insert(out.end(), s.outs.begin(), s.outs.end());
}

void AppendDriverInPorts(std::vector<std::shared_ptr<InPort>>& out) {
  Loaded& s = State();
  std::lock_guard lock(s.mu);
  EnsureLoadedLocked(s);
  out.insert(out.end(), s.ins.begin(), s.ins.end());
}

}  // namespace platform
