#include "shell/AIEventPublisherItem.h"

const TGateServiceKind<CAIEventPublisherItem, CAIEventPublisherItemStatus> kAIEventPublisherKind = {
    {3, "AIEventPublisher", 15, false, false},
    nullptr,
    &TargetUrlView<CAIEventPublisherItem>,
    &LastExecutedView<CAIEventPublisherItemStatus>,
};
