#include "sync/SyncEntityFactory.h"

#include <map>

#include "foundation/StringUtil.h"
#include "sync/SyncDevice.h"
#include "sync/SyncIntelligentEvent.h"

namespace {

std::map<std::string, CSyncEntityFactory::Creator>& Creators() {
  static std::map<std::string, CSyncEntityFactory::Creator> creators;
  return creators;
}

SyncEntityPtr CreateSyncDevice() { return std::make_shared<CSyncDevice>(); }
SyncEntityPtr CreateSyncIntelligentEvent() { return std::make_shared<CSyncIntelligentEvent>(); }

// Registered here, beside the factory, so that linking the factory brings both classes.
const bool kRegistered = CSyncEntityFactory::Register("Device", &CreateSyncDevice) &&
                         CSyncEntityFactory::Register("IntelligentEvent", &CreateSyncIntelligentEvent);

}  // namespace

SyncEntityPtr CSyncEntityFactory::CreateEntity(const std::string& name) {
  (void)kRegistered;
  auto it = Creators().find(StrToLower(name));
  return it == Creators().end() ? nullptr : it->second();
}

bool CSyncEntityFactory::Register(const std::string& name, Creator creator) {
  Creators()[StrToLower(name)] = creator;
  return true;
}
