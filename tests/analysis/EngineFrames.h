// The framings of the outside AI engines as the fake analysis server sends
// them, and message bodies that the engines' readers deliver: an OGQ message
// is a 16-byte header of four big-endian 32-bit words (0, type, length, 0)
// and the body; an SKT AI message a 4-byte little-endian length and the body.
#pragma once

#include <stdint.h>

#include <string>

#include "MetaStreamFixture.h"

// An OGQ header: word 0 is 1 as the engines send it, word 3 is 0.
inline std::string OgqHeader(uint32_t type, int32_t length) {
  const uint32_t words[4] = {1, type, static_cast<uint32_t>(length), 0};
  std::string header;
  for (uint32_t word : words) {
    for (int shift = 24; shift >= 0; shift -= 8) header += static_cast<char>((word >> shift) & 0xff);
  }
  return header;
}

inline std::string OgqFrame(uint32_t type, const std::string& body) {
  return OgqHeader(type, static_cast<int32_t>(body.size())) + body;
}

// An OGQ event of camera `camera` named `name`, with one person box; `pad`
// bytes of image make it as long as a test needs.
inline std::string OgqEvent(int camera, const std::string& name = "fire", size_t pad = 0) {
  return R"({"cameraId":)" + std::to_string(camera) + R"(,"eventName":")" + name +
         R"(","status":"start","startTime":1602160527.0,"time":1602160527.5,"boxCount":1,)"
         R"("boxes":[{"class":"person","confidence":0.8,"xmin":0.1,"ymin":0.2,"xmax":0.3,"ymax":0.4}],)"
         R"("image":")" + std::string(pad, 'A') + R"("})";
}

inline std::string SktHeader(int32_t length) {
  uint32_t value = static_cast<uint32_t>(length);
  std::string header;
  for (int shift = 0; shift < 32; shift += 8) header += static_cast<char>((value >> shift) & 0xff);
  return header;
}

inline std::string SktFrame(const std::string& body) { return SktHeader(static_cast<int32_t>(body.size())) + body; }

// An SKT AI result of channel `channel` (counted from 1) with one person and
// one event; `pad` bytes of an unread member make it as long as needed.
inline std::string SktResult(int channel, size_t pad = 0) {
  return R"({"source":{"channel_id":)" + std::to_string(channel - 1) +
         R"(,"camera_timestamp":"1602160527.5"},"pad":")" + std::string(pad, 'A') +
         R"(","objects":[{"confidence":0.9,"class_name":"person","track_id":11,)"
         R"("event_list":[{"event_name":"intrusion","event_roi_id":0}],)"
         R"("bboxes_in_track":[{"x":0.1,"y":0.2,"w":0.3,"h":0.4}]}]})";
}

// The waits of the engine tests: FastTimings, and a message wait short
// enough that a stalled header or body shows quickly.
inline CVasMetaTimings EngineTimings() {
  CVasMetaTimings timings = FastTimings();
  timings.frameWaitMs = 500;
  return timings;
}

// A record of an AI engine of `kind` on the fake's port. OGQ cameras 1 to 20
// map to the channel of the same number.
inline CVasConnInfo EngineServer(int kind, unsigned short port) {
  CVasConnInfo info = LocalServer(port);
  info.Type = kind;
  if (kind == kVasKindOgq) {
    for (int camera = 1; camera <= 20; ++camera) info.CameraChannels[camera] = camera;
  }
  return info;
}
