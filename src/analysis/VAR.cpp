#include "analysis/VAR.h"

void CVAR::SetObjects(std::vector<CVARObject> objects, bool buildIndex) {
  CScopedLock hold(Lock);
  Objects = std::move(objects);
  ObjectIndex.clear();
  if (buildIndex) {
    for (size_t i = 0; i < Objects.size(); ++i) {
      if (Objects[i].ID != 0) ObjectIndex[Objects[i].ID] = static_cast<int>(i);
    }
  }
  IndexBuilt = buildIndex;
}

void CVAR::SetEvents(std::vector<CVAREvent> events) {
  CScopedLock hold(Lock);
  Events = std::move(events);
}

const CVARObject* CVAR::FindObject(int id) const {
  if (IndexBuilt) {
    auto found = ObjectIndex.find(id);
    if (found == ObjectIndex.end()) return nullptr;
    size_t position = static_cast<size_t>(found->second);
    return position < Objects.size() ? &Objects[position] : nullptr;
  }
  for (const CVARObject& object : Objects) {
    if (object.ID == id) return &object;
  }
  return nullptr;
}

CVARObject* CVAR::FindObject(int id) {
  return const_cast<CVARObject*>(static_cast<const CVAR*>(this)->FindObject(id));
}

SystemTime CVAR::GetTimestamp() const {
  SystemTime time;
  ParseDateTime(&time, Time.substr(0, 17), kDateOrderSystem);
  return time;
}
