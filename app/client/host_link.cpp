#include "client/host_link.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdlib>

#include "corvane/module.h"
#include "platform/host_window.h"
#include "shell/trace.h"

namespace sonavex::app {
namespace {

// How often queued notifications are handed over while none wakes us.
constexpr int kPollMs = 10;

// The driver library the platform layer loads: beside the program, else where
// the build put it. An explicit SONAVEX_DRIVERS wins.
void PointAtDriver(const QString& folder) {
  if (std::getenv("SONAVEX_DRIVERS") != nullptr) return;
  const QString beside = folder + QStringLiteral("/libcvusb.so");
  if (QFileInfo::exists(beside)) {
    setenv("SONAVEX_DRIVERS", beside.toLocal8Bit().constData(), 1);
    return;
  }
#ifdef SONAVEX_CVUSB_PATH
  if (QFileInfo::exists(QStringLiteral(SONAVEX_CVUSB_PATH)))
    setenv("SONAVEX_DRIVERS", SONAVEX_CVUSB_PATH, 1);
#endif
}

}  // namespace

CHostLink::CHostLink(const HostLinkOptions& options, QObject* parent)
    : QObject(parent), options_(options) {}

CHostLink::~CHostLink() {
  if (window_ != 0) platform::DestroyHostWindow(window_);
  if (module_started_) CorvaneModuleStop();
}

QString CHostLink::ProgramFolder() {
  return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

void CHostLink::Open() {
  const QString folder = ProgramFolder();
  PointAtDriver(folder);
  if (options_.start_module) {
    const QByteArray data = folder.toLocal8Bit();
    CorvaneModuleOptions mo{};
    mo.data_dir = data.constData();
    mo.sound_font = options_.module_sound ? nullptr : "";
    mo.live_output = options_.live_audio ? 1 : 0;
    const int rc = CorvaneModuleStart(&mo);
    if (rc == CORVANE_MODULE_OK) {
      module_started_ = true;
    } else {
      TraceLog("ソフトウェア音源の起動に失敗しました [%d]\n", rc);
    }
  }
  window_ = platform::CreateHostWindow();
  message_ = static_cast<long>(platform::RegisterWindowMessage("QM3MIDDLE"));
}

void CHostLink::Listen(Handler handler) {
  handler_ = std::move(handler);
  if (poll_ == nullptr) {
    poll_ = new QTimer(this);
    poll_->setInterval(kPollMs);
    connect(poll_, &QTimer::timeout, this, [this] { Drain(); });
    poll_->start();
  }
}

int CHostLink::Drain() {
  // A handler may open a message box and so re-enter the event loop; the
  // messages stay queued in order until the outer drain continues.
  if (draining_ || window_ == 0) return 0;
  draining_ = true;
  int count = 0;
  platform::Msg m;
  while (platform::PeekMessage(window_, &m)) {
    ++count;
    if (handler_ && m.message == static_cast<uint32_t>(message_)) handler_(m.wParam, m.lParam);
  }
  draining_ = false;
  return count;
}

}  // namespace sonavex::app
