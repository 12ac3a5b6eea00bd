#include "client/host_link.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include "corvane/module.h"
#include "platform/drivers.h"
#include "platform/host_window.h"
#include "platform/program_folder.h"
#include "shell/trace.h"

namespace sonavex::app {

CHostLink::CHostLink(const HostLinkOptions& options, QObject* parent)
    : QObject(parent), options_(options) {}

CHostLink::~CHostLink() {
  delete ready_;  // before the window closes its descriptor
  if (window_ != 0) platform::DestroyHostWindow(window_);
  if (module_started_) CorvaneModuleStop();
}

QString CHostLink::ProgramFolder() {
  return QString::fromStdString(platform::ProgramFolder());
}

void CHostLink::Open() {
  const QString folder = ProgramFolder();
  platform::PointAtDriverBeside(folder.toStdString());
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
  const int descriptor = platform::HostWindowDescriptor(window_);
  if (ready_ == nullptr && descriptor >= 0) {
    // The descriptor stays readable while messages are queued; draining
    // them is what clears it.
    ready_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
    connect(ready_, &QSocketNotifier::activated, this, [this] { Drain(); });
  }
}

int CHostLink::Drain() {
  // A handler may open a message box and so re-enter the event loop; the
  // messages stay queued in order until the outer drain continues.
  if (draining_ || window_ == 0) return 0;
  draining_ = true;
  // Quiet while draining: a nested event loop would otherwise be woken again
  // and again by the messages still waiting for this drain.
  if (ready_ != nullptr) ready_->setEnabled(false);
  int count = 0;
  platform::Msg m;
  while (platform::PeekMessage(window_, &m)) {
    ++count;
    if (handler_ && m.message == static_cast<uint32_t>(message_)) handler_(m.wParam, m.lParam);
  }
  draining_ = false;
  if (ready_ != nullptr) ready_->setEnabled(true);
  return count;
}

}  // namespace sonavex::app
