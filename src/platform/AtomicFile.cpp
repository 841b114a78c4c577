#include "platform/AtomicFile.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

namespace platform {
namespace {

std::atomic<unsigned> g_tempCounter{0};

bool FailErrno(std::string* error, const std::string& what, int err) {
  if (error) *error = what + ": " + strerror(err);
  return false;
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes `bytes` to a fresh temporary file beside `path`, flushed to disk.
// Returns its name, or "" with errno set, the failed step in `error` ("cannot
// create", "cannot write" or "cannot close" and the name) and nothing left behind.
std::string WriteTemporaryFile(const std::string& path, const std::string& bytes, std::string* error) {
  std::string temp = path + ".tmp." + std::to_string(getpid()) + "." +
                     std::to_string(g_tempCounter.fetch_add(1));
  int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    int err = errno;
    FailErrno(error, "cannot create " + temp, err);
    errno = err;
    return std::string();
  }
  const char* failed = nullptr;
  if (!WriteAll(fd, bytes.data(), bytes.size()) || fsync(fd) != 0) failed = "cannot write ";
  int err = errno;
  if (close(fd) != 0 && failed == nullptr) {
    failed = "cannot close ";
    err = errno;
  }
  if (failed != nullptr) {
    unlink(temp.c_str());
    FailErrno(error, failed + temp, err);
    errno = err;
    return std::string();
  }
  return temp;
}

void SyncFolderOf(const std::string& path) {
  int dir = open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
}

}  // namespace

bool WriteFileAtomically(const std::string& path, const std::string& bytes, std::string* error) {
  std::string temp = WriteTemporaryFile(path, bytes, error);
  if (temp.empty()) return false;
  if (rename(temp.c_str(), path.c_str()) != 0) {
    int err = errno;
    unlink(temp.c_str());
    return FailErrno(error, "cannot rename " + temp + " to " + path, err);
  }
  SyncFolderOf(path);  // make the rename itself durable
  return true;
}

bool CopyFileNoReplace(const std::string& from, const std::string& to, int* err) {
  auto failed = [err](int e) {
    if (err) *err = e;
    return false;
  };
  std::string bytes;
  if (!ReadWholeFile(from, &bytes)) return failed(errno);
  std::string temp = WriteTemporaryFile(to, bytes, nullptr);
  if (temp.empty()) return failed(errno);
  // link() refuses an existing target, unlike rename().
  int linked = link(temp.c_str(), to.c_str());
  int e = errno;
  unlink(temp.c_str());
  if (linked != 0) return failed(e);
  SyncFolderOf(to);
  return true;
}

bool WriteAll(int fd, const void* bytes, size_t size) {
  const char* next = static_cast<const char*>(bytes);
  while (size > 0) {
    ssize_t n = write(fd, next, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    next += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string* bytes) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  std::string out;
  char buffer[65536];
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof(buffer));
    if (n < 0) {
      if (errno == EINTR) continue;
      close(fd);
      return false;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  close(fd);
  bytes->swap(out);
  return true;
}

}  // namespace platform
