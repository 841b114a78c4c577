// What the alarm output publisher sends to a relay board: which alarm values
// switch an output, and the parameter line that sets it.
#pragma once

#include <string>

// Alarm values handed to the relay outputs.
constexpr int kAlarmManagementActive = 1;
constexpr int kAlarmManagementInactive = 2;
constexpr int kAlarmPidsActive = 3;
constexpr int kAlarmPidsInactive = 4;

// LastErrorCode values of an alarm output.
constexpr int kRelaySent = 0;
constexpr int kRelayWrongDevice = 1;
constexpr int kRelayInvalidArgument = 3;
constexpr int kRelayRequestFailed = 4;

// The relay action of alarm `value` for an output following alarm
// `eventKind` (1 management, 2 PIDS): kRelayClose, kRelayOpen or kRelayIgnore.
enum class CRelayAction { kIgnore, kClose, kOpen };
CRelayAction RelayActionFor(int eventKind, int value);

// "OutputPin.<channel>.State=close" or "...=open".
std::string RelayRequestBody(int channel, bool close);

// True for the channels a board accepts, 0 to 8.
inline bool IsValidRelayChannel(int channel) { return channel >= 0 && channel <= 8; }
