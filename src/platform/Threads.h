// Thread identity and names. Linux gives a thread name 15 bytes; callers pass
// the full name (log lines keep it) and only the kernel's copy is cut.
#pragma once

#include <stdint.h>

#include <string>

namespace platform {

// The kernel's id of the calling thread (gettid), as the system prints it.
uint32_t CurrentThreadId();

// Names thread `threadId` of this process for debuggers and tools (its first
// 15 bytes). Returns false when the thread is gone or cannot be named.
bool SetThreadName(uint32_t threadId, const std::string& name);

// The kernel's name of thread `threadId` of this process, "" when unknown.
std::string GetThreadName(uint32_t threadId);

// The number of processors the process may run on (at least 1).
int ProcessorCount();

}  // namespace platform
