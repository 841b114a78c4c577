// fuzz-libs: gate_recorders
// Recording-server status documents on arbitrary XML text: the first byte
// picks the event-stream or the storage record; whatever the reader accepts is
// read into the record, written back to XML and read again. Nothing may crash;
// a record written and read back must write the same text again.
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
  std::string written = CXmlSerializer::ToXml(record);
  Record back;
  if (!CXmlSerializer::FromXml(written, &back)) __builtin_trap();
  std::string again = CXmlSerializer::ToXml(back);
  Record third;
  if (!CXmlSerializer::FromXml(again, &third) || CXmlSerializer::ToXml(third) != again) __builtin_trap();
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
