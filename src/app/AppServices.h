// The services of the program: one registration line each in
// AppServices.cpp. The application object builds them at start-up and the
// main window takes them in their fixed order.
#pragma once

#include <memory>
#include <vector>

#include "shell/GateService.h"

class CTorvaneGateManagerApp;

// How to build one service from the application object (its settings, its
// shared store); null while the service is not part of the program.
using GateServiceFactory = std::shared_ptr<IGateService> (*)(CTorvaneGateManagerApp& app);

struct CGateServiceRegistration {
  GateServiceKind kind;
  GateServiceFactory make;
};

// The registration lines, in the fixed order.
const std::vector<CGateServiceRegistration>& GetRegisteredServices();

// Builds every registered service that has a factory, in the fixed order.
std::vector<std::shared_ptr<IGateService>> BuildRegisteredServices(CTorvaneGateManagerApp& app);
