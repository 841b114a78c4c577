// fuzz-libs: gate_shell
// The job lists over arbitrary stored texts (a hand-edited settings file):
// reading never crashes, and what was read is written and read back equal.
#include <stddef.h>
#include <stdint.h>

#include <string>
#include <string_view>

#include "foundation/JsonSerializer.h"
#include "shell/AIEventPublisherItem.h"
#include "shell/AlarmOutputPublisherItem.h"
#include "shell/DataSynchronizerItem.h"
#include "shell/HTNvrDataSynchronizerItem.h"
#include "shell/NvrDataSynchronizerItem.h"
#include "shell/ServerStatusPublisherItem.h"
#include "shell/VuzorMetroEventReceiverItem.h"

namespace {

template <typename List>
void RoundTrip(std::string_view text) {
  List list;
  if (!CJsonSerializer::Deserialize(text, &list)) return;
  CSerializationInfo root;
  list.Serialize(root);
  std::string stored;
  CJsonSerializer::Serialize(root, &stored);
  List back;
  if (!stored.empty() && !CJsonSerializer::Deserialize(stored, &back)) __builtin_trap();
  if (!back.IsEqual(list)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  RoundTrip<CDataSynchronizerItems>(text);
  RoundTrip<CNvrDataSynchronizerItems>(text);
  RoundTrip<CHTNvrDataSynchronizerItems>(text);
  RoundTrip<CAIEventPublisherItems>(text);
  RoundTrip<CServerStatusPublisherItems>(text);
  RoundTrip<CAlarmOutputPublisherItems>(text);
  RoundTrip<CVuzorMetroEventReceiverItems>(text);
  return 0;
}
