// fuzz-libs: gate_services
// A metro event datagram with arbitrary bytes (any UDP sender may send one):
// the reader accepts or rejects it without crashing, an accepted event has an
// event type, and its XML body and history time can be made from it.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "foundation/XmlSerializer.h"
#include "services/MetroDatagram.h"
#include "services/ServiceLog.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const CServiceLog log("VuzorMetroEventReceiver", "CVuzorMetroEventReceiver");
  if (size > kMetroDatagramCapacity) return 0;  // the receiver drops these before reading
  // A buffer of exactly the datagram's size, so a read past it is caught.
  std::string bytes(reinterpret_cast<const char*>(data), size);
  CDMEventData event;
  if (!ReadMetroDatagram(bytes.data(), bytes.size(), "127.0.0.1", log, &event)) return 0;
  if (event.GetEventType() == 0) __builtin_trap();
  std::string body = CXmlSerializer::ToXml(event);
  if (body.find("<DMEventData>") == std::string::npos) __builtin_trap();
  event.GetRaisedTimeText();
  event.GetDuplicateKey();
  return 0;
}
