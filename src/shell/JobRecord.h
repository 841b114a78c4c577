// The shape every job record of the services shares: a CSerializable whose
// fields are listed once, one line per field, in the order the record writes
// them. From the list come the members, a getter and a setter per field,
// EqualFields (every field, texts byte by byte), and the writing and reading
// of the fields:
//
//   #define GATE_NVR_SYNC_ITEM_FIELDS(F) F(Int, ID, "ID", 0) F(Text, TargetAddress, "TargetAddress", "")
//
// Writing adds each field under its key as written: numbers "%d", switches
// "1" or "0", texts unchanged. Reading takes each field from the key in lower
// case (the text readers lower-case value names, so any letter case in the
// stored text matches): numbers by their leading digits, 0 when absent;
// texts "" when absent; a switch is on only for the exact text "1". Reading
// assigns every field, so a key the text lacks reads as 0, "" or off, not as
// the field's initial value.
//
// Records are plain values: copy them freely; one thread at a time.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "foundation/SerializationInfo.h"

using JobFieldInt = int32_t;
using JobFieldText = std::string;
using JobFieldBool = bool;

void WriteJobField(CSerializationInfo& node, const char* key, int32_t value);
void WriteJobField(CSerializationInfo& node, const char* key, const std::string& value);
void WriteJobField(CSerializationInfo& node, const char* key, bool value);
// `key` as written; the value is looked up under its lower-case form.
void ReadJobField(const CSerializationInfo& node, const char* key, int32_t* value);
void ReadJobField(const CSerializationInfo& node, const char* key, std::string* value);
void ReadJobField(const CSerializationInfo& node, const char* key, bool* value);

// A stored password (ARIA string cipher, Base64) in clear, and back; "" for "".
std::string DecipherJobPassword(const std::string& stored);
std::string EncipherJobPassword(const std::string& plain);

#define GATE_JOB_FIELD_MEMBER_(kind, Name, key, init) JobField##kind m##Name = init;
#define GATE_JOB_FIELD_ACCESSORS_(kind, Name, key, init)                    \
  const JobField##kind& Get##Name() const { return m##Name; }              \
  void Set##Name(const JobField##kind& value) { m##Name = value; }
#define GATE_JOB_FIELD_WRITE_(kind, Name, key, init) WriteJobField(node, key, m##Name);
#define GATE_JOB_FIELD_READ_(kind, Name, key, init) ReadJobField(node, key, &m##Name);
#define GATE_JOB_FIELD_EQUAL_(kind, Name, key, init) &&m##Name == other.m##Name

// Members, accessors, EqualFields and WriteFields/ReadFields of a field list.
#define GATE_JOB_RECORD_FIELDS(Class, FIELDS)                                              \
 public:                                                                                   \
  FIELDS(GATE_JOB_FIELD_ACCESSORS_)                                                        \
  bool EqualFields(const Class& other) const { return true FIELDS(GATE_JOB_FIELD_EQUAL_); } \
                                                                                           \
 protected:                                                                                \
  void WriteFields(CSerializationInfo& node) const { FIELDS(GATE_JOB_FIELD_WRITE_) }       \
  void ReadFields(const CSerializationInfo& node) { FIELDS(GATE_JOB_FIELD_READ_) }         \
                                                                                           \
 private:                                                                                  \
  FIELDS(GATE_JOB_FIELD_MEMBER_)

// A record that is its fields and nothing more: its node is named by its type
// name and holds the fields; reading ignores the node's name.
#define GATE_JOB_RECORD(Class, typeName, FIELDS)                                     \
 public:                                                                             \
  const char* GetTypeName() const override { return typeName; }                      \
  void Serialize(CSerializationInfo& node) const override {                          \
    node.SetName(GetTypeName());                                                     \
    WriteFields(node);                                                               \
  }                                                                                  \
  void Deserialize(const CSerializationInfo& node) override { ReadFields(node); }    \
  bool operator==(const Class& other) const { return EqualFields(other); }           \
  GATE_JOB_RECORD_FIELDS(Class, FIELDS)

// Whether `node` is named `typeName`, letters compared without regard to case.
bool IsJobNodeOfType(const CSerializationInfo& node, const char* typeName);

// The two operations of a run status: writing names the node by the type
// name and adds the fields; reading takes the fields only from a node of that
// name (any letter case), so a status file of another kind changes nothing.
#define GATE_JOB_STATUS_SERIALIZATION()                            \
  void Serialize(CSerializationInfo& node) const override {        \
    node.SetName(GetTypeName());                                   \
    WriteFields(node);                                             \
  }                                                                \
  void Deserialize(const CSerializationInfo& node) override {      \
    if (IsJobNodeOfType(node, GetTypeName())) ReadFields(node);    \
  }

// The job list of one service: its items in order, stored in the application
// settings as the JSON text of an array node named by the list's type name.
template <typename Item>
class CJobItemList : public CSerializable {
 public:
  using ItemType = Item;
  using Items = std::vector<Item>;

  // Marks the node as an array named by the type name; one child per item.
  void Serialize(CSerializationInfo& node) const override {
    node.SetArray(true);
    node.SetName(GetTypeName());
    SerializeItems(node, items_);
  }
  // Appends one item per child of the node (the list is not emptied first).
  void Deserialize(const CSerializationInfo& node) override { DeserializeItems(node, &items_); }

  Items& GetItems() { return items_; }
  const Items& GetItems() const { return items_; }
  void SetItems(const Items& items) { items_ = items; }

  // A copy of the first item with that ID, or a default item (ID 0).
  Item FindByID(int32_t id) const {
    auto it = FindPosByID(id);
    return it == items_.end() ? Item() : *it;
  }
  // The position of the first item with that ID, or end().
  typename Items::const_iterator FindPosByID(int32_t id) const {
    for (auto it = items_.begin(); it != items_.end(); ++it)
      if (it->GetID() == id) return it;
    return items_.end();
  }
  // Same count and the items equal pairwise, in order.
  bool IsEqual(const CJobItemList& other) const { return items_ == other.items_; }

 private:
  Items items_;
};
