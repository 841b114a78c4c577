#include "sync/SyncSnapshot.h"

#include <errno.h>
#include <string.h>
#include <sys/stat.h>

#include "foundation/JsonSerializer.h"
#include "foundation/Log.h"
#include "platform/AtomicFile.h"
#include "sync/SyncEntityFactory.h"

namespace {

// The root of a snapshot text: one entity per element, read by class name.
class CSyncSnapshotRecord : public CSerializable {
 public:
  CSyncSnapshotRecord(std::string entityName, SyncEntityMap* entities)
      : entityName_(std::move(entityName)), entities_(entities) {}
  const char* GetTypeName() const override { return "SyncSnapshot"; }
  void Serialize(CSerializationInfo&) const override {}
  void Deserialize(const CSerializationInfo& node) override {
    for (const CSerializationInfo* child = node.GetFirstChild(); child; child = child->GetNextSibling()) {
      SyncEntityPtr entity = CSyncEntityFactory::CreateEntity(entityName_);
      if (!entity) return;
      entity->Deserialize(*child);
      (*entities_)[entity->GetKey()] = std::move(entity);
    }
  }

 private:
  std::string entityName_;
  SyncEntityMap* entities_;
};

// True when the first character that is not white space opens an array.
bool StartsAsArray(const std::string& text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string::npos && text[first] == '[';
}

}  // namespace

std::string SerializeSyncEntities(const SyncEntityMap& entities) {
  if (entities.empty()) return "[]";
  CSerializationInfo root;
  root.SetArray(true);
  CSerializationInfo* node = nullptr;
  for (const auto& entry : entities) {
    node = node ? node->AppendSibling() : root.GetOrAddChild();
    entry.second->Serialize(*node);
  }
  std::string text;
  CJsonSerializer::Serialize(root, &text);
  return text;
}

bool LoadSyncSnapshot(const std::string& path, const std::string& entityName, SyncEntityMap* entities) {
  struct stat info;
  if (stat(path.c_str(), &info) != 0 && errno == ENOENT) {
    entities->clear();
    return true;
  }
  std::string text;
  if (!platform::ReadWholeFile(path, &text)) {
    GATE_LOG(1, "ERROR - Can't open file(Path: %s, Error: %u)\n", path.c_str(), static_cast<unsigned>(errno));
    return false;
  }
  // The text ends at its first zero byte, as the file's writers never put one in.
  size_t zero = text.find('\0');
  if (zero != std::string::npos) text.resize(zero);
  if (!CSyncEntityFactory::CreateEntity(entityName)) {
    GATE_LOG(1, "ERROR - Unknown sync entity '%s'.(Path: %s)\r\n", entityName.c_str(), path.c_str());
    return false;
  }
  SyncEntityMap loaded;
  CSyncSnapshotRecord record(entityName, &loaded);
  if (!StartsAsArray(text) || !CJsonSerializer::Deserialize(text, &record)) {
    GATE_LOG(1, "ERROR - Error raised when deserialize json data.\r\n");
    return false;
  }
  entities->swap(loaded);
  return true;
}

bool SaveSyncSnapshot(const std::string& path, const SyncEntityMap& entities) {
  std::string error;
  if (!platform::WriteFileAtomically(path, SerializeSyncEntities(entities), &error)) {
    GATE_LOG(1, "ERROR - Can't create file.(File: %s, Error: %s)\n", path.c_str(), error.c_str());
    return false;
  }
  return true;
}
