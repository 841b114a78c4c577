// CVasMetaClientTorvane: the metadata client of the installation's own
// analysis servers. It POSTs "/stream/meta.cgi" with its form fields on its
// connection, reads the reply as a stream of multipart parts (a header block
// whose first line is the boundary "--1234567890" or a status line, then
// Content-Length bytes of JSON), keeps analysis results ("a") and all-object
// counts ("c"), and parses them with CVARSerializer on its parser pool.
//
// Beyond the client base: a closed connection, a read error, or a header
// block longer than the receive limit ends the connection at once; a part
// announcing a negative length or more than CMyHttp::kMaxBodySize is a receive
// failure; the buffer grows with the bytes that arrive.
#pragma once

#include <string>

#include "analysis/MetaPartReader.h"
#include "analysis/VasMetaClientBase.h"

class CVasMetaClientTorvane : public CVasMetaClientBase {
 public:
  static constexpr char kStreamPath[] = "/stream/meta.cgi";
  static constexpr char kBoundary[] = "--1234567890";
  static constexpr size_t kMaxHeaderBlock = 0x100000;  // the longest part header accepted

  CVasMetaClientTorvane(const CVasConnInfo& info, CVasMetaReceiver* receiver);
  // Ends the thread and the parser pool before the members they use go.
  ~CVasMetaClientTorvane() override;

  // The form body of the stream request, from the settings and the record.
  virtual std::string MakeRequestBody() const;
  // Fills `counts` under (Reserved, VasID, channel) from an all-object count
  // text (the entry of a key already present is replaced). False (logged)
  // when the text does not parse.
  bool GetAllObjectCount(CVARAllCount* counts, const char* text, int length);

 protected:
  const char* GetKindName() const override { return "CVasMetaClientTorvane"; }
  bool ConnectToServer() override;
  bool ReceiveMeta(CVasMetaMessage* message) override;
  ReadOutcome ReadResult(char* text, int length, CVAR* result) override;
  void HandleOtherMessage(CVasMetaMessage& message) override;
  // "&channel=<list>" when the channel filter is on and the record lists
  // channels, else "".
  std::string ChannelField() const;
  // The kind under which a part's text is kept (META_NONE: dropped): results
  // ("a") and all-object counts ("c").
  virtual int KeptMessageType(const char* text) const;

 private:
  // Logs a malformed header block ("Invalid http header - <n>").
  void LogInvalidHeader(int step, std::string_view header);

  CMetaPartReader reader_;  // client thread only
  int metaLength_ = 0;      // length of the last body received
};
