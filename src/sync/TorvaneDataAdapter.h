// The clients of the management software's CGI interface over plain HTTP:
// CTorvaneDataAdapter asks an NVR's management service to reload a table,
// restart, run an action, upgrade or show cameras; CZmsDataAdapter asks the
// management server to reload its database. Every request is one GET on a
// fresh connection; it succeeds when the reply's status is 200. A refused or
// silent peer is logged "ERROR - [host:port] Error raised when request
// message."; another status is a quiet false.
//
// Query values are percent-encoded where they would break the request or its
// query ("%", "&", "=", "+", "#", space and control bytes); plain values go
// out unchanged. No state beyond the time-out: any thread, any number at once.
#pragma once

#include <string>

// A query value with the bytes that would end it or the request line
// percent-encoded (upper-case hex); other bytes unchanged.
std::string EscapeQueryValue(const std::string& value);

class CTorvaneDataAdapter {
 public:
  // `timeoutSec` bounds the connect and each wait of a request.
  explicit CTorvaneDataAdapter(int timeoutSec = 3) : timeoutSec_(timeoutSec) {}
  virtual ~CTorvaneDataAdapter() = default;

  // "/event/action.cgi?id=&password=&<action>&SystemKey=": `action` is a
  // whole query member ("name=value") and goes out as given. With a 200 and
  // `reply`, the whole reply text is stored there.
  virtual bool DoAction(const std::string& host, int port, const std::string& id, const std::string& password,
                        const std::string& action, const std::string& systemKey, std::string* reply = nullptr);
  virtual bool Upgrade(const std::string& host, int port, int waitSeconds);
  virtual bool CheckDatabase(const std::string& host, int port, const std::string& table, int client);
  virtual bool CheckFRDatabase(const std::string& host, int port, const std::string& table, int client);
  virtual bool RestartApplication(const std::string& host, int port, const std::string& id,
                                  const std::string& password, int client, int reason);
  virtual bool RestartApplicationEx(const std::string& host, int port, const std::string& id,
                                    const std::string& password, int client, int reason,
                                    const std::string& restartLoginID, const std::string& restartPassword);
  virtual bool LiveCameras(const std::string& host, int port, const std::string& id, const std::string& password,
                           const std::string& cameras, int noclear);
  virtual bool PlaybackCameras(const std::string& host, int port, const std::string& id,
                               const std::string& password, const std::string& cameras);

 private:
  int timeoutSec_;
};

class CZmsDataAdapter {
 public:
  // "/system/database.cgi?table=<table>&client=0" with a 3-second time-out.
  static bool CheckDatabase(const std::string& host, int port, const std::string& table);
};
