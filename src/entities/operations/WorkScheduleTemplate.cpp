#include "entities/operations/WorkScheduleTemplate.h"

#include "entities/TreeNodeText.h"
#include "entities/operations/OwnerDataStore.h"
#include "entities/operations/WorkSchedule.h"

void* CTBLWorkScheduleTemplate::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

EntityMap CTBLWorkScheduleTemplate::GetWorkSchedules() const {
  return GetOwnerRelatedRows(*this, CTBLWorkSchedule::kTableName, "WorkScheduleTemplateID");
}

bool CTBLWorkScheduleTemplate::MatchesFilter(int /*flags*/, const std::string& filter) {
  return LowerTextContains(GetName(), filter);
}

GATE_REGISTER_ENTITY(CTBLWorkScheduleTemplate);
