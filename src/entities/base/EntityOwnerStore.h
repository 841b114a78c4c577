// IEntityOwnerStore: what a row needs of the entity store that owns it. The
// database layer's store interface (IDataStore) derives from it, so a row can
// point at its store without the row base depending on the database layer.
// Row classes above the database layer that need more of their store convert
// the pointer to the store interface there.
#pragma once

class IEntityOwnerStore {
 public:
  virtual ~IEntityOwnerStore() = default;

  // The store's number, fixed for its lifetime (a row attached to the store keeps it).
  virtual int GetStoreId() = 0;
};
