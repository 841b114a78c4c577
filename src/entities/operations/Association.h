// The association row (TBL_Associations): a device associated with another
// device, a zone or a marker; it goes with any of them.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_ASSOCIATIONS_COLUMNS(C)                    \
  C(Int, "AssociationID", AssociationID, 0)            \
  C(Int, "DeviceID", DeviceID, 0)                      \
  C(Int, "ZoneID", ZoneID, 0)                          \
  C(Int, "MarkerID", MarkerID, 0)                      \
  C(Int, "AssociatedDeviceID", AssociatedDeviceID, 0)  \
  C(Int, "Kind", Kind, 0)                              \
  C(String, "Detail1", Detail1, "")
// clang-format on

class CTBLAssociationBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLAssociationBase, "TBL_Associations", TBL_ASSOCIATIONS_COLUMNS, AutoIncrement, "AssociationID", kEntityNoFlags)
};

class CTBLAssociation : public CTBLAssociationBase {};
