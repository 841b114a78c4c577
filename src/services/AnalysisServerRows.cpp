#include "services/AnalysisServerRows.h"

#include "database/IDataStore.h"
#include "entities/analysis/Vas.h"

std::vector<CAnalysisServerRow> ReadAnalysisServerRows(IDataStore& store) {
  std::vector<CAnalysisServerRow> rows;
  for (const auto& entry : store.GetCachedEntityList(CTBLVas::kTableName)) {
    auto vas = std::dynamic_pointer_cast<CTBLVas>(entry.second);
    if (!vas) continue;
    CAnalysisServerRow row;
    row.vasId = vas->GetVasID();
    row.type = vas->GetType();
    row.authType = vas->GetAuthType();
    row.address = vas->GetAddr();
    row.webPort = vas->GetWebPort();
    row.secureWebPort = vas->GetSecureWebPort();
    row.useSecure = vas->GetUseSecure() != 0;
    row.useFR = vas->GetUseFR() != 0;
    rows.push_back(std::move(row));
  }
  return rows;
}
