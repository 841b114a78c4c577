#include "analysis/VasMetaClientFactory.h"

#include <map>

#include "analysis/VasMetaClientOGQ.h"
#include "analysis/VasMetaClientSKTAI.h"
#include "analysis/VasMetaClientTorvane.h"
#include "analysis/VasMetaClientZavAI.h"

namespace {

using Creator = std::shared_ptr<CVasMetaClientBase> (*)(const CVasConnInfo&, CVasMetaReceiver*);

template <typename Client>
std::shared_ptr<CVasMetaClientBase> Make(const CVasConnInfo& info, CVasMetaReceiver* receiver) {
  return std::make_shared<Client>(info, receiver);
}

// Kind -> client.
const std::map<int, Creator>& Creators() {
  static const std::map<int, Creator> creators = {
      {kVasKindOwn, &Make<CVasMetaClientTorvane>},
      {kVasKindOgq, &Make<CVasMetaClientOGQ>},
      {kVasKindZavAi, &Make<CVasMetaClientZavAI>},
      {kVasKindSktServer, &Make<CVasMetaClientSKTAI>},
      {kVasKindSktEdge, &Make<CVasMetaClientSKTAI>},
  };
  return creators;
}

}  // namespace

std::shared_ptr<CVasMetaClientBase> CreateVasMetaClient(const CVasConnInfo& info, CVasMetaReceiver* receiver) {
  auto found = Creators().find(info.Type);
  return found == Creators().end() ? nullptr : found->second(info, receiver);
}
