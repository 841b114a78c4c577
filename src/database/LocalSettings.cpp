#include "database/LocalSettings.h"

#include <errno.h>
#include <stdio.h>
#include <sys/stat.h>

#include "foundation/FileUtil.h"
#include "foundation/Log.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlCfg.h"
#include "foundation/XmlParser.h"
#include "platform/Clock.h"

namespace {

constexpr const char* kRootKey = "$Settings$";
constexpr const char* kSettingTag = "Setting";

// The key of the n-th Setting element (n from 1).
std::string SettingKey(int n) { return kRootKey + MakeIndexedKey(kSettingTag, n); }

// True when the file parses as XML from start to end; false also when it
// cannot be read.
bool IsWholeXmlFile(const std::string& path) {
  std::string text;
  if (!ReadWholeFile(path, &text)) return false;
  return XmlIsWholeDocument(text);
}

bool FileExists(const std::string& path, off_t* size) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  *size = st.st_size;
  return true;
}

}  // namespace

CLocalSettings::~CLocalSettings() {
  CScopedLock hold(lock_);
  if (autoSave_ && !path_.empty()) CLocalSettings::Save(path_);
}

bool CLocalSettings::Load(const std::string& path) {
  CScopedLock hold(lock_);
  values_.clear();
  path_ = path;
  unreadable_ = false;
  off_t size = 0;
  if (!FileExists(path, &size)) return false;

  CXmlCfg cfg;
  CStrList repeated;
  repeated.Add(kSettingTag);
  bool readable = cfg.ToCfgCore(path, &repeated);
  bool whole = readable && IsWholeXmlFile(path);
  // What cannot be read whole would be lost at the next save: keep it aside
  // now when saves follow every change, else before the first save (Save).
  unreadable_ = size > 0 && !whole;
  if (autoSave_ && unreadable_) SetAsideUnreadableFile(path);
  // Only a whole file gives values: what could be read of a file cut short
  // is not the operator's text, which the set-aside copy keeps.
  if (!whole) return false;

  int count = cfg.GetCount(JoinKeyPath(kRootKey, kSettingTag));
  for (int n = 1; n <= count; ++n) {
    std::string key = SettingKey(n);
    std::string name = cfg.GetValue(JoinKeyPath(key, "Name"));
    if (name.empty()) continue;
    int category = SettingTextToLong(cfg.GetValue(JoinKeyPath(key, "Category")));
    values_[category][name] = cfg.GetValue(JoinKeyPath(key, "Value"));
  }
  return true;
}

bool CLocalSettings::Save(const std::string& path) {
  CScopedLock hold(lock_);
  if (unreadable_ && !path.empty() && path == path_) SetAsideUnreadableFile(path);
  CXmlCfg cfg;
  cfg.Add(kRootKey, "");
  int n = 0;
  for (const auto& [category, names] : values_) {
    for (const auto& [name, value] : names) {
      std::string key = SettingKey(++n);
      cfg.Add(key, "");
      cfg.Add(JoinKeyPath(key, "Category"), IntToString(category));
      cfg.Add(JoinKeyPath(key, "Name"), name);
      cfg.Add(JoinKeyPath(key, "Value"), value);
    }
  }
  return cfg.ToXml2Core(path);
}

void CLocalSettings::SetAsideUnreadableFile(const std::string& path) {
  unreadable_ = false;
  platform::LocalDateTime now = platform::SystemClock()->LocalNow();
  std::string stem = path + StrFormat(".unreadable-%04d%02d%02d-%02d%02d%02d", now.year, now.month, now.day,
                                      now.hour, now.minute, now.second);
  std::string aside = stem;
  off_t size = 0;
  for (int i = 2; FileExists(aside, &size) && i < 100; ++i) aside = stem + "-" + IntToString(i);
  if (rename(path.c_str(), aside.c_str()) == 0) {
    GATE_LOG(1, "ERROR - '%s' cannot be read; kept as '%s'.\r\n", path.c_str(), aside.c_str());
  } else {
    GATE_LOG(1, "ERROR - '%s' cannot be read and cannot be set aside (errno %d).\r\n", path.c_str(), errno);
  }
}

std::string CLocalSettings::GetValue(int category, const std::string& name) {
  CScopedLock hold(lock_);
  auto names = values_.find(category);
  if (names == values_.end()) return std::string();
  auto value = names->second.find(name);
  return value == names->second.end() ? std::string() : value->second;
}

bool CLocalSettings::HasValue(int category, const std::string& name) {
  CScopedLock hold(lock_);
  auto names = values_.find(category);
  return names != values_.end() && names->second.count(name) != 0;
}

bool CLocalSettings::SetValue(int category, const std::string& name, const std::string& text) {
  CScopedLock hold(lock_);
  values_[category][name] = text;
  if (!autoSave_ || IsUpdating()) return true;
  if (path_.empty()) return false;
  return Save(path_);
}

void CLocalSettings::BeginUpdate() {
  CScopedLock hold(lock_);
  ++updating_[std::this_thread::get_id()];
}

void CLocalSettings::EndUpdate() {
  CScopedLock hold(lock_);
  auto it = updating_.find(std::this_thread::get_id());
  if (it == updating_.end()) return;
  if (--it->second > 0) return;
  updating_.erase(it);
  if (updating_.empty() && !path_.empty()) Save(path_);
}

bool CLocalSettings::IsUpdating() {
  CScopedLock hold(lock_);
  return !updating_.empty();
}

void CLocalSettings::SetAutoSave(bool autoSave) {
  CScopedLock hold(lock_);
  autoSave_ = autoSave;
}

bool CLocalSettings::GetAutoSave() {
  CScopedLock hold(lock_);
  return autoSave_;
}

std::string CLocalSettings::GetPath() {
  CScopedLock hold(lock_);
  return path_;
}

size_t CLocalSettings::GetValueCount() {
  CScopedLock hold(lock_);
  size_t count = 0;
  for (const auto& entry : values_) count += entry.second.size();
  return count;
}
