#include "shell/NvrDataSynchronizerItem.h"

const TGateServiceKind<CNvrDataSynchronizerItem, CNvrDataSynchronizerItemStatus> kNvrDataSynchronizerKind = {
    {2, "NvrDataSynchronizer", 46, true, false},
    &LastSynchronizedView<CNvrDataSynchronizerItem>,
    &TargetAddressView<CNvrDataSynchronizerItem>,
    &LastExecutedView<CNvrDataSynchronizerItemStatus>,
};
