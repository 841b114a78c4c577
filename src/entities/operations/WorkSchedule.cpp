#include "entities/operations/WorkSchedule.h"

#include "entities/TreeNodeText.h"
#include "entities/operations/OwnerDataStore.h"
#include "entities/operations/WorkScheduleTemplate.h"

void* CTBLWorkSchedule::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

std::shared_ptr<CTBLWorkScheduleTemplate> CTBLWorkSchedule::GetWorkScheduleTemplate() const {
  return FindOwnerCachedRow<CTBLWorkScheduleTemplate>(*this, CTBLWorkScheduleTemplate::kTableName,
                                                      GetWorkScheduleTemplateID());
}

bool CTBLWorkSchedule::MatchesFilter(int /*flags*/, const std::string& filter) {
  return LowerTextContains(GetWorkScheduleDate(), filter);
}

EntityMap CTBLWorkSchedule::GetParentNodes() {
  EntityMap parents;
  if (auto parent = GetWorkScheduleTemplate()) parents[parent->GetID()] = parent;
  return parents;
}

GATE_REGISTER_ENTITY(CTBLWorkSchedule);
