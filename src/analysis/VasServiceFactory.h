// VasServiceFactory: makes the service adapter for an analysis server row.
#pragma once

#include <memory>

#include "analysis/IVasService.h"

class VasServiceFactory {
 public:
  // A new adapter chosen by the row's kind (CTBLVas::GetVasKind): 1 gives a
  // VasTorvaneAdapter; any other kind, or a null row, an empty pointer.
  static std::shared_ptr<IVasService> CreateVasService(const CTBLVas* row);
};
