// What the live-status rows (tables LTBL_*) share. Their rows live only in
// the entity store's cache: the tables are memory-only, so the database
// service answers their writes with success and their lists with nothing.
// Text columns, GetColumnValues, LoadFrom and the copy run under the row lock
// of the entity base, and a copy between two rows takes both row locks in
// address order, so two copies in opposite directions never wait on each
// other. Numeric columns are single words read and written atomically.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "entities/base/LogicalStatusEntity.h"
#include "entities/base/RowClass.h"

// The registered class of a live-status table: its Base (the columns) with
// the ILogicalStatusEntity part, whose owner id is the column reached by
// `GetOwner`/`SetOwner` (the key, or the owner column of tables keyed apart),
// and the status time: when the status publisher last wrote the row, in
// seconds since 1970 (0 until then). The status time is no column: it is not
// listed, loaded, serialised, recorded as a change or copied by CopyTo; the
// copy constructor carries it. It is a single word read and written
// atomically.
template <class Base, int (Base::*GetOwner)() const, void (Base::*SetOwner)(int)>
class CLiveStatusRow : public Base, public ILogicalStatusEntity {
 public:
  CLiveStatusRow() = default;
  CLiveStatusRow(const CLiveStatusRow& other)
      : Base(other), ILogicalStatusEntity(other), statusTime_(other.GetStatusTime()) {}

  int64_t GetStatusTime() const { return statusTime_.load(std::memory_order_relaxed); }
  // Assigns: no change record, no notification.
  void SetStatusTime(int64_t seconds) { statusTime_.store(seconds, std::memory_order_relaxed); }

  int GetOwnerID() const override { return (this->*GetOwner)(); }
  // Recorded and notified like any column setter.
  void SetOwnerID(int ownerId) override { (this->*SetOwner)(ownerId); }
  // The ILogicalStatusEntity part for exactly "ILogicalStatusEntity", else null.
  void* GetInterface(const std::string& name) override {
    return name == "ILogicalStatusEntity" ? static_cast<ILogicalStatusEntity*>(this) : nullptr;
  }

 private:
  std::atomic<int64_t> statusTime_{0};
};

// The code of a stream's failure text, compared without regard to letter
// case: "" 0, "connectfailed" 1, "unauthorized" 2, "invalidstreamaddress" 3,
// "videoloss" 4, anything else -1.
int StreamErrorCode(std::string text);
// StreamErrorCode of a copy of `text`; what the status publisher stores in the
// stream error-code columns of a device status row.
int ParseStreamErrorText(const std::string& text);
