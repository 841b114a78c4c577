#include "AnalysisStoreFixture.h"

#include <stdlib.h>
#include <time.h>

ScopedTimeZone::ScopedTimeZone(const char* zone) {
  if (const char* old = getenv("TZ")) {
    had_ = true;
    old_ = old;
  }
  setenv("TZ", zone, 1);
  tzset();
}

ScopedTimeZone::~ScopedTimeZone() {
  if (had_) {
    setenv("TZ", old_.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}
