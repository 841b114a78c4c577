// The points of a region of interest as the AI engines and AI cameras take
// them: fractions of the region's base width and height with five decimals.
#pragma once

#include <string>
#include <vector>

class CTBLVasROI;

// One coordinate as a fraction of `base`, "%.5f": 0 stays 0 without
// dividing; a coordinate on a base of 0 or less cannot be divided, gives
// 0.00000 and logs an ERROR line naming the region.
std::string RegionFraction(int value, int base, const CTBLVasROI& region);

// "<x>,<y>" of every point of the region (CTBLVasROI::GetPoints, ascending
// key), each coordinate as RegionFraction gives it.
std::vector<std::pair<std::string, std::string>> RegionPointFractions(const CTBLVasROI& region);
