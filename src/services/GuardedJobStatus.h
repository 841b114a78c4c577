// TGuardedJobStatus: one job's run status shared by the threads of its
// service: the job's sender writes it, the main task sets error codes, the
// status-save task writes its file and the main window reads copies. Every
// access holds the record's own lock, so a reader always sees the fields of
// one update together, and the file is written under it (to a temporary name,
// then renamed), so two savers never interleave and a killed process leaves
// the old or the new file whole.
#pragma once

#include <memory>
#include <string>

#include "foundation/Lock.h"
#include "foundation/XmlSerializer.h"

template <class Status>
class TGuardedJobStatus {
 public:
  // A status of job `id` with every other field at its default.
  explicit TGuardedJobStatus(int id) { status_.SetID(id); }
  TGuardedJobStatus(const TGuardedJobStatus&) = delete;
  TGuardedJobStatus& operator=(const TGuardedJobStatus&) = delete;

  // A copy of the status. Takes the record lock.
  Status Get() const {
    CScopedLock hold(lock_);
    return status_;
  }
  // Runs `change(Status&)` on the status. Takes the record lock; `change`
  // must not block.
  template <class Change>
  void Update(Change change) {
    CScopedLock hold(lock_);
    change(status_);
  }
  // Reads the XML file at `path` into the status; false when the file cannot
  // be read (the status then keeps its values). Takes the record lock.
  bool Load(const std::string& path) {
    Status read;
    {
      CScopedLock hold(lock_);
      read = status_;
    }
    if (!CXmlSerializer::FromXmlFile(path, &read)) return false;
    CScopedLock hold(lock_);
    status_ = read;
    return true;
  }
  // Replaces the file at `path` with the status's XML text; false when it
  // could not be written. Takes the record lock for the whole write.
  bool Save(const std::string& path) const {
    CScopedLock hold(lock_);
    return !CXmlSerializer::ToXmlFile(path, status_).empty();
  }

 private:
  mutable CLock lock_;  // guards status_
  Status status_ GUARDED_BY(lock_);
};
