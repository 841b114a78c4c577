// The replies a fake Hitron NVR gives the HT NVR synchronizer: the login
// accepted and a camera list of given channels. Shared by the synchronizer
// tests and its benchmark.
#pragma once

#include <stdint.h>

#include <map>
#include <string>
#include <vector>

#include "FakeHitronNvr.h"

namespace hitron_replies {

constexpr uint32_t kLoginReply = 0x80000001;
constexpr uint32_t kListReply = 0x80020000;
constexpr size_t kLoginPacket = 208;  // preamble, header and login payload
constexpr size_t kListPacket = 72;    // header and list request
constexpr size_t kRecordSize = 2736;
constexpr size_t kNameOffset = 2620;

inline std::string Word(uint32_t w) {
  std::string out;
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((w >> (8 * i)) & 0xFF));
  return out;
}

// A camera-list reply: 40 bytes, the count, then one record per channel with
// its channel number at offset 8 and its name at offset 2620.
inline std::string CameraList(const std::map<int, std::string>& channels) {
  std::string payload(40, '\0');
  payload += Word(static_cast<uint32_t>(channels.size()));
  for (const auto& [channel, name] : channels) {
    std::string record(kRecordSize, '\0');
    record.replace(8, 4, Word(static_cast<uint32_t>(channel)));
    record.replace(kNameOffset, name.size(), name);
    payload += record;
  }
  return FakeHitronNvr::Reply(kListReply, payload);
}

// The login accepted.
inline std::string LoginAccepted() { return FakeHitronNvr::Reply(kLoginReply, std::string(16, '\0')); }

// The script of an NVR that accepts the login and lists `channels`.
inline std::vector<FakeHitronNvr::Step> Serving(const std::map<int, std::string>& channels) {
  return {{kLoginPacket, LoginAccepted()}, {kListPacket, CameraList(channels)}};
}

}  // namespace hitron_replies
