// fuzz-libs: gate_recorders
// Recording-server status documents on arbitrary XML text: the first byte
// picks the event-stream or the storage record; whatever the reader accepts is
// read into the record, written back to XML, read again and written again.
// Nothing may crash or leak.
#include <stddef.h>
#include <stdint.h>

#include <string>

#include "foundation/XmlSerializer.h"
#include "recorders/ZavEventStream.h"
#include "recorders/ZavStorageStatuses.h"

namespace {

template <class Record>
void Check(const std::string& text) {
  Record record;
  if (!CXmlSerializer::FromXml(text, &record)) return;
  Record back;
  CXmlSerializer::FromXml(CXmlSerializer::ToXml(record), &back);
  CXmlSerializer::ToXml(back);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1 || size > 128 * 1024) return 0;
  std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] % 2 == 0) {
    Check<CZavEventStream>(text);
  } else {
    Check<CZavStorageStatuses>(text);
  }
  return 0;
}
