#include "services/CrowdDensityFilter.h"

CCrowdReading CCrowdDensityFilter::ChooseBest(const std::vector<CVARCrowdDensity>& readings) {
  CCrowdReading best;
  for (const CVARCrowdDensity& reading : readings) {
    double density = reading.Density;
    // A NaN density compares false both ways, so it never wins a tie.
    if (reading.Level > best.level || (reading.Level == best.level && density > best.density)) {
      best.roiNumber = reading.ROINumber;
      best.level = reading.Level;
      best.density = density;
      best.count = reading.Count;
      best.event = reading.Event;
    }
  }
  return best;
}

bool CCrowdDensityFilter::ShouldPublish(const CVasChannelKey& key, const CCrowdReading& best, int64_t now,
                                        int periodSeconds) {
  auto it = last_.find(key);
  if (it != last_.end() && it->second.level == best.level && now >= it->second.time &&
      now - it->second.time < periodSeconds) {
    return false;
  }
  CCrowdReading published = best;
  published.time = now;
  last_[key] = published;
  return true;
}
