#include "sync/SyncEntity.h"

#include "foundation/StringUtil.h"
#include "sync/SyncEntityFactory.h"

void CSyncEntity::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  node.AddValue("Method", method_);
}

void CSyncEntity::Deserialize(const CSerializationInfo& node) {
  if (StrEqualNoCase(node.GetName(), GetTypeName())) method_ = node.GetValue("method");
}

int CSyncEntity::GetMethodKind() const {
  if (StrEqualNoCase(method_, "add")) return kMethodAdd;
  if (StrEqualNoCase(method_, "update")) return kMethodUpdate;
  if (StrEqualNoCase(method_, "delete")) return kMethodDelete;
  return 0;
}

void CSyncEntity::SetMethodKind(int kind) {
  switch (kind) {
    case kMethodAdd: method_ = "Add"; break;
    case kMethodUpdate: method_ = "Update"; break;
    case kMethodDelete: method_ = "Delete"; break;
    default: break;
  }
}

SyncEntityPtr CSyncEntity::Clone() const {
  SyncEntityPtr copy = CSyncEntityFactory::CreateEntity(GetTypeName());
  if (copy) CopyTo(copy.get());
  return copy;
}
