#include "analysis/VasRegionPoints.h"

#include "entities/analysis/VasROI.h"
#include "entities/analysis/VasROIPoints.h"
#include "foundation/Log.h"
#include "foundation/StringUtil.h"

std::string RegionFraction(int value, int base, const CTBLVasROI& region) {
  if (value == 0) return StrFormat("%.5f", 0.0);
  if (base <= 0) {
    GATE_LOG(1, "ERROR - Region %d (%s) has a point %d on a base of %d; written as 0.\r\n", region.GetROINumber(),
             region.GetName().c_str(), value, base);
    return StrFormat("%.5f", 0.0);
  }
  return StrFormat("%.5f", static_cast<double>(value) / base);
}

std::vector<std::pair<std::string, std::string>> RegionPointFractions(const CTBLVasROI& region) {
  std::vector<std::pair<std::string, std::string>> points;
  for (const auto& [id, row] : region.GetPoints()) {
    auto point = std::dynamic_pointer_cast<CTBLVasROIPoints>(row);
    if (!point) continue;
    points.emplace_back(RegionFraction(point->GetROIPointX(), region.GetBaseWidth(), region),
                        RegionFraction(point->GetROIPointY(), region.GetBaseHeight(), region));
  }
  return points;
}
