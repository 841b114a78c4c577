// Files that matter are never half-written: the new content goes to a
// temporary file in the same folder, is flushed to disk, then renamed over the
// old file, so a crash leaves either the old or the new file whole.
#pragma once

#include <stddef.h>

#include <string>

namespace platform {

// Replaces `path` with `bytes`. Returns false (and a reason in `error` when
// given) when the temporary file cannot be written, flushed or renamed; the old
// file is then untouched and no temporary file is left behind.
bool WriteFileAtomically(const std::string& path, const std::string& bytes,
                         std::string* error = nullptr);

// Writes all `size` bytes to `fd`, going on after short writes and EINTR.
// Returns false on any other write error.
bool WriteAll(int fd, const void* bytes, size_t size);

// Reads the whole file into `bytes`. Returns false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

}  // namespace platform
