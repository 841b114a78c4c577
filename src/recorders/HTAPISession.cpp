#include "recorders/HTAPISession.h"

CHTAPISession::~CHTAPISession() {
  sock::Close(socket);
  socket = INVALID_SOCKET;
}
