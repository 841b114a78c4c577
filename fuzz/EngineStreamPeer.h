// The frame reader of the length-framed AI engines (OGQ, SKT AI) on
// arbitrary peer bytes: they arrive on a socket whose peer then closes, and
// the reader reads messages until a read fails. Nothing may crash, wait past
// the peer's close, or hand out a body longer than the bytes that came or
// other than the header announced.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <unistd.h>

#include <string>

#include "FuzzPeer.h"
#include "analysis/EngineFrameReader.h"
#include "net/SecureSock.h"

inline int FuzzEngineStream(const uint8_t* data, size_t size, size_t headerSize, CEngineFrameReader::DecodeFn decode) {
  if (size < 1 || size > 256 * 1024) return 0;
  int fds[2];
  if (!FeedSocketPair(reinterpret_cast<const char*>(data), size, fds)) return 0;
  CSecureSock conn;
  conn.socket = fds[0];
  // A cap below the input size lets short inputs reach the too-long path.
  CEngineFrameReader reader(headerSize, decode, 4096);
  size_t consumed = 0;
  for (int message = 0; message < 256; ++message) {
    CEngineFrameHeader header;
    std::string body;
    int read = reader.Read(conn, 1000, nullptr, nullptr, &header, &body);
    if (read != CEngineFrameReader::kReadDone) {
      if (!body.empty()) __builtin_trap();
      break;
    }
    size_t expected = header.length > 0 ? static_cast<size_t>(header.length) : 0;
    if (body.size() != expected || header.length > 4096) __builtin_trap();
    consumed += headerSize + body.size();
    if (consumed > size) __builtin_trap();
  }
  conn.Close();
  close(fds[1]);
  return 0;
}
