#include "app/AppServices.h"

#include "app/TorvaneGateManagerApp.h"
#include "services/AIEventPublisher.h"
#include "services/AlarmOutputPublisher.h"
#include "services/ServerStatusPublisher.h"
#include "services/VuzorMetroEventReceiver.h"
#include "shell/AIEventPublisherItem.h"
#include "shell/AlarmOutputPublisherItem.h"
#include "shell/DataSynchronizerItem.h"
#include "shell/HTNvrDataSynchronizerItem.h"
#include "shell/NvrDataSynchronizerItem.h"
#include "shell/ServerStatusPublisherItem.h"
#include "shell/VuzorMetroEventReceiverItem.h"
#include "sync/BIoTManagerLink.h"
#include "sync/DataSynchronizer.h"
#include "sync/HTNvrDataSynchronizer.h"
#include "sync/NvrDataSynchronizer.h"

namespace {

std::shared_ptr<IGateService> MakeDataSynchronizer(CTorvaneGateManagerApp& app) {
  auto service = std::make_shared<CDataSynchronizer>(app.GetAppSettings());
  service->SetBIoTManagerFactory(&MakeBIoTDataManager);
  return service;
}

std::shared_ptr<IGateService> MakeNvrDataSynchronizer(CTorvaneGateManagerApp& app) {
  return std::make_shared<CNvrDataSynchronizer>(app.GetAppSettings());
}

std::shared_ptr<IGateService> MakeHTNvrDataSynchronizer(CTorvaneGateManagerApp& app) {
  return std::make_shared<CHTNvrDataSynchronizer>(app.GetAppSettings());
}

std::shared_ptr<IGateService> MakeAIEventPublisher(CTorvaneGateManagerApp& app) {
  return std::make_shared<CAIEventPublisher>(app.GetAppSettings());
}

std::shared_ptr<IGateService> MakeServerStatusPublisher(CTorvaneGateManagerApp& app) {
  return std::make_shared<CServerStatusPublisher>(app.GetAppSettings());
}

std::shared_ptr<IGateService> MakeAlarmOutputPublisher(CTorvaneGateManagerApp& app) {
  return std::make_shared<CAlarmOutputPublisher>(app.GetAppSettings());
}

std::shared_ptr<IGateService> MakeMetroEventReceiver(CTorvaneGateManagerApp& app) {
  return std::make_shared<CVuzorMetroEventReceiver>(app.GetAppSettings());
}

}  // namespace

const std::vector<CGateServiceRegistration>& GetRegisteredServices() {
  // One line per service; a service joins the program by giving its factory
  // here (until then its line holds only its kind).
  static const std::vector<CGateServiceRegistration> registrations = {
      {&kDataSynchronizerKind, &MakeDataSynchronizer},
      {&kNvrDataSynchronizerKind, &MakeNvrDataSynchronizer},
      {&kAIEventPublisherKind, &MakeAIEventPublisher},
      {&kServerStatusPublisherKind, &MakeServerStatusPublisher},
      {&kHTNvrDataSynchronizerKind, &MakeHTNvrDataSynchronizer},
      {&kAlarmOutputPublisherKind, &MakeAlarmOutputPublisher},
      {&kMetroEventReceiverKind, &MakeMetroEventReceiver},
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
