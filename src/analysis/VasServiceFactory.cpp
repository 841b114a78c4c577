#include "analysis/VasServiceFactory.h"

#include "analysis/VasTorvaneAdapter.h"
#include "entities/analysis/Vas.h"

std::shared_ptr<IVasService> VasServiceFactory::CreateVasService(const CTBLVas* row) {
  if (!row) return nullptr;
  switch (row->GetVasKind()) {
    case kVasKindOwn:
      return std::make_shared<VasTorvaneAdapter>(*row);
    default:
      return nullptr;
  }
}
