#include "entities/analysis/VasObjectCount.h"

GATE_REGISTER_ENTITY(CTBLVasObjectCount);

void CTBLVasObjectCount::SetObjectCountPerClass(int classId, int forward, int backward) {
  CScopedLock hold(countLock_);
  mapObjectCountPerClass_[classId] = {forward, backward};
}

bool CTBLVasObjectCount::GetObjectCountPerClass(int classId, int* forward, int* backward) const {
  CScopedLock hold(countLock_);
  auto found = mapObjectCountPerClass_.find(classId);
  bool has = found != mapObjectCountPerClass_.end();
  *forward = has ? found->second.first : 0;
  *backward = has ? found->second.second : 0;
  return has;
}

size_t CTBLVasObjectCount::GetObjectCountClassCount() const {
  CScopedLock hold(countLock_);
  return mapObjectCountPerClass_.size();
}
