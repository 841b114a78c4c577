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
      : m_relatedTable(std::move(relatedTable)), m_relationColumn(std::move(relationColumn)), m_mode(mode) {
    (void)reserved;
  }
  virtual ~CRelationInfo() = default;
  CRelationInfo(const CRelationInfo&) = default;
  CRelationInfo& operator=(const CRelationInfo&) = default;

  const std::string& GetRelatedTable() const { return m_relatedTable; }
  const std::string& GetRelationColumn() const { return m_relationColumn; }
  int GetReserved() const { return m_reserved; }  // always 0
  int GetMode() const { return m_mode; }

 private:
  std::string m_relatedTable;    // e.g. "TBL_Camera"
  std::string m_relationColumn;  // column of the related table holding the owner's key, e.g. "zav_no"
  int m_reserved = 0;
  int m_mode = kRelationModeNone;
};
