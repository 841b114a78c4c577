#include "entities/NRS.h"

#include "foundation/StringUtil.h"

std::string CTBLNRS::GetDisplayText() const {
  return StrFormat("%s (%s)", GetName().c_str(), GetAddr().c_str());
}

GATE_REGISTER_ENTITY(CTBLNRS);
