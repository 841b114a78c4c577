#include "services/MetroDatagram.h"

#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include <string_view>

#include "foundation/JsonSerializer.h"
#include "services/ServiceLog.h"

namespace {

constexpr const char* kOperation = "OnEventReceiver";
constexpr size_t kLengthFieldSize = 4;

void LogDump(const CServiceLog& log, const char* data, size_t size) {
  static const char kDashes[] = "---------------------------------------------------------------";
  log.Write(kOperation, __LINE__, 1, "[INFO] %s\r\n", kDashes);
  log.Write(kOperation, __LINE__, 1, "[INFO] %s\r\n", HexDumpText(data, size).c_str());
  log.Write(kOperation, __LINE__, 1, "[INFO] %s\r\n", CharDumpText(data, size).c_str());
  log.Write(kOperation, __LINE__, 1, "[INFO] %s\r\n", kDashes);
}

bool IsJsonObjectText(std::string_view text) {
  size_t first = text.find_first_not_of(" \t\r\n");
  return first != std::string_view::npos && text[first] == '{';
}

}  // namespace

std::string HexDumpText(const char* data, size_t size) {
  std::string text;
  text.reserve(size * 5);
  char hex[8];
  for (size_t i = 0; i < size; ++i) {
    snprintf(hex, sizeof(hex), "0x%02x ", static_cast<unsigned char>(data[i]));
    text += hex;
  }
  return text;
}

std::string CharDumpText(const char* data, size_t size) {
  std::string text(data, size);
  for (char& c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) c = '.';
  }
  return text;
}

bool ReadMetroDatagram(const char* data, size_t size, const std::string& address, const CServiceLog& log,
                       CDMEventData* event) {
  const char* from = address.c_str();
  if (size < kLengthFieldSize) {
    SERVICE_LOG(log, kOperation, "ERROR - [%s] Received size is invalid. (%d)\r\n", from, static_cast<int>(size));
    return false;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(data);
  int32_t length = static_cast<int32_t>(static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
                                        static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24);
  // In 64 bits, so a length near the limit cannot overflow; a negative one
  // must never address the buffer.
  if (length < 0 || static_cast<int64_t>(size) < static_cast<int64_t>(length) + 4) {
    SERVICE_LOG(log, kOperation, "ERROR - [%s] Received size is invalid. (Received Size: %d, DataLength : %d)\r\n",
                from, static_cast<int>(size), length);
    return false;
  }
  const char* text = data + kLengthFieldSize;
  LogDump(log, text, static_cast<size_t>(length));
  const void* zero = memchr(text, 0, static_cast<size_t>(length));
  std::string json(text, zero ? static_cast<const char*>(zero) - text : static_cast<size_t>(length));

  *event = CDMEventData();
  if (!IsJsonObjectText(json) || !CJsonSerializer::Deserialize(json, event)) {
    SERVICE_LOG(log, kOperation, "ERROR - [%s] Error raised when deserialize json data.(%s)\r\n", from,
                LogSafeText(json).c_str());
    return false;
  }
  if (event->GetEventType() == 0) {
    SERVICE_LOG(log, kOperation, "INFO - [%s] Invalid Event Type. (%s / %d / %d)\r\n", from,
                LogSafeText(event->GetTrainNo()).c_str(), event->GetCarNo(), event->GetEventType());
    return false;
  }
  return true;
}
