// CVasMetaClientOGQ: the metadata client of OGQ inference servers. Each
// message is a 16-byte header of four 32-bit words (big-endian: word 1 the
// message type, word 2 the signed body length; words 0 and 3 not examined)
// and a JSON body. Messages of type 2 carry events; every other type is read
// whole and dropped, so the stream stays in step. Every body renews the
// keep-alive. CVARSerializerOGQ reads a body; the record's CameraChannels
// turns its camera id into the channel (a camera not listed drops the result
// with a line), and its event name becomes the result's AI event type.
#pragma once

#include <string_view>

#include "analysis/VasMetaClientFramed.h"

class CVasMetaClientOGQ : public CVasMetaClientFramed {
 public:
  static constexpr size_t kHeaderSize = 16;
  static constexpr int kEventMessage = 2;  // the message type that carries an event

  CVasMetaClientOGQ(const CVasConnInfo& info, CVasMetaReceiver* receiver);
  // Words 1 (type) and 2 (length) of a 16-byte header.
  static CEngineFrameHeader DecodeHeader(const unsigned char* header);
  // Ends the thread and the parser pool before this kind's overrides go.
  ~CVasMetaClientOGQ() override;

  // The AI event type of an engine event name ("leak" 100001, "fire",
  // "invasion", "loitering", "collapse", "handaction", "shock", "helmet"
  // 100008; any case); -1 for any other name.
  static int GetEventTypeCode(std::string_view name);

 protected:
  const char* GetKindName() const override { return "CVasMetaClientOGQ"; }
  bool KeepsType(int type) const override { return type == kEventMessage; }
  ReadOutcome ReadResult(char* text, int length, CVAR* result) override;
};
