// CSyncEntityFactory: the sync-entity classes by name ("Device",
// "IntelligentEvent", looked up without regard to letter case). The map is
// filled before main() and only read afterwards; any thread may create.
#pragma once

#include <string>

#include "sync/SyncEntity.h"

class CSyncEntityFactory {
 public:
  using Creator = SyncEntityPtr (*)();

  // A new entity of the class registered under `name`; null when none is.
  static SyncEntityPtr CreateEntity(const std::string& name);
  // Registers `creator` under the lower-cased `name` (static initialisation only).
  static bool Register(const std::string& name, Creator creator);
};
