#include "shell/HTNvrDataSynchronizerItem.h"

const TGateServiceKind<CHTNvrDataSynchronizerItem, CHTNvrDataSynchronizerItemStatus> kHTNvrDataSynchronizerKind = {
    {5, "HTNvrDataSynchronizer", 48, true, false},
    &LastSynchronizedView<CHTNvrDataSynchronizerItem>,
    &TargetAddressView<CHTNvrDataSynchronizerItem>,
    &LastExecutedView<CHTNvrDataSynchronizerItemStatus>,
};
