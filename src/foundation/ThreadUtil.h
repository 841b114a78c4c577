// CThreadUtil: names threads for debuggers and tools, with a log line.
#pragma once

#include <stdint.h>

#include <string>

class CThreadUtil {
 public:
  // Logs "INFO - '<name>' (<id>) Thread Created." at level 1 with the full
  // name, then names thread `threadId` (the kernel keeps the first 15 bytes).
  static void SetThreadName(uint32_t threadId, const std::string& name);
};
