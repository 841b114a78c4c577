#include "analysis/VasServiceFactory.h"

#include "analysis/VasEngineAdapter.h"
#include "analysis/VasSKTAIAdapter.h"
#include "analysis/VasTorvaneAdapter.h"
#include "analysis/VasZavAIAdapter.h"
#include "entities/analysis/Vas.h"

std::shared_ptr<IVasService> VasServiceFactory::CreateVasService(const CTBLVas* row) {
  if (!row) return nullptr;
  switch (row->GetVasKind()) {
    case kVasKindOwn:
      return std::make_shared<VasTorvaneAdapter>(*row);
    case kVasKindOgq:
      return std::make_shared<VasOGQAdapter>(*row);
    case kVasKindZavAi:
      return std::make_shared<VasZavAIAdapter>(*row);
    case kVasKindSktServer:
    case kVasKindSktEdge:
      return std::make_shared<VasSKTAIAdapter>(*row);
    default:
      return nullptr;
  }
}
