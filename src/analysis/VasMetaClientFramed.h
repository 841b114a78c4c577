// CVasMetaClientFramed: what the metadata clients of the length-framed AI
// engines (OGQ, SKT AI) share. The client opens a bare TCP (or TLS)
// connection and sends nothing; the engine pushes messages, each a header of
// fixed size that announces a body length, then the body, a JSON text.
//
// A pass waits up to frameWaitMs for a whole header (nothing at all: no
// message, the pass ends) and then up to frameWaitMs for the body. A header
// that arrives in part, a body that does not arrive whole, a closed
// connection, or a length above CMyHttp::kMaxBodySize is a receive failure:
// logged, the connection closed, a reconnect after receiveFailurePauseMs.
// The body buffer grows with the bytes that arrive, never to what the header
// announces. Bytes that arrive ahead (the next header) are kept for the next
// pass.
#pragma once

#include <stddef.h>

#include "analysis/EngineFrameReader.h"
#include "analysis/VasMetaClientBase.h"

class CVasMetaClientFramed : public CVasMetaClientBase {
 public:
  // `headerSize` and `decode`: the kind's header.
  CVasMetaClientFramed(const CVasConnInfo& info, CVasMetaReceiver* receiver, size_t headerSize,
                       CEngineFrameReader::DecodeFn decode);
  ~CVasMetaClientFramed() override;

 protected:
  // True when a message of `type` that has a body is an analysis result.
  virtual bool KeepsType(int /*type*/) const { return true; }
  // Called on the new socket before the connection counts as made.
  virtual void OnSocketOpened() {}

  bool ConnectToServer() override;
  bool ReceiveMeta(CVasMetaMessage* message) override;

 private:
  CEngineFrameReader reader_;  // client thread only
};
