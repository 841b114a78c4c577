// The field lists of the sync entities: one line per field with its kind, its
// accessor name, the key it is written under, the key it is read from and its
// initial value. Writing and reading follow the job records' rules
// (shell/JobRecord.h): numbers "%d", switches "1"/"0" (on only for "1"),
// texts unchanged; a key the node lacks reads as 0, off or "".
#pragma once

#include <string>

#include "foundation/StringUtil.h"
#include "shell/JobRecord.h"

// Reads the field from `readKey`, or from the lower-case form of `writeKey`
// when the node holds that key: the recording-server members are written as
// "ZavID", "ZavAddress", "ZavChannel" but read from "nrsid", "nrsaddress",
// "nrschannel", so a snapshot this system wrote would otherwise read them
// back as 0 and "", and every camera on a recording server would differ from
// its snapshot entry at every run.
template <typename T>
void ReadSyncField(const CSerializationInfo& node, const char* writeKey, const char* readKey, T* value) {
  std::string written = StrToLower(writeKey);
  ReadJobField(node, written != readKey && node.IndexOf(written) >= 0 ? written.c_str() : readKey, value);
}

#define GATE_SYNC_FIELD_MEMBER_(kind, Name, writeKey, readKey, init) JobField##kind m##Name = init;
#define GATE_SYNC_FIELD_ACCESSORS_(kind, Name, writeKey, readKey, init)   \
  const JobField##kind& Get##Name() const { return m##Name; }            \
  void Set##Name(const JobField##kind& value) { m##Name = value; }
#define GATE_SYNC_FIELD_WRITE_(kind, Name, writeKey, readKey, init) WriteJobField(node, writeKey, m##Name);
#define GATE_SYNC_FIELD_READ_(kind, Name, writeKey, readKey, init) ReadSyncField(node, writeKey, readKey, &m##Name);
#define GATE_SYNC_FIELD_EQUAL_(kind, Name, writeKey, readKey, init) &&m##Name == other->m##Name
#define GATE_SYNC_FIELD_COPY_(kind, Name, writeKey, readKey, init) other->m##Name = m##Name;

// The accessors, the members and the field steps of Serialize, Deserialize,
// IsEqual and CopyTo of a sync-entity class.
#define GATE_SYNC_ENTITY_FIELDS(Class, typeName, FIELDS)                                 \
 public:                                                                                 \
  const char* GetTypeName() const override { return typeName; }                          \
  void Serialize(CSerializationInfo& node) const override {                              \
    FIELDS(GATE_SYNC_FIELD_WRITE_)                                                       \
    CSyncEntity::Serialize(node);                                                        \
  }                                                                                      \
  void Deserialize(const CSerializationInfo& node) override {                            \
    FIELDS(GATE_SYNC_FIELD_READ_)                                                        \
    CSyncEntity::Deserialize(node);                                                      \
  }                                                                                      \
  bool IsEqual(const CSyncEntity& entity) const override {                               \
    const auto* other = dynamic_cast<const Class*>(&entity);                             \
    return other != nullptr && GetMethod() == other->GetMethod() FIELDS(GATE_SYNC_FIELD_EQUAL_); \
  }                                                                                      \
  bool CopyTo(CSyncEntity* entity) const override {                                      \
    auto* other = dynamic_cast<Class*>(entity);                                          \
    if (other == nullptr) return false;                                                  \
    FIELDS(GATE_SYNC_FIELD_COPY_)                                                        \
    other->SetMethod(GetMethod());                                                       \
    return true;                                                                         \
  }                                                                                      \
  FIELDS(GATE_SYNC_FIELD_ACCESSORS_)                                                     \
                                                                                         \
 private:                                                                                \
  FIELDS(GATE_SYNC_FIELD_MEMBER_)
