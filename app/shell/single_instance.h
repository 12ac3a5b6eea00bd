// CSingleInstance: one running application per user. The first start holds
// the platform's instance lock and listens on a local socket beside it; a
// second start finds the lock held, hands its command-line file (or nothing)
// to the first through the socket and ends. The first brings its window to
// the front and opens the file.
//
// Thread rules: user-interface thread only; HandOver blocks for at most its
// time-out.
#pragma once
#include <QObject>
#include <QString>

#include "platform/instance_lock.h"

class QLocalServer;

namespace sonavex::app {

class CSingleInstance : public QObject {
  Q_OBJECT

 public:
  explicit CSingleInstance(QObject* parent = nullptr);
  ~CSingleInstance() override;

  // True when this process is the first; it then listens for later starts.
  bool Claim();
  // Delivers `file` (empty: just come to the front) to the running instance;
  // false when none answered within `timeout_ms`.
  static bool HandOver(const QString& file, int timeout_ms);
  static QString SocketPath();

 signals:
  // A later start asked to come to the front and to open `file` (may be empty).
  void Activated(const QString& file);

 private:
  void OnConnection();

  platform::InstanceLock lock_;
  QLocalServer* server_ = nullptr;
};

}  // namespace sonavex::app
