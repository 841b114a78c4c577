// The work-schedule template row (TBL_WorkScheduleTemplates): a named
// template with its resource; as a tree node the parent of the schedules
// made from it, which go with it.
#pragma once

#include <string>

#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"

// clang-format off
#define TBL_WORK_SCHEDULE_TEMPLATES_COLUMNS(C)                \
  C(Int, "WorkScheduleTemplateID", WorkScheduleTemplateID, 0) \
  C(String, "Name", Name, "")                                 \
  C(Int, "ResourceID", ResourceID, 0)
// clang-format on

class CTBLWorkScheduleTemplateBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLWorkScheduleTemplateBase, "TBL_WorkScheduleTemplates", TBL_WORK_SCHEDULE_TEMPLATES_COLUMNS,
                    AutoIncrement, "WorkScheduleTemplateID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_WorkSchedules", "WorkScheduleTemplateID", 0, kRelationModeDelete})
};

class CTBLWorkScheduleTemplate : public CTBLWorkScheduleTemplateBase, public IEntityTreeNode {
 public:
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;
  // The cached TBL_WorkSchedules rows made from this template, by key; empty
  // for a free row. Takes the store's locks.
  EntityMap GetWorkSchedules() const;

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetName(); }
  int GetNodeType() override { return kNodeTypeWorkScheduleTemplate; }
  int GetNodeOrder(int /*parentId*/) override { return GetWorkScheduleTemplateID(); }
  int GetNodeRank() override { return 100; }
  // The name in lower case contains `filter` as given; flags are ignored.
  bool MatchesFilter(int flags, const std::string& filter) override;
  EntityMap GetParentNodes() override { return {}; }
  EntityMap GetChildNodes() override { return GetWorkSchedules(); }
  int GetNodeStatus() override { return kNodeStatusNormal; }
};
