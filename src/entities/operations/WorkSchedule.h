// The work-schedule row (TBL_WorkSchedules): the schedule of one date, made
// from a template (its parent in the tree); its workers and messages go with
// it.
#pragma once

#include <memory>
#include <string>

#include "entities/base/EntityTreeNode.h"
#include "entities/base/RowClass.h"

class CTBLWorkScheduleTemplate;

// clang-format off
#define TBL_WORK_SCHEDULES_COLUMNS(C)                          \
  C(Int, "WorkScheduleID", WorkScheduleID, 0)                  \
  C(Int, "WorkScheduleTemplateID", WorkScheduleTemplateID, 0)  \
  C(Date, "WorkScheduleDate", WorkScheduleDate, "")
// clang-format on

class CTBLWorkScheduleBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLWorkScheduleBase, "TBL_WorkSchedules", TBL_WORK_SCHEDULES_COLUMNS, AutoIncrement,
                    "WorkScheduleID", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_Workers", "WorkScheduleID", 0, kRelationModeDelete},
                        {"TBL_WorkScheduleMessages", "WorkScheduleID", 0, kRelationModeDelete})
};

class CTBLWorkSchedule : public CTBLWorkScheduleBase, public IEntityTreeNode {
 public:
  // The tree-node view for "IEntityTreeNode" (exact name), else null.
  void* GetInterface(const std::string& name) override;
  // The cached template of `WorkScheduleTemplateID`; null for 0, a free row
  // or a template the store does not have. Takes the store's locks.
  std::shared_ptr<CTBLWorkScheduleTemplate> GetWorkScheduleTemplate() const;

  // ---- IEntityTreeNode ----
  std::string GetNodeName() override { return GetWorkScheduleDate(); }
  int GetNodeType() override { return kNodeTypeWorkSchedule; }
  int GetNodeOrder(int /*parentId*/) override { return GetWorkScheduleID(); }
  int GetNodeRank() override { return 100; }
  // The date text in lower case contains `filter` as given; flags are ignored.
  bool MatchesFilter(int flags, const std::string& filter) override;
  // The template under its key; empty when there is none.
  EntityMap GetParentNodes() override;
  EntityMap GetChildNodes() override { return {}; }
  int GetNodeStatus() override { return kNodeStatusNormal; }
};
