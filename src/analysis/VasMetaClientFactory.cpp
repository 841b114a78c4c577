#include "analysis/VasMetaClientFactory.h"

#include <map>

#include "analysis/VasMetaClientTorvane.h"

namespace {

using Creator = std::shared_ptr<CVasMetaClientBase> (*)(const CVasConnInfo&, CVasMetaReceiver*);

template <typename Client>
std::shared_ptr<CVasMetaClientBase> Make(const CVasConnInfo& info, CVasMetaReceiver* receiver) {
  return std::make_shared<Client>(info, receiver);
}

// Kind -> client. The AI-engine kinds (OGQ, ZAV AI, SKT AI) join here as
// their clients arrive.
const std::map<int, Creator>& Creators() {
  static const std::map<int, Creator> creators = {
      {VAS_KIND_TORVANE, &Make<CVasMetaClientTorvane>},
  };
  return creators;
}

}  // namespace

std::shared_ptr<CVasMetaClientBase> CreateVasMetaClient(const CVasConnInfo& info, CVasMetaReceiver* receiver) {
  auto found = Creators().find(info.Type);
  return found == Creators().end() ? nullptr : found->second(info, receiver);
}
