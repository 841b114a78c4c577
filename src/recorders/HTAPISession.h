// One API connection to a Hitron NVR: the TCP socket the caller connected and
// whether the 76-byte preamble has gone out on it. It lives for one exchange
// (login, then the camera list) on one thread; it is not shared.
#pragma once

#include <stdint.h>

#include "net/Sock.h"

class CHTAPISession {
 public:
  CHTAPISession() = default;
  // Closes the socket when it is valid.
  virtual ~CHTAPISession();
  CHTAPISession(const CHTAPISession&) = delete;
  CHTAPISession& operator=(const CHTAPISession&) = delete;

  // The connected socket (the caller connects it and stores it here), or
  // INVALID_SOCKET.
  SOCKET socket = INVALID_SOCKET;
  // 0 until the first packet of the connection has been framed.
  int32_t preambleSent = 0;
};
