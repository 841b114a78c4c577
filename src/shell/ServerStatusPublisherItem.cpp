#include "shell/ServerStatusPublisherItem.h"

const TGateServiceKind<CServerStatusPublisherItem, CServerStatusPublisherItemStatus> kServerStatusPublisherKind = {
    {4, "ServerStatusPublisher", 45, false, false},
    nullptr,
    &TargetUrlView<CServerStatusPublisherItem>,
    &LastExecutedView<CServerStatusPublisherItemStatus>,
};
