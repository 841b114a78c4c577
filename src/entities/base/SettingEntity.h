// ISettingEntity: one setting row (owner, category, key, value) of a settings
// table. Reached by converting the row (dynamic_cast), not through
// CDBEntity::GetInterface. Every operation goes through the column's own getter
// or setter, so a change is recorded and notified as a direct one. The
// signatures are those of the generated accessors, so a final class implements
// each with one override that serves both, e.g.
//   std::string GetKey() const override { return CTBLUserSettingBase::GetKey(); }
#pragma once

#include <string>

class ISettingEntity {
 public:
  // The owner id column (0 and no effect for a table without an owner).
  virtual int GetOwnerID() const = 0;
  virtual void SetOwnerID(int ownerId) = 0;
  // The "Category" column.
  virtual int GetCategory() const = 0;
  virtual void SetCategory(int category) = 0;
  // The "Key" column.
  virtual std::string GetKey() const = 0;
  virtual void SetKey(const std::string& key) = 0;
  // The "Setting" column (the value text).
  virtual std::string GetValue() const = 0;
  virtual void SetValue(const std::string& value) = 0;

 protected:
  ~ISettingEntity() = default;
};
