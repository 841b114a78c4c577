#include "app/AppServices.h"

#include "app/TorvaneGateManagerApp.h"

const std::vector<CGateServiceRegistration>& GetRegisteredServices() {
  // One line per service; a service joins the program by giving its factory here.
  static const std::vector<CGateServiceRegistration> registrations = {
      {GateServiceKind::DataSynchronizer, nullptr},
      {GateServiceKind::NvrDataSynchronizer, nullptr},
      {GateServiceKind::AIEventPublisher, nullptr},
      {GateServiceKind::ServerStatusPublisher, nullptr},
      {GateServiceKind::HTNvrDataSynchronizer, nullptr},
      {GateServiceKind::AlarmOutputPublisher, nullptr},
      {GateServiceKind::MetroEventReceiver, nullptr},
  };
  return registrations;
}

std::vector<std::shared_ptr<IGateService>> BuildRegisteredServices(CTorvaneGateManagerApp& app) {
  std::vector<std::shared_ptr<IGateService>> services;
  for (const CGateServiceRegistration& registration : GetRegisteredServices()) {
    if (registration.make == nullptr) continue;
    if (std::shared_ptr<IGateService> service = registration.make(app)) services.push_back(std::move(service));
  }
  return services;
}
