#include "entities/base/DBEntityFactory.h"

#include <map>
#include <mutex>
#include <shared_mutex>

#include "foundation/StringUtil.h"

namespace {

struct Entry {
  EntityCreator creator;
  EntityDescriber describer;
};

struct Registry {
  std::shared_mutex mutex;  // guards both members; written during static initialisation
  std::map<std::string, Entry> creators;
  std::vector<std::string> duplicates;
};

// Built on first use, so registrations from any unit find it whatever the
// order of static initialisation.
Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

bool CDBEntityFactory::Register(const std::string& tableName, EntityCreator creator,
                                EntityDescriber describer) {
  Registry& registry = TheRegistry();
  std::string key = StrToLower(tableName);
  std::unique_lock lock(registry.mutex);
  auto [it, inserted] = registry.creators.insert_or_assign(key, Entry{creator, describer});
  if (!inserted) registry.duplicates.push_back(key);
  return true;
}

CDBEntity* CDBEntityFactory::CreateEntity(const std::string& tableName) {
  EntityCreator creator = GetEntityCreator(tableName);
  return creator ? creator() : nullptr;
}

EntityCreator CDBEntityFactory::GetEntityCreator(const std::string& tableName) {
  if (tableName.empty()) return nullptr;
  Registry& registry = TheRegistry();
  std::string key = StrToLower(tableName);
  std::shared_lock lock(registry.mutex);
  auto it = registry.creators.find(key);
  return it == registry.creators.end() ? nullptr : it->second.creator;
}

const CTableDescriptor* CDBEntityFactory::GetTableDescriptor(const std::string& tableName) {
  Registry& registry = TheRegistry();
  std::string key = StrToLower(tableName);
  std::shared_lock lock(registry.mutex);
  auto it = registry.creators.find(key);
  if (it == registry.creators.end() || it->second.describer == nullptr) return nullptr;
  return &it->second.describer();
}

std::vector<std::string> CDBEntityFactory::GetTableNames() {
  Registry& registry = TheRegistry();
  std::shared_lock lock(registry.mutex);
  std::vector<std::string> names;
  names.reserve(registry.creators.size());
  for (const auto& entry : registry.creators) names.push_back(entry.first);
  return names;
}

std::vector<std::string> CDBEntityFactory::GetDuplicateRegistrations() {
  Registry& registry = TheRegistry();
  std::shared_lock lock(registry.mutex);
  return registry.duplicates;
}
