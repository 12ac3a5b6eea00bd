#include "host_session.h"

#include <poll.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "corvane/module.h"
#include "messages.h"
#include "platform/clock.h"
#include "platform/drivers.h"
#include "platform/program_folder.h"
#include "platform/sjis.h"
#include "qm3middle.h"
#include "qm3middle_ids.h"

namespace sonavex::cli {

HostSession::HostSession(const SessionOptions& options)
    : options_(options), directory_(platform::ProgramFolder()) {
  if (directory_.empty()) directory_.push_back('.');
}

HostSession::~HostSession() {
  if (window_ != 0) {
    long a = 0, b = 0;
    QM3SetValue(QM3_ID_PROCESS(QM3_PROC_END), 0, a, b);
    platform::DestroyHostWindow(window_);
  }
  if (module_started_) CorvaneModuleStop();
}

int HostSession::Open() {
  if (options_.virtual_clock) platform::UseVirtualClock();
  platform::PointAtDriverBeside(directory_);
  if (options_.start_module) {
    CorvaneModuleOptions mo{};
    mo.data_dir = directory_.c_str();
    mo.sound_font = options_.module_sound ? nullptr : "";
    mo.live_output = options_.live_audio ? 1 : 0;
    int rc = CorvaneModuleStart(&mo);
    if (rc == CORVANE_MODULE_LIVE_FAILED) {
      // No sound card: the module still serves its ports, silently.
      std::fprintf(stderr, "warning: no sound card; the sound module plays silently\n");
      mo.live_output = 0;
      rc = CorvaneModuleStart(&mo);
    } else if (rc == CORVANE_MODULE_OK) {
      module_audible_ = options_.live_audio;
    }
    if (rc == CORVANE_MODULE_NO_SOUNDFONT) {
      std::fprintf(stderr,
                   "warning: the software sound module did not start: no SoundFont it could "
                   "load (SONAVEX_SOUNDFONT names one; the default is a General MIDI SoundFont "
                   "in /usr/share/sounds/sf2)\n");
    } else if (rc != CORVANE_MODULE_OK) {
      std::fprintf(stderr, "warning: the software sound module did not start (%d)\n", rc);
    } else {
      module_started_ = true;
    }
  }
  window_ = platform::CreateHostWindow();
  message_ = platform::RegisterWindowMessage("QM3MIDDLE");
  // Without the module the middleware answers 9 three times, then asks (10)
  // whether to go on; a command-line host goes on.
  int rc = 0;
  for (int call = 0; call < 5; ++call) {
    rc = QM3MiddleInit(window_, static_cast<long>(message_));
    if (call == 0) module_found_ = rc != QM3_RC_MODULE_NOT_FOUND;
    if (rc == 0) break;
    if (rc != QM3_RC_MODULE_NOT_FOUND && rc != QM3_RC_MODULE_NOT_FOUND_CONTINUE) return rc;
  }
  Drain();
  return rc;
}

int HostSession::Set(long id, long value) {
  return QM3SetValue(id, 0, value, 0);
}

long HostSession::Get(long id, int* rc) {
  long a = 0, b = 0;
  const int r = QM3GetValue(id, 0, &a, &b);
  if (rc != nullptr) *rc = r;
  return a;
}

int HostSession::Process(int number, long* a, long* b) {
  return QM3GetValue(QM3_ID_PROCESS(number), 0, a, b);
}

void HostSession::NoteSkippedFiles() {
  long a = 0, b = 0;
  if (Process(QM3_PROC_GET_SKIPPED_FILES, &a, &b) != 0 || a == 0) return;
  const auto* files = reinterpret_cast<const QM3SkippedFiles*>(a);
  for (int i = 0; i < files->nCount; ++i) {
    const std::string path = files->ppszPath[i];
    if (std::find(skipped_noted_.begin(), skipped_noted_.end(), path) != skipped_noted_.end()) {
      continue;
    }
    skipped_noted_.push_back(path);
    std::fprintf(stderr, "note: %s could not be read; the song is silent where it plays\n",
                 path.c_str());
  }
}

int HostSession::SetProcess(int number, long a, long b) {
  return QM3SetValue(QM3_ID_PROCESS(number), 0, a, b);
}

int HostSession::FileProcess(int number, const std::string& path, long a) {
  return SetProcess(number, a, reinterpret_cast<long>(path.c_str()));
}

int HostSession::Parse(long id, const std::string& text, long* value) {
  const std::string sjis = platform::Utf8ToSjis(text);
  return QM3GetStrValue(id, sjis.c_str(), value);
}

std::string HostSession::Show(long id, long value) {
  char text[512] = {};
  QM3GetValueStr(id, value, text);
  return platform::SjisToUtf8(text);
}

std::string HostSession::CodeText(int rc) {
  std::string middleware;
  long a = 0, b = 0;
  if (Process(QM3_PROC_GET_RETURN_CODE_DATA, &a, &b) == 0 && a != 0) {
    const auto* table = reinterpret_cast<const QM3ReturnCodeTable*>(a);
    if (rc >= 0 && rc < table->nCount && table->aCode[rc].pszMessage != nullptr) {
      middleware = platform::SjisToUtf8(table->aCode[rc].pszMessage);
    }
  }
  return CodeMessage(rc, UserLanguage(), middleware);
}

std::vector<std::string> HostSession::Ports() {
  std::vector<std::string> names;
  long a = 0, b = 0;
  if (Process(13, &a, &b) != 0 || a == 0) return names;
  const auto* list = reinterpret_cast<const QM3OutDeviceList*>(a);
  for (int i = 0; i < list->nCount && i < QM3_MAX_OUT_DEVICES; ++i) {
    names.push_back(platform::SjisToUtf8(list->aDevice[i].szName));
  }
  return names;
}

std::vector<long> HostSession::Drain() {
  std::vector<long> ids;
  platform::Msg m;
  while (platform::PeekMessage(window_, &m)) ids.push_back(m.wParam);
  return ids;
}

std::vector<long> HostSession::WaitAndDrain(unsigned ms) {
  if (options_.virtual_clock) {
    // poll() would not move virtual time; the window's clock wait does.
    platform::Msg m;
    if (!platform::GetMessage(window_, &m, ms)) return {};
    std::vector<long> ids{m.wParam};
    for (long id : Drain()) ids.push_back(id);
    return ids;
  }
  pollfd ready{platform::HostWindowDescriptor(window_), POLLIN, 0};
  if (poll(&ready, 1, static_cast<int>(ms)) <= 0) return {};
  return Drain();
}

void HostSession::Wait(unsigned ms) {
  platform::Sleep(ms);
}

int Report(HostSession& session, int rc, const std::string& what) {
  if (rc == 0) return 0;
  std::fprintf(stderr, "error: %s: %s (code %d)\n", what.c_str(), session.CodeText(rc).c_str(), rc);
  return 1;
}

}  // namespace sonavex::cli
