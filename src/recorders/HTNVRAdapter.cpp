#include "recorders/HTNVRAdapter.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <memory>

#include "foundation/Log.h"
#include "foundation/StringUtil.h"

namespace {

void PutWord(char* out, uint32_t value) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

uint32_t GetWord(const char* in) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(in[i]);
  return value;
}

// A request header: type, payload length twice, and the constant word 3.
CHTNVRAdapter::Header RequestHeader(uint32_t type, uint32_t length) {
  return {type, length, 0, 4, 0, 0, length, 0, 0};
}

// The text of a record field: up to its first NUL or the field's end.
std::string FieldText(const char* record, int begin, int end) {
  const char* start = record + begin;
  const void* nul = memchr(start, 0, static_cast<size_t>(end - begin));
  size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - start)
                      : static_cast<size_t>(end - begin);
  return std::string(start, length);
}

CHTCameraInfo ReadCameraRecord(const char* record) {
  CHTCameraInfo info;
  info.Channel = static_cast<int32_t>(GetWord(record + 8));
  info.RecordText12 = Utf8ToAnsi(FieldText(record, 12, 44));
  info.RecordText44 = FieldText(record, 44, 80);
  const auto* ip = reinterpret_cast<const unsigned char*>(record + 80);
  char address[16];
  snprintf(address, sizeof(address), "%d.%d.%d.%d", ip[0], ip[1], ip[2], ip[3]);
  info.IPAddress = address;
  info.RecordText2492 = Utf8ToAnsi(FieldText(record, 2492, 2524));
  info.RecordText2524 = Utf8ToAnsi(FieldText(record, 2524, 2620));
  info.Name = Utf8ToAnsi(FieldText(record, 2620, CHTNVRAdapter::kCameraRecordSize));
  return info;
}

// Sends a framed packet within the time-out; true when all of it went out.
bool SendPacket(SOCKET s, const char* packet, int length, int* sent) {
  *sent = sock::SendAll(s, packet, length, CHTNVRAdapter::kTimeoutMs);
  return *sent == length;
}

}  // namespace

int CHTNVRAdapter::BuildPacket(CHTAPISession& session, char* out, int capacity, const Header& header,
                               const char* payload, int length) {
  if (length < 0 || (length > 0 && !payload)) return 0;
  int preamble = session.preambleSent ? 0 : kPreambleSize;
  if (!out || capacity < preamble + kHeaderSize + length) return 0;
  char* at = out;
  if (preamble) {
    memset(at, 0, kPreambleSize);
    PutWord(at, 0xA53F0000);
    at += kPreambleSize;
    session.preambleSent = 1;
  }
  for (uint32_t word : header) {
    PutWord(at, word);
    at += 4;
  }
  if (length > 0) memcpy(at, payload, static_cast<size_t>(length));
  return preamble + kHeaderSize + length;
}

int CHTNVRAdapter::RecvPacket(SOCKET s, Header* header, char* payload, int capacity, SockAbortFunc stop,
                              void* context) {
  char raw[kHeaderSize];
  if (sock::RecvAllEx(s, raw, kHeaderSize, kTimeoutMs, stop, context) != kHeaderSize) return 0;
  for (size_t i = 0; i < header->size(); ++i) (*header)[i] = GetWord(raw + 4 * i);
  if (!payload) return 1;
  uint32_t length = (*header)[1];
  if (capacity < 0 || length > static_cast<uint32_t>(capacity)) {
    GATE_LOG(1, "ERROR : Reply payload of %u bytes does not fit the %d-byte buffer.\r\n", length, capacity);
    return 0;
  }
  int size = static_cast<int>(length);
  return sock::RecvAllEx(s, payload, size, kTimeoutMs, stop, context) == size ? 1 : 0;
}

int CHTNVRAdapter::DoLogin(CHTAPISession& session, const std::string& userId, const std::string& password,
                           SockAbortFunc stop, void* context) {
  char body[kLoginPayloadSize] = {};
  PutWord(body, 1);
  memcpy(body + 4, userId.data(), std::min<size_t>(userId.size(), 31));
  memcpy(body + 36, password.data(), std::min<size_t>(password.size(), 31));

  char buffer[kLoginBufferSize];
  int length = BuildPacket(session, buffer, sizeof(buffer), RequestHeader(API_REQUEST_LOGIN, kLoginPayloadSize),
                           body, kLoginPayloadSize);
  int sent = 0;
  if (!SendPacket(session.socket, buffer, length, &sent)) {
    GATE_LOG(1, "ERROR : Sending API_REQUEST_LOGIN failed. req = %d bytes, send = %d bytes\r\n", length, sent);
    return 0;
  }
  Header reply{};
  if (!RecvPacket(session.socket, &reply, buffer, sizeof(buffer), stop, context)) {
    GATE_LOG(1, "ERROR : Receive API_RESPONSE_LOGIN packet failed.\r\n");
    return 0;
  }
  if (reply[0] != API_RESPONSE_LOGIN) {
    GATE_LOG(1, "ERROR : Response packet is not API_RESPONSE_LOGIN. received payload = %08x\r\n", reply[0]);
    return 0;
  }
  session.preambleSent = 1;
  return 1;
}

int CHTNVRAdapter::GetCameraList(CHTAPISession& session, CameraMap* cameras, SockAbortFunc stop,
                                 void* context) {
  std::unique_ptr<char[]> buffer(new char[kCameraListBufferSize]);  // filled before it is read
  const char body[kCameraListRequestSize] = {};
  int length = BuildPacket(session, buffer.get(), kCameraListBufferSize,
                           RequestHeader(API_REQUEST_CAM_LIST, kCameraListRequestSize), body,
                           kCameraListRequestSize);
  int sent = 0;
  if (!SendPacket(session.socket, buffer.get(), length, &sent)) {
    GATE_LOG(1, "ERROR : Sending API_REQUEST_CAM_LIST failed. req = %d bytes, send = %d bytes\r\n", length, sent);
    return 0;
  }
  Header reply{};
  if (!RecvPacket(session.socket, &reply, buffer.get(), kCameraListBufferSize, stop, context)) {
    GATE_LOG(1, "ERROR : Receiving API_REQUEST_CAM_LIST failed.\r\n");
    return 0;
  }
  if (reply[0] != API_RESPONSE_CAM_LIST) {
    GATE_LOG(1, "ERROR : Response packet is not API_RESPONSE_CAM_LIST. received payload = %08x\r\n", reply[0]);
    return 0;
  }
  return ReadCameraList(buffer.get(), reply[1], cameras);
}

int CHTNVRAdapter::ReadCameraList(const char* payload, uint32_t length, CameraMap* cameras) {
  if (length < static_cast<uint32_t>(kCameraRecordsOffset)) {
    GATE_LOG(1, "ERROR : API_RESPONSE_CAM_LIST payload of %u bytes holds no camera count.\r\n", length);
    return 0;
  }
  uint32_t count = GetWord(payload + kCameraCountOffset);
  uint64_t needed = kCameraRecordsOffset + uint64_t{count} * kCameraRecordSize;
  if (needed > length) {
    GATE_LOG(1, "ERROR : API_RESPONSE_CAM_LIST announces %u cameras (%llu bytes) in a payload of %u bytes.\r\n",
             count, static_cast<unsigned long long>(needed), length);
    return 0;
  }
  const char* record = payload + kCameraRecordsOffset;
  for (uint32_t i = 0; i < count; ++i, record += kCameraRecordSize) {
    CHTCameraInfo info = ReadCameraRecord(record);
    (*cameras)[info.Channel] = info;
  }
  return 1;
}
