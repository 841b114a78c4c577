// CRelationInfo: the rows of another table whose named column holds this row's
// key depend on this row; the mode says what the store's delete of this row
// does to them. A row lists its relations with CDBEntity::GetRelationInfos.
#pragma once

#include <string>

enum RelationMode : int {
  kRelationModeNone = 0,     // listed only: a delete leaves the related rows alone
  kRelationModeDelete = 1,   // each related row is deleted with its own relations
  kRelationModeSetZero = 2,  // the related rows' column is set to 0 and they are updated
};

class CRelationInfo {
 public:
  // `reserved` is accepted and not kept (every row class passes 0).
  CRelationInfo(std::string relatedTable, std::string relationColumn, int reserved, int mode)
      : relatedTable_(std::move(relatedTable)), relationColumn_(std::move(relationColumn)), mode_(mode) {
    (void)reserved;
  }
  virtual ~CRelationInfo() = default;
  CRelationInfo(const CRelationInfo&) = default;
  CRelationInfo& operator=(const CRelationInfo&) = default;

  const std::string& GetRelatedTable() const { return relatedTable_; }
  const std::string& GetRelationColumn() const { return relationColumn_; }
  int GetReserved() const { return reserved_; }  // always 0
  int GetMode() const { return mode_; }

 private:
  std::string relatedTable_;    // e.g. "TBL_Camera"
  std::string relationColumn_;  // column of the related table holding the owner's key, e.g. "zav_no"
  int reserved_ = 0;
  int mode_ = kRelationModeNone;
};
