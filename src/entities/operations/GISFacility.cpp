#include "entities/operations/GISFacility.h"

#include "entities/TreeNodeText.h"

void* CTBLGISFacility::GetInterface(const std::string& name) {
  if (name == "IEntityTreeNode") return static_cast<IEntityTreeNode*>(this);
  return nullptr;
}

bool CTBLGISFacility::MatchesFilter(int /*flags*/, const std::string& filter) {
  return LowerTextContains(GetName(), filter);
}

GATE_REGISTER_ENTITY(CTBLGISFacility);
