// The data synchronizer's view of the building-IoT data manager: each call
// of IBIoTDataManager runs the manager over a fresh adapter made from the
// manager's settings and user token, as one synchronisation run does.
#pragma once

#include <memory>

#include "sync/BIoTDataSync.h"

// The factory the application gives the data synchronizer: a manager with
// `settings` (no call made yet).
std::shared_ptr<IBIoTDataManager> MakeBIoTDataManager(const CBIoTManagerSettings& settings);
