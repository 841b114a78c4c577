#include "analysis/EngineFrameReader.h"

int CEngineFrameReader::Read(CSecureSock& conn, int waitMs, SockAbortFunc abort, void* user,
                             CEngineFrameHeader* header, std::string* body) {
  body->clear();
  int read = reader_.ReadBody(conn, headerSize_, waitMs, waitMs, abort, user, &headerBytes_);
  if (read == CMetaPartReader::kReadNothing && headerBytes_.empty()) return kReadNothing;
  if (read != CMetaPartReader::kReadDone) return kReadFailed;
  *header = decode_(reinterpret_cast<const unsigned char*>(headerBytes_.data()));
  if (header->length <= 0) return kReadDone;
  if (header->length > maxBody_) return kReadTooLong;
  if (reader_.ReadBody(conn, static_cast<size_t>(header->length), waitMs, waitMs, abort, user, body) !=
      CMetaPartReader::kReadDone) {
    body->clear();
    return kReadFailed;
  }
  return kReadDone;
}
