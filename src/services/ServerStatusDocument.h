// The server status document as the server status publisher posts it: one
// CServerStatusData per analysis server (TBL_Vas row, whatever its kind) of
// a store, in key order, with the server's GPU rows (LTBL_VasGPUStatus) in
// key order numbered from 1. Reads only the store's cache (a table not yet
// cached is loaded once); the GPU rows may be changed by a status handler
// meanwhile, so a document may mix two consecutive messages of a server.
#pragma once

#include <vector>

#include "services/ServerStatusData.h"

class IDataStore;

// The servers of `store` with their GPUs; empty when there is no TBL_Vas row.
std::vector<CServerStatusData> CollectServerStatuses(IDataStore& store);
