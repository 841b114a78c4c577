#include "biot/BIoTThings.h"

#include <stdlib.h>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"

std::string MakeGatewayThingName(int zavNo) { return StrFormat("%s.%04d", "VIDEO_GW", zavNo); }

std::string MakeEdgeThingName(int zavNo, int channel) {
  return StrFormat("%s.%04d%04d", "VIDEO-CAMERA", zavNo, channel);
}

bool ParseThingNumber(const std::string& name, int* number) {
  CStrList pieces;
  pieces.Split(name, ".");
  if (pieces.GetCount() != 2) return false;
  *number = static_cast<int>(atol(pieces.GetAt(1).c_str()));
  return true;
}
