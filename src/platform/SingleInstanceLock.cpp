#include "platform/SingleInstanceLock.h"

#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

SingleInstanceLock::~SingleInstanceLock() { Release(); }

SingleInstanceLock::Result SingleInstanceLock::Acquire(const std::string& path, std::string* error) {
  Release();
  int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    if (error) *error = "cannot open " + path + ": " + strerror(errno);
    return Result::kFailed;
  }
  int rc;
  do {
    rc = flock(fd, LOCK_EX | LOCK_NB);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    int err = errno;
    close(fd);
    if (err == EWOULDBLOCK) return Result::kHeldElsewhere;
    if (error) *error = "cannot lock " + path + ": " + strerror(err);
    return Result::kFailed;
  }
  fd_ = fd;
  return Result::kAcquired;
}

void SingleInstanceLock::Release() {
  if (fd_ < 0) return;
  close(fd_);  // closing the only descriptor drops the flock
  fd_ = -1;
}

}  // namespace platform
