// CHostLink: what the application stands on below the middleware client: the
// software sound module (in-process unless told otherwise), the driver that
// reaches it, and the host window whose posted "QM3MIDDLE" messages are the
// middleware's notifications. Notifications are delivered on the GUI thread,
// woken by the window's readiness descriptor (no polling).
//
// Thread rules: create, use and destroy on the GUI thread. The middleware
// posts from its own threads; delivery happens only in this object's event
// handling, never on a device thread.
#pragma once
#include <QObject>
#include <QString>
#include <functional>

class QSocketNotifier;

namespace sonavex::app {

struct HostLinkOptions {
  bool start_module = true;  // the in-process software sound module
  bool module_sound = true;  // false: the module runs without its SoundFont
  bool live_audio = true;    // the module also plays to the sound card
};

class CHostLink : public QObject {
  Q_OBJECT

 public:
  using Handler = std::function<void(long wparam, long lparam)>;

  explicit CHostLink(const HostLinkOptions& options, QObject* parent = nullptr);
  ~CHostLink() override;

  // Starts the module and makes the host window; call once before the
  // middleware is initialised.
  void Open();
  long window() const { return window_; }
  long message() const { return message_; }
  // The folder of the program: the middleware's host folder.
  static QString ProgramFolder();

  // Every notification from now on goes to `handler`, in posting order.
  void Listen(Handler handler);
  // Hands over what is queued now; returns how many.
  int Drain();

 private:
  HostLinkOptions options_;
  long window_ = 0;
  long message_ = 0;
  bool module_started_ = false;
  bool draining_ = false;
  Handler handler_;
  QSocketNotifier* ready_ = nullptr;
};

}  // namespace sonavex::app
