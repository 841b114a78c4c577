#include "services/RelayOutput.h"

CRelayAction RelayActionFor(int eventKind, int value) {
  int closeValue = 0;
  int openValue = 0;
  if (eventKind == 1) {
    closeValue = kAlarmManagementActive;
    openValue = kAlarmManagementInactive;
  } else if (eventKind == 2) {
    closeValue = kAlarmPidsActive;
    openValue = kAlarmPidsInactive;
  } else {
    return CRelayAction::kIgnore;
  }
  if (value == closeValue) return CRelayAction::kClose;
  if (value == openValue) return CRelayAction::kOpen;
  return CRelayAction::kIgnore;
}

std::string RelayRequestBody(int channel, bool close) {
  return "OutputPin." + std::to_string(channel) + ".State=" + (close ? "close" : "open");
}
