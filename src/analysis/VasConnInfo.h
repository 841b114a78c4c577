// CVasConnInfo: one analysis server as the metadata path sees it: how to reach
// its metadata stream and which channels to ask for. A plain value; the AI
// event publisher builds one per server and restarts the metadata receiver
// when its new list differs from the last.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "entities/analysis/Vas.h"

// Authentication of an HTTP stream request: 2 Basic, 3 Digest; any other
// value puts the login into the request's query when either part is set.
enum VasAuthType : int {
  VAS_AUTH_QUERY = 1,
  VAS_AUTH_BASIC = 2,
  VAS_AUTH_DIGEST = 3,
};

struct CVasConnInfo {
  int Reserved = 0;  // the caller's tag, stamped into every result of this server
  int VasID = 0;     // the analysis server; key of the receiver's clients
  int Type = kVasKindOwn;
  int AuthType = VAS_AUTH_QUERY;
  std::string Address;
  int Port = 0;  // used as a 16-bit port
  std::string LoginID;
  std::string Password;  // in clear
  int UseSecure = 0;     // non-zero: TLS
  int UseFR = 0;         // non-zero: ask for face-recognition thumbnails
  std::vector<int> Channels;         // the channel filter; also sizes the parser pool
  std::map<int, int> CameraChannels; // OGQ camera id -> channel

  // Every member takes part, CameraChannels included: a client that maps an
  // OGQ server's camera ids to channels must be restarted when that map
  // changes, or it files events under the channels of the old map.
  bool operator==(const CVasConnInfo&) const = default;
};
