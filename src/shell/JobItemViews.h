// What the main window shows of the services' job records: each service
// hands its jobs and run statuses to the window through these conversions
// (IGateService::GetItems, GetItem, GetItemStatus). Status times become local
// time texts, "" when the stored UTC text does not parse.
#pragma once

#include "shell/AIEventPublisherItem.h"
#include "shell/AlarmOutputPublisherItem.h"
#include "shell/DataSynchronizerItem.h"
#include "shell/GateService.h"
#include "shell/HTNvrDataSynchronizerItem.h"
#include "shell/JobItemStatus.h"
#include "shell/NvrDataSynchronizerItem.h"
#include "shell/ServerStatusPublisherItem.h"
#include "shell/VuzorMetroEventReceiverItem.h"

// ID, SourceData and TargetUrl.
CGateServiceItem MakeGateServiceItem(const CDataSynchronizerItem& item);
// ID and TargetAddress.
CGateServiceItem MakeGateServiceItem(const CNvrDataSynchronizerItem& item);
CGateServiceItem MakeGateServiceItem(const CHTNvrDataSynchronizerItem& item);
// ID and TargetUrl.
CGateServiceItem MakeGateServiceItem(const CAIEventPublisherItem& item);
CGateServiceItem MakeGateServiceItem(const CServerStatusPublisherItem& item);
// ID, EventKind, Channel and TargetUrl.
CGateServiceItem MakeGateServiceItem(const CAlarmOutputPublisherItem& item);
// ID and Port.
CGateServiceItem MakeGateServiceItem(const CVuzorMetroEventReceiverItem& item);

// ID, both times and LastErrorCode (also the NVR and HT NVR statuses).
CGateServiceItemStatus MakeGateServiceItemStatus(const CDataSynchronizerItemStatus& status);
// ID, LastDateTimeExecuted and LastErrorCode.
CGateServiceItemStatus MakeGateServiceItemStatus(const CJobItemStatus& status);
// ID, LastDateTimeReceived and LastErrorCode.
CGateServiceItemStatus MakeGateServiceItemStatus(const CVuzorMetroEventReceiverItemStatus& status);
