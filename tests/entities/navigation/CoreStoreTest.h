// StoreTest with helpers that add the core rows the navigation tests build
// their installations from.
#pragma once

#include <memory>
#include <string>

#include "StoreTest.h"
#include "entities/Camera.h"
#include "entities/CameraGroup.h"
#include "entities/CameraList.h"

class CoreStoreTest : public StoreTest {
 protected:
  std::shared_ptr<CTBLCamera> AddCamera(const std::string& name, int zavNo = -1, int channel = -1) {
    CTBLCamera camera;
    camera.SetName(name);
    camera.SetZavNo(zavNo);
    camera.SetZavChannel(channel);
    return Add(camera);
  }
  std::shared_ptr<CTBLCameraGroup> AddGroup(const std::string& name, int parent = 0, int order = -1) {
    CTBLCameraGroup group;
    group.SetGroupName(name);
    group.SetParentNo(parent);
    group.SetOrder(order);
    return Add(group);
  }
  std::shared_ptr<CTBLCameraList> AddLink(int group, int camera, int order) {
    CTBLCameraList link;
    link.SetCameraGroupNo(group);
    link.SetCameraNo(camera);
    link.SetOrder(order);
    return Add(link);
  }
};
