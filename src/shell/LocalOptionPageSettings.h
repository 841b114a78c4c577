// CLocalOptionPageSettings: Settings/OptionPageSettings.xml, which says which
// pages the option dialog offers. The option dialog owns one, turns its
// automatic saving off and loads it when it opens; the program never writes it.
#pragma once

#include <string>

#include "database/LocalSettings.h"

class CLocalOptionPageSettings : public CLocalSettings {
 public:
  // The category-0 switches, one per page.
  static constexpr const char* kDataSyncVisible = "DataSyncVisible";
  static constexpr const char* kNvrSyncVisible = "NvrSyncVisible";
  static constexpr const char* kAIEventPublisherVisible = "AIEventPublisherVisible";
  static constexpr const char* kServerStatusVisible = "ServerStatusVisible";
  static constexpr const char* kHTNvrSyncVisible = "HTNvrSyncVisible";
  static constexpr const char* kAlarmOutVisible = "AlarmOutVisible";
  static constexpr const char* kVuzorMetroEvent = "VuzorMetroEvent";

  CLocalOptionPageSettings() = default;
  ~CLocalOptionPageSettings() override = default;

  // The base's Load; its result is kept as the loaded flag and returned.
  bool Load(const std::string& path) override;
  // Under the base's lock: the base's Save only when the file was loaded or a
  // value is held; otherwise nothing is written and the result is true.
  bool Save(const std::string& path) override;

  // Whether the page of `key` is offered: its switch read with GetBool, whose
  // default is 1 while no file was loaded and 0 once one was; the metro event
  // page (kVuzorMetroEvent) defaults to 0 either way.
  bool IsPageVisible(const std::string& key);
  bool IsLoaded();

 private:
  bool loaded_ GUARDED_BY(GetLock()) = false;
};
