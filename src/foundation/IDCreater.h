// CIDCreater: sequential IDs per key name. Regular IDs run 1 to 0x7FFFFFFD
// and start again at 1; temporary IDs (counted under "<key>_Temp") are
// negative, 0x80000003 up to 0xFFFFFFFF (-1), then 0x80000003 again: they
// never meet a regular ID, a database key or 0 ("no transaction").
#pragma once

#include <stdint.h>

#include <map>
#include <string>

#include "foundation/Lock.h"

class CIDCreater {
 public:
  static constexpr int32_t kLastRegularId = 0x7FFFFFFD;
  static constexpr int32_t kFirstTemporaryId = static_cast<int32_t>(0x80000003u);

  CIDCreater() = default;
  virtual ~CIDCreater();
  CIDCreater(const CIDCreater&) = delete;
  CIDCreater& operator=(const CIDCreater&) = delete;

  // The process-wide source, made on the first call (thread-safe). It lives
  // for the whole process; after DestroyInstance it hands out only 0.
  static CIDCreater* GetInstance();
  // Disables the process-wide source at exit (its memory stays for late callers).
  static void DestroyInstance();

  // The next ID of `key` (of "<key>_Temp" when `temporary`); 0 once disabled.
  // Takes the lock: concurrent callers of one key get distinct values.
  int32_t NextID(const std::string& key, bool temporary = false);
  // Makes `value` the key's last ID (the next is value + 1). Takes the lock.
  void SetCurrentID(const std::string& key, int32_t value);

 private:
  CLock lock_;
  std::map<std::string, int32_t> lastIds_ GUARDED_BY(lock_);
  bool enabled_ GUARDED_BY(lock_) = true;
};
