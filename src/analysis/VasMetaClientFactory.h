// The metadata client of each analysis-server kind, made in one place.
#pragma once

#include <memory>

#include "analysis/VasConnInfo.h"

class CVasMetaClientBase;
class CVasMetaReceiver;

// A new, not yet running client for the record's kind, or null for a kind
// that has no metadata client here.
std::shared_ptr<CVasMetaClientBase> CreateVasMetaClient(const CVasConnInfo& info, CVasMetaReceiver* receiver);
