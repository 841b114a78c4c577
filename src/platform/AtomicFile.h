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

// Copies `from` to `to` unless `to` exists: the copy is written to a temporary
// file, flushed, then linked under the new name, which fails when the target
// has appeared meanwhile, so an existing file is never overwritten or seen half
// written. Returns false with the errno value in `err` (EEXIST when the target
// exists) when given; no temporary file is left behind.
bool CopyFileNoReplace(const std::string& from, const std::string& to, int* err = nullptr);

// Writes all `size` bytes to `fd`, going on after short writes and EINTR.
// Returns false on any other write error.
bool WriteAll(int fd, const void* bytes, size_t size);

// Reads the whole file into `bytes`. Returns false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string* bytes);

}  // namespace platform
