#include "shell/single_instance.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include "shell/trace.h"

namespace sonavex::app {
namespace {

constexpr int kReadWaitMs = 2000;
constexpr int kRetryMs = 50;

}  // namespace

CSingleInstance::CSingleInstance(QObject* parent) : QObject(parent) {}

CSingleInstance::~CSingleInstance() {
  if (server_ != nullptr) server_->close();
}

QString CSingleInstance::SocketPath() {
  const QString lock = QString::fromStdString(platform::InstanceLockPath());
  return QFileInfo(lock).absolutePath() + QStringLiteral("/instance.sock");
}

bool CSingleInstance::Claim() {
  if (!lock_.TryAcquire()) return false;
  // Holding the lock, any socket left there belongs to a dead instance.
  QLocalServer::removeServer(SocketPath());
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(SocketPath())) {
    TraceLog("多重起動確認用ｿｹｯﾄを開けませんでした: %s",
             server_->errorString().toUtf8().constData());
  }
  connect(server_, &QLocalServer::newConnection, this, &CSingleInstance::OnConnection);
  return true;
}

void CSingleInstance::OnConnection() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->canReadLine()) return;
      const QString file = QString::fromUtf8(socket->readLine()).chopped(1);
      socket->write("OK\n");
      socket->flush();
      emit Activated(file);
    });
  }
}

bool CSingleInstance::HandOver(const QString& file, int timeout_ms) {
  // The first instance may still be starting: keep trying until it listens.
  const QDeadlineTimer deadline(timeout_ms);
  while (!deadline.hasExpired()) {
    QLocalSocket socket;
    socket.connectToServer(SocketPath());
    if (socket.waitForConnected(kRetryMs)) {
      QByteArray line = file.toUtf8();
      line.replace('\n', ' ');
      socket.write(line + '\n');
      if (!socket.waitForBytesWritten(kReadWaitMs)) return false;
      while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(kReadWaitMs)) return false;
      }
      return socket.readLine() == "OK\n";
    }
    QThread::msleep(kRetryMs);
  }
  return false;
}

}  // namespace sonavex::app
