// CVasMetaClientSKTAI: the metadata client of SKT AI servers and edges. Each
// message is a 4-byte little-endian signed body length and a JSON body, read
// by CVARSerializerSKTAI. The engine may stay silent for any time, so the
// client never drops a quiet connection itself; the socket's TCP keep-alive
// (first probe after 60 s idle) finds a peer that vanished, and the read
// then fails like any other.
#pragma once

#include "analysis/VasMetaClientFramed.h"

class CVasMetaClientSKTAI : public CVasMetaClientFramed {
 public:
  static constexpr size_t kHeaderSize = 4;
  // TCP keep-alive of the stream socket: idle seconds before the first probe,
  // seconds between probes, probes unanswered before the connection fails.
  static constexpr int kKeepAliveIdleSeconds = 60;
  static constexpr int kKeepAliveIntervalSeconds = 10;
  static constexpr int kKeepAliveProbes = 3;

  CVasMetaClientSKTAI(const CVasConnInfo& info, CVasMetaReceiver* receiver);
  // The length of a 4-byte header; every message has type 0.
  static CEngineFrameHeader DecodeHeader(const unsigned char* header);
  // Ends the thread and the parser pool before this kind's overrides go.
  ~CVasMetaClientSKTAI() override;

 protected:
  const char* GetKindName() const override { return "CVasMetaClientSKTAI"; }
  bool UsesKeepAlive() const override { return false; }
  void OnSocketOpened() override;
  ReadOutcome ReadResult(char* text, int length, CVAR* result) override;
};
