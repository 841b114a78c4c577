// A face group of the analysis servers (TBL_VasFRFaceGroup): its name and
// the face-ID list sent with every region whose face-recognition event names
// the group (by the first number of the event's `FaceGroupList`). Deleting a
// group only marks it deleted; lists of the whole table leave it out.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_VAS_FR_FACE_GROUP_COLUMNS(C)                  \
  C(Int, "VasFRFaceGroupID", VasFRFaceGroupID, 0)         \
  C(Bool, "IsDeleted", IsDeleted, 0)                      \
  C(String, "GroupName", GroupName, "")                   \
  C(String, "FaceList", FaceList, "")
// clang-format on

class CTBLVasFRFaceGroupBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLVasFRFaceGroupBase, "TBL_VasFRFaceGroup", TBL_VAS_FR_FACE_GROUP_COLUMNS, AutoIncrement,
                    "VasFRFaceGroupID", kEntityNoFlags)
};

class CTBLVasFRFaceGroup : public CTBLVasFRFaceGroupBase {};
