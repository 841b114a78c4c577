// CSettingManager: settings by category and key over the rows of one settings
// table held in an entity store. It keeps an index of its own copies of the
// table's rows (all of them, or those of one owner) and rebuilds it whenever
// the store's version of the table has moved. Reads answer from the index;
// writes change the indexed row and update it through the store, or add a new
// row through the store (the index sees it at the next reload). Keys compare
// without regard to letter case (multi-byte aware); within a category the row
// with the lowest id wins.
//
// Without a store every getter gives its default and every setter returns true
// and stores nothing.
//
// Lock: `lock_` (re-entrant) guards the store pointer, the owner filter, the
// index and the loaded version; it is held for a whole SetSetting including the
// store call, so it always comes before the store's own locks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "database/EntityMaps.h"
#include "database/ISettingManager.h"
#include "foundation/Lock.h"

class IDataStore;
class ISettingEntity;

class CSettingManager : public ISettingManager {
 public:
  explicit CSettingManager(IDataStore* store = nullptr);
  // Same store, owner filter, loaded version and index (rows shared); a lock of its own.
  CSettingManager(const CSettingManager& other);
  CSettingManager& operator=(const CSettingManager&) = delete;
  ~CSettingManager() override;

  // ---- ISettingManager: GetSettingText and SetSetting ----
  std::string GetText(int category, const std::string& key) override { return GetSettingText(category, key); }
  bool SetText(int category, const std::string& key, const std::string& text) override {
    return SetSetting(category, key, text);
  }

  virtual int GetOwnerFilter();
  virtual void SetOwnerFilter(int owner);
  // Rebuilds the index from the store (here: every cached row of the table).
  virtual void Load();
  // The settings table's name, e.g. "TBL_SystemSettings".
  virtual const char* GetTableName() const = 0;
  // A new, unsaved row of the table, owned by the caller; null without memory.
  virtual CDBEntity* NewSettingEntity() = 0;

  // The indexed row of (category, key), reloading first when the store's
  // table version moved; empty when there is none.
  EntityPtr FindSetting(int category, const std::string& key);
  // Its value text; "" when there is no row.
  std::string GetSettingText(int category, const std::string& key);
  // Sets the value text of (category, key): updates the found row through the
  // store, or adds a new row. False (logged) when the store refused it.
  bool SetSetting(int category, const std::string& key, const std::string& value);
  bool SetInt(int category, const std::string& key, int value);

  // Replaces the index by clones of `rows` (those of the owner filter, when set).
  void IndexRows(const EntityMap& rows);

  IDataStore* GetDataStore();
  // Points the manager at `store` (when it differs): empties the index and
  // marks it unloaded, so the next look-up loads from the new store.
  void AttachStore(IDataStore* store);

 protected:
  CLock& GetLock() RETURN_CAPABILITY(lock_) { return lock_; }

 private:
  mutable CLock lock_;
  IDataStore* store_ GUARDED_BY(lock_) = nullptr;  // not owned
  int ownerFilter_ GUARDED_BY(lock_) = 0;
  std::map<int, EntityMap> index_ GUARDED_BY(lock_);  // category -> row id -> row (clones)
  int loadedVersion_ GUARDED_BY(lock_) = 0;  // 0: not loaded
};
