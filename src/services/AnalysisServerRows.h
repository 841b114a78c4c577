// The analysis-server rows as the AI event publisher reads them to build the
// metadata receiver's server list: only the columns that decide how a
// server's metadata stream is reached. Kept apart from the receiver's own
// headers (the row and the connection record name their server kinds alike).
#pragma once

#include <string>
#include <vector>

class IDataStore;

struct CAnalysisServerRow {
  int vasId = 0;
  int type = 0;
  int authType = 0;
  std::string address;  // Addr as stored
  int webPort = 0;
  int secureWebPort = 0;
  bool useSecure = false;
  bool useFR = false;
};

// Every TBL_Vas row the store lists, ascending VasID (loads the table when
// it is not cached). Blocks on the database for that load.
std::vector<CAnalysisServerRow> ReadAnalysisServerRows(IDataStore& store);
