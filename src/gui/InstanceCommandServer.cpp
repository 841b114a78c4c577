#include "gui/InstanceCommandServer.h"

#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>

#include "foundation/Log.h"
#include "shell/InstanceChannel.h"

namespace {
constexpr const char* kBufferProperty = "instanceCommandBytes";
}

InstanceCommandServer::InstanceCommandServer(std::function<void(int)> onCommand, QObject* parent)
    : QObject(parent), onCommand_(std::move(onCommand)), server_(new QLocalServer(this)) {
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &InstanceCommandServer::OnNewConnection);
}

InstanceCommandServer::~InstanceCommandServer() = default;

bool InstanceCommandServer::Listen(const std::string& path) {
  QString name = QString::fromLocal8Bit(path.data(), static_cast<qsizetype>(path.size()));
  QLocalServer::removeServer(name);
  return server_->listen(name);
}

QString InstanceCommandServer::errorString() const { return server_->errorString(); }

void InstanceCommandServer::OnNewConnection() {
  while (QLocalSocket* client = server_->nextPendingConnection()) {
    connect(client, &QLocalSocket::readyRead, this, [this, client] { OnReadable(client); });
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    // A client that never finishes its command does not stay forever.
    QTimer::singleShot(kClientTimeoutMs, client, [client] { client->abort(); });
    if (client->bytesAvailable() > 0) OnReadable(client);
  }
}

void InstanceCommandServer::OnReadable(QLocalSocket* client) {
  QByteArray bytes = client->property(kBufferProperty).toByteArray();
  bytes += client->read(static_cast<qint64>(kInstanceCommandMaxLength + 1) - bytes.size());
  client->setProperty(kBufferProperty, bytes);
  if (!bytes.contains('\n') && bytes.size() <= static_cast<qsizetype>(kInstanceCommandMaxLength)) return;
  int command = DecodeInstanceCommand(bytes.left(bytes.indexOf('\n') + 1).toStdString());
  client->abort();  // one command per connection
  if (command == 0) {
    GATE_LOG(1, "ERROR - Malformed command received from another instance.\r\n");
    return;
  }
  if (onCommand_) onCommand_(command);
}
