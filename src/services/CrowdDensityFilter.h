// CCrowdDensityFilter: the crowd-density reading of an analysis result that
// is worth sending, and the suppression of its repeats. Of a result's
// readings the highest level wins, then the highest density (a density that
// is no number never wins; a tie keeps the earlier reading). Per server and
// channel the last published reading is kept: a reading of the same level
// within the repeat period of that publication is suppressed, another level
// is published at once.
//
// Not guarded: only the metadata receiver's thread uses it (and Start, while
// the receiver is stopped).
#pragma once

#include <stdint.h>

#include <map>
#include <tuple>
#include <vector>

#include "analysis/VAR.h"

// (0, VasID, channel): the key of a server channel.
using CVasChannelKey = std::tuple<int, int, int>;

struct CCrowdReading {
  int roiNumber = 0;
  int level = 0;
  double density = 0.0;
  int count = 0;
  int event = 0;
  int64_t time = 0;  // when it was published (seconds)
};

class CCrowdDensityFilter {
 public:
  // The strongest reading of `readings` ({ROI 0, level 0, density 0} when none wins).
  static CCrowdReading ChooseBest(const std::vector<CVARCrowdDensity>& readings);
  // Whether `best` of `key` is published at `now` (seconds) with the repeat
  // period `periodSeconds`; a published reading becomes the key's last one.
  bool ShouldPublish(const CVasChannelKey& key, const CCrowdReading& best, int64_t now, int periodSeconds);
  // Forgets every last reading.
  void Clear() { last_.clear(); }

 private:
  std::map<CVasChannelKey, CCrowdReading> last_;
};
