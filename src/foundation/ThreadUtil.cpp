#include "foundation/ThreadUtil.h"

#include "foundation/Log.h"
#include "platform/Threads.h"

void CThreadUtil::SetThreadName(uint32_t threadId, const std::string& name) {
  GATE_LOG(1, "INFO - '%s' (%u) Thread Created.", name.c_str(), threadId);
  platform::SetThreadName(threadId, name);
}
