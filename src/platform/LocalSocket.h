// Client side of a local (Unix domain) stream socket: one short message to a
// process of the same machine, such as a command to the running instance.
#pragma once

#include <string>

namespace platform {

// Longest socket path that fits a Unix socket address.
size_t MaxLocalSocketPath();

// Connects to the socket at `path`, writes `bytes` and closes. Waits at most
// `timeoutMs` in all for the connection and the write. Returns false (with a
// reason in `error` when given) when nobody listens, the path is too long or
// the time runs out. Never raises SIGPIPE.
bool SendToLocalSocket(const std::string& path, const std::string& bytes, int timeoutMs,
                       std::string* error = nullptr);

}  // namespace platform
