// The reading of one metro event datagram: a 4-byte little-endian signed
// length L, then L bytes of JSON text (ending early at a zero byte), then
// anything, which is ignored. The reader faces the network: every rejected
// datagram gets one clear log line and no other effect.
#pragma once

#include <stddef.h>

#include <string>

#include "services/DMEventData.h"

class CServiceLog;

// The largest datagram the receiver reads whole; a longer one is dropped.
constexpr size_t kMetroDatagramCapacity = 1024;

// Reads the datagram `data` of `size` bytes from `address` (dotted IPv4)
// into `event`. Logs the length's hex and character dump, then returns true
// for an event object with an eventType other than 0. False, with its log
// line, for 3 bytes or fewer, a length below 0 or beyond the bytes received,
// a text that is no JSON object, or eventType 0; `event` is then unusable.
// Any thread; no lock.
bool ReadMetroDatagram(const char* data, size_t size, const std::string& address, const CServiceLog& log,
                       CDMEventData* event);

// The two middle lines of a datagram dump: each byte as "0x%02x " and each
// byte as a character, where bytes below 0x20 and 0x7F become "." (so a
// datagram can neither cut nor forge a log line).
std::string HexDumpText(const char* data, size_t size);
std::string CharDumpText(const char* data, size_t size);
// `text` with the same replacement, for texts of a datagram quoted in log lines.
inline std::string LogSafeText(const std::string& text) { return CharDumpText(text.data(), text.size()); }
