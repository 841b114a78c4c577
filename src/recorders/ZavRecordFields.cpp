#include "recorders/ZavRecordFields.h"

#include "database/ISettingManager.h"

std::vector<int32_t> ZavChannelList(const std::string& text) {
  std::vector<int32_t> channels;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(',', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) channels.push_back(SettingTextToLong(text.substr(start, end - start)));
    start = end + 1;
  }
  return channels;
}
