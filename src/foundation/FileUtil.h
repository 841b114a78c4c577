// Whole-file reading, folder creation and folder listing. Paths use '/';
// listings come in name order and match shell-style patterns ("*.dat") without
// regard to case. Nothing here logs: failures are results.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

// True when exactly `length` bytes were read from the start of the file.
bool ReadFileBytes(const std::string& path, void* buffer, size_t length);
// Fills `text` with the file's bytes up to its first zero byte. False (text
// untouched) when the file is missing, unreadable or empty.
bool ReadWholeFile(const std::string& path, std::string* text);
// The length in bytes of a regular file; -1 when it cannot be opened or is
// not a regular file.
int64_t GetFileLength(const std::string& path);

// Kinds passed to a WalkFolder callback.
constexpr int kWalkFile = 1;
constexpr int kWalkFolder = 2;
// Called with the entry's full path, its name, its kind and the walk's user
// value; returning 0 stops the walk.
using WalkFolderCallback =
    std::function<int(const std::string& path, const std::string& name, int kind, void* user)>;

// Visits the entries of `folder` that match `pattern`, in name order. Each
// entry is first made writable by its owner. A folder is walked first (when
// `recurse` is set; only matching sub-folders are listed, hence entered) and
// then passed to the callback; a symbolic link is passed as a file and never
// followed. Returns 1 when the walk ran to its end (also when the folder
// cannot be listed), 0 when a callback stopped it.
int WalkFolder(const std::string& folder, const WalkFolderCallback& callback, void* user,
               const std::string& pattern, bool recurse);
// A WalkFolder callback: appends the path of a file (kind 1) to the
// std::vector<std::string> given as user value. Always returns 1.
int AddFileToList(const std::string& path, const std::string& name, int kind, void* list);

// Creates the folder and every missing parent. Returns true when the folder
// exists afterwards.
bool CreateDirectoryPath(const std::string& path);
// Appends to `list` the paths of the files in `folder` that match `pattern`, in
// name order; with `recurse`, matching sub-folders are searched the same way.
// A trailing '/' of the folder is ignored; a folder that cannot be listed adds nothing.
void FindFilesRecursive(const std::string& folder, const std::string& pattern, bool recurse,
                        std::vector<std::string>* list);
