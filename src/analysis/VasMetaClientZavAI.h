// CVasMetaClientZavAI: the metadata client of ZAV AI servers. The stream is
// the own kind's (POST "/stream/meta.cgi", multipart parts of JSON) with a
// shorter form: only "thumbnail" and, under the same rule, "channel". Only
// analysis results ("a") are kept; CVARSerializerZavAI reads them, and the
// event names it hands back become the events' AI event types.
#pragma once

#include <string>
#include <string_view>

#include "analysis/VasMetaClientTorvane.h"

class CVasMetaClientZavAI : public CVasMetaClientTorvane {
 public:
  CVasMetaClientZavAI(const CVasConnInfo& info, CVasMetaReceiver* receiver);
  // Ends the thread and the parser pool before this kind's overrides go.
  ~CVasMetaClientZavAI() override;

  // "thumbnail=1" or "thumbnail=0", then "&channel=<list>" when filtered.
  std::string MakeRequestBody() const override;

  // The AI event type of an engine event name: "Intrusion" 100009,
  // "Loitering" 100004 (any case); -1 for any other name.
  static int GetEventTypeCode(std::string_view name);

 protected:
  const char* GetKindName() const override { return "CVasMetaClientZavAI"; }
  ReadOutcome ReadResult(char* text, int length, CVAR* result) override;
  int KeptMessageType(const char* text) const override;
};
