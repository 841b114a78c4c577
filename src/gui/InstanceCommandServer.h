// The running instance's end of the instance channel: a local socket on which
// later instances of the program send commands (a second instance started by
// hand sends the tray's show command). What is sent is defined by the
// toolkit-free side (shell/InstanceChannel.h); this class only maps it onto
// the event loop.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <string>

class QLocalServer;
class QLocalSocket;

class InstanceCommandServer : public QObject {
  Q_OBJECT

 public:
  // `onCommand` runs on the event loop once per well-formed command received.
  explicit InstanceCommandServer(std::function<void(int)> onCommand, QObject* parent = nullptr);
  ~InstanceCommandServer() override;

  // Listens on the socket `path`, reachable by this user only. A socket file
  // that a crashed instance left behind is removed first: only the holder of
  // the single-instance lock calls this. Returns false when it cannot listen
  // (the reason in errorString()).
  bool Listen(const std::string& path);

  QString errorString() const;

  // A client has this long to send its command before it is dropped.
  static constexpr int kClientTimeoutMs = 5000;

 private:
  void OnNewConnection();
  void OnReadable(QLocalSocket* client);

  std::function<void(int)> onCommand_;
  QLocalServer* server_;
};
