#include "entities/analysis/VasROI.h"

#include "entities/analysis/VasCrowdDensity.h"
#include "entities/analysis/VasROIPoints.h"
#include "entities/analysis/VasWaterLevel.h"
#include "entities/operations/OwnerDataStore.h"

namespace {

// The row of `rows` with the lowest key as a `Row`; null when there is none
// or it is of another class.
template <class Row>
std::shared_ptr<Row> LowestKeyRow(const EntityMap& rows) {
  return rows.empty() ? nullptr : std::dynamic_pointer_cast<Row>(rows.begin()->second);
}

}  // namespace

EntityMap CTBLVasROI::GetPoints() const {
  return GetOwnerRelatedRows(*this, CTBLVasROIPoints::kTableName, "VasROIID");
}

std::shared_ptr<CTBLVasCrowdDensity> CTBLVasROI::GetCrowdDensity() const {
  return LowestKeyRow<CTBLVasCrowdDensity>(GetOwnerRelatedRows(*this, CTBLVasCrowdDensity::kTableName, "VasROIID"));
}

std::shared_ptr<CTBLVasWaterLevel> CTBLVasROI::GetWaterLevel() const {
  return LowestKeyRow<CTBLVasWaterLevel>(GetOwnerRelatedRows(*this, CTBLVasWaterLevel::kTableName, "VasROIID"));
}

GATE_REGISTER_ENTITY(CTBLVasROI);
