#include "sync/DeviceUserFields.h"

#include <errno.h>
#include <sys/stat.h>

#include "entities/Camera.h"
#include "foundation/Log.h"
#include "platform/AtomicFile.h"

namespace {

const char* const kUserFieldNames[] = {"MANAGEMENT_CODE", "SITE_CODE", "VENDOR", "MODEL"};
constexpr int kUserFieldCount = 20;

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

}  // namespace

CDeviceUserFields::CDeviceUserFields() { settings_.SetAutoSave(false); }

void CDeviceUserFields::Load(const std::string& path, const std::string& defaultPath) {
  if (!FileExists(path) && FileExists(defaultPath)) {
    int err = 0;
    if (!platform::CopyFileNoReplace(defaultPath, path, &err) && err != EEXIST) {
      GATE_LOG(1, "ERROR - Error raised when copy default DeviceUserField.xml file. The error code is %u\r\n",
               static_cast<unsigned>(err));
    }
  }
  settings_.Load(path);
}

SyncUserFieldValues CDeviceUserFields::Resolve(const CTBLCamera& camera) {
  SyncUserFieldValues values;
  for (const char* name : kUserFieldNames) {
    if (!settings_.HasValue(0, name)) continue;
    int index = settings_.GetLong(0, name, 0);
    if (index >= 0 && index < kUserFieldCount) values[name] = camera.GetUserField(index);
  }
  return values;
}
