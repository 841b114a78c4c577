// The things of the building-IoT platform as this system names and fills
// them: one video-gateway thing per recording server, one edge thing per
// analysed camera under the gateway of its recording server, and the login
// result of the platform's account.
#pragma once

#include <string>

// "VIDEO_GW.%04d": the gateway thing of recording server `zavNo`.
std::string MakeGatewayThingName(int zavNo);
// "VIDEO-CAMERA.%04d%04d": the edge thing of channel `channel` of recording server `zavNo`.
std::string MakeEdgeThingName(int zavNo, int channel);
// The number of a thing name split at "." (empty pieces dropped): true with
// atol of the second piece when there are exactly two pieces, else false.
// For an edge name the number is zav * 10000 + channel.
bool ParseThingNumber(const std::string& name, int* number);

// What the account login returned.
struct CBIoTLoginResult {
  std::string authToken;
  std::string customerId;
  bool isLoginSuccess = false;  // "Y" in any letter case
  std::string userStateCode;
};

// A video-gateway thing: the first five fields go with the add, the last two
// with the attribute update.
struct CBIoTGatewayThing {
  std::string activationStateCode = "ACT";
  std::string modelName;
  std::string thingName;
  std::string thingNickName;
  std::string uniqueNum;
  std::string vms_media_server_url;
  std::string vms_site_name;
};

// An edge thing: the first six fields go with the add, the last two with the
// attribute update.
struct CBIoTEdgeThing {
  std::string activationStateCode = "ACT";
  std::string modelName;
  std::string parentThingName;
  std::string thingName;
  std::string thingNickName;
  std::string uniqueNum;
  std::string camera_channel_info;
  std::string cameraName;
};
