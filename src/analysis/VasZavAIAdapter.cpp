#include "analysis/VasZavAIAdapter.h"

#include <memory>

#include "analysis/AIDeviceAdapter.h"
#include "database/IDataStore.h"
#include "entities/Camera.h"
#include "entities/analysis/VasDevice.h"

int VasZavAIAdapter::SetDeviceROI(IDataStore* store, CTBLVas* /*row*/, int* error, int vasDeviceId) {
  Succeed(error);
  auto device = store ? std::dynamic_pointer_cast<CTBLVasDevice>(store->FindCachedEntity("TBL_VasDevice", vasDeviceId))
                      : nullptr;
  if (!device) return Fail(error, kVasErrorNoEngineDevice);
  auto camera = device->GetCamera();
  auto adapter = camera ? CreateAIDeviceAdapter(camera->GetVendor(), camera->GetModelName()) : nullptr;
  if (!adapter) return Fail(error, kVasErrorNoDeviceAdapter);
  return adapter->SetDeviceROI(store, error, vasDeviceId);
}
