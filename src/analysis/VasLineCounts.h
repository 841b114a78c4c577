// The line counts a caller hands to an own-kind analysis server's base-count
// request: per channel of a server, line number to the line's count row,
// whose per-class counts (CTBLVasObjectCount) the request reads.
#pragma once

#include <map>
#include <memory>
#include <tuple>

#include "entities/analysis/VasObjectCount.h"

// (0, VasID, channel), compared member by member in that order.
using VasChannelKey = std::tuple<int, int, int>;

struct VasLineCounts : std::map<VasChannelKey, std::map<int, std::shared_ptr<CTBLVasObjectCount>>> {};
