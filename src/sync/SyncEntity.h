// CSyncEntity: what an outside system is told about one source row (a camera,
// an analysis-event definition): a small record with a Method ("Add",
// "Update", "Delete") that says what happened to the row. The data
// synchronizer builds one per row on every run, compares it with the one kept
// in the job's snapshot file and posts the changed ones as a JSON array.
//
// Entities are plain values held by shared pointers; one thread at a time.
#pragma once

#include <map>
#include <memory>
#include <string>

#include "database/EntityMaps.h"
#include "foundation/SerializationInfo.h"

class IDataStore;
class CSyncEntity;

using SyncEntityPtr = std::shared_ptr<CSyncEntity>;
// Entities by key, ascending: a snapshot, or the changes of a run.
using SyncEntityMap = std::map<int, SyncEntityPtr>;
// The camera's user-field texts by the names "MANAGEMENT_CODE", "SITE_CODE",
// "VENDOR", "MODEL"; only configured names are present.
using SyncUserFieldValues = std::map<std::string, std::string>;

class CSyncEntity : public CSerializable {
 public:
  static constexpr int kMethodAdd = 1;
  static constexpr int kMethodUpdate = 2;
  static constexpr int kMethodDelete = 3;

  // Names the node by the type name and adds "Method"; derived classes add
  // their values first.
  void Serialize(CSerializationInfo& node) const override;
  // Reads "method" only when the node is named by the type name (any case).
  void Deserialize(const CSerializationInfo& node) override;

  const std::string& GetMethod() const { return method_; }
  void SetMethod(const std::string& method) { method_ = method; }
  // 1 "add", 2 "update", 3 "delete" (any letter case), else 0.
  int GetMethodKind() const;
  // 1 "Add", 2 "Update", 3 "Delete"; any other kind leaves Method as it is.
  void SetMethodKind(int kind);

  // Fills the entity from a row of its source table; a row of another class
  // leaves it unchanged. `store` is the row's store (recording-server look-ups).
  virtual void FromEntity(IDataStore* store, const EntityPtr& row, const SyncUserFieldValues& values) = 0;
  virtual int GetKey() const = 0;
  // Every field, Method included; false (nothing copied) for another class.
  virtual bool CopyTo(CSyncEntity* other) const = 0;
  // Every field and Method equal, texts byte by byte; false for another class.
  virtual bool IsEqual(const CSyncEntity& other) const = 0;
  // A new entity of the same class holding the same fields and Method.
  SyncEntityPtr Clone() const;

 private:
  std::string method_;
};
