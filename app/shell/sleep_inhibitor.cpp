#include "shell/sleep_inhibitor.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>

#include "shell/trace.h"

namespace sonavex::app {

CSleepInhibitor::~CSleepInhibitor() {
  SetPlaying(false);
}

void CSleepInhibitor::SetPlaying(bool playing) {
  if (!playing) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    asked_ = false;
    return;
  }
  if (asked_) return;
  asked_ = true;
  QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
      QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Inhibit"));
  call << QStringLiteral("sleep:idle") << QStringLiteral("Sonavex")
       << QStringLiteral("パソコンをスタンバイ・休止状態にするためには、再生を停止してください")
       << QStringLiteral("block");
  const QDBusReply<QDBusUnixFileDescriptor> reply = bus.call(call, QDBus::Block, 2000);
  if (!reply.isValid()) {
    TraceLog("ｽﾀﾝﾊﾞｲ抑止の要求に失敗しました: %s", reply.error().message().toUtf8().constData());
    return;
  }
  fd_ = ::dup(reply.value().fileDescriptor());
}

}  // namespace sonavex::app
