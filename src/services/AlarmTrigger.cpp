#include "services/AlarmTrigger.h"

void CAlarmTrigger::Update(int value) {
  if (High(lastValue_) == High(value)) {
    if (runCount_ <= required_) ++runCount_;
  } else {
    runCount_ = 1;
  }
  if (runCount_ == required_) active_ = High(value) ? 1 : 0;
  lastValue_ = value;
}
