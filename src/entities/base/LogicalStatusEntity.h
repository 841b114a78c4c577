// ILogicalStatusEntity: a live-status row that belongs to one device or server,
// named by its owner id. Reached with CDBEntity::GetInterface("ILogicalStatusEntity").
#pragma once

class ILogicalStatusEntity {
 public:
  virtual ~ILogicalStatusEntity() = default;

  // The owner column's getter.
  virtual int GetOwnerID() const = 0;
  // The owner column's setter (recorded and notified like any setter).
  virtual void SetOwnerID(int ownerId) = 0;
};
