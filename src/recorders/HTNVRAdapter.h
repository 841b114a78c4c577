// The client side of the Hitron NVR API: framing of request packets, login with
// a user id and password, and the camera list read into a map from channel to
// CHTCameraInfo.
//
// Every packet is a 36-byte header of nine little-endian 32-bit words (word 0
// the type, word 1 the payload length) and its payload; the first packet
// framed on a connection is preceded by a 76-byte preamble. Every operation
// is static, runs on the caller's thread, logs its failures and returns 0 for
// them; it never closes the session's socket (the session does that).
#pragma once

#include <stdint.h>

#include <array>
#include <map>
#include <string>

#include "net/Sock.h"
#include "recorders/HTAPISession.h"
#include "recorders/HTCameraInfo.h"

class CHTNVRAdapter {
 public:
  using Header = std::array<uint32_t, 9>;
  using CameraMap = std::map<int32_t, CHTCameraInfo>;

  static constexpr uint32_t API_REQUEST_LOGIN = 0x1;
  static constexpr uint32_t API_REQUEST_CAM_LIST = 0x20000;
  static constexpr uint32_t API_RESPONSE_LOGIN = 0x80000001;
  static constexpr uint32_t API_RESPONSE_CAM_LIST = 0x80020000;

  static constexpr int kPreambleSize = 76;
  static constexpr int kHeaderSize = 36;
  static constexpr int kLoginPayloadSize = 96;
  static constexpr int kCameraListRequestSize = 36;
  // The login is framed and its reply payload received in this many bytes;
  // the camera list likewise in a heap buffer of kCameraListBufferSize.
  static constexpr int kLoginBufferSize = 1024;
  static constexpr int kCameraListBufferSize = 1024000;
  static constexpr int kCameraCountOffset = 40;
  static constexpr int kCameraRecordsOffset = 44;
  static constexpr int kCameraRecordSize = 2736;
  // Bound of each send and of each of the two receives of a reply.
  static constexpr int kTimeoutMs = 3000;

  // Writes the preamble (only while the session's preamble flag is 0, which it
  // then sets), the header and `length` payload bytes into `out`. Returns the
  // bytes written, or 0 (nothing written, flag unchanged) when they would not
  // fit in `capacity`.
  static int BuildPacket(CHTAPISession& session, char* out, int capacity, const Header& header,
                         const char* payload, int length);

  // Receives a 36-byte reply header into `header` and then, when `payload` is
  // given, the header's word 1 bytes into it; each receive ends after 3000 ms,
  // when the peer closes or errs, or once `stop(context)` turns true (tested at
  // least once a second). Returns 1 when both completed, else 0; a payload
  // length above `capacity` fails before any payload byte is read (logged).
  static int RecvPacket(SOCKET s, Header* header, char* payload, int capacity, SockAbortFunc stop,
                        void* context);

  // Sends the login request (preamble, header, payload: 208 bytes on a fresh
  // connection) and waits for API_RESPONSE_LOGIN. 1 when the NVR accepted,
  // else 0. User id and password go out byte for byte, cut at 31 bytes.
  // Blocks up to 3000 ms for the send and for each receive.
  static int DoLogin(CHTAPISession& session, const std::string& userId, const std::string& password,
                     SockAbortFunc stop, void* context);

  // Sends the camera-list request and reads the reply's cameras into
  // `cameras` (a later record of a channel replaces the earlier one; other
  // entries stay). 1 when the list was read, else 0 with `cameras` untouched.
  // Blocks up to 3000 ms for the send and for each receive.
  static int GetCameraList(CHTAPISession& session, CameraMap* cameras, SockAbortFunc stop,
                           void* context);

  // The cameras of a camera-list reply payload of `length` bytes into
  // `cameras`. 1 when every announced record lies within the payload (0 cameras
  // included); else 0, logged, with `cameras` untouched.
  static int ReadCameraList(const char* payload, uint32_t length, CameraMap* cameras);
};
