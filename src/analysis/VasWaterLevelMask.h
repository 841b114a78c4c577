// One water-level mask exchange with an own-kind analysis server
// (IVasService::GetWaterLevelMask): what the caller sends and, on success
// only, what the server answered. Owned by the caller.
#pragma once

#include <array>
#include <vector>

struct VasWaterLevelMask {
  // ---- sent ----
  int RequestValue1 = 0;   // third word of the request block
  int RequestValue2 = 0;   // fourth word of the request block
  std::vector<char> Data;  // the data bytes
  int HasExtra = 0;        // non-zero: the eight extra values go along and an extra result comes back
  std::array<int, 8> ExtraValues{};

  // ---- received (written only on success) ----
  int ReplyValue1 = 0;
  int ReplyValue2 = 0;
  int ReplyLength = 0;          // mask bytes received
  std::vector<char> ReplyData;  // the mask bytes
  double ExtraResult = 0.0;     // 0.0 without HasExtra
};
