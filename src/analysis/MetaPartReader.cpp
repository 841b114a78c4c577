#include "analysis/MetaPartReader.h"

#include <string.h>

#include <algorithm>
#include <chrono>

namespace {

constexpr size_t kReadChunk = 64 * 1024;  // most bytes asked of one read
constexpr char kHeaderEnd[] = "\r\n\r\n";

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

bool Aborted(SockAbortFunc abort, void* user) { return abort && abort(user); }

}  // namespace

void CMetaPartReader::Reset() {
  begin_ = end_ = scanned_ = 0;
}

int CMetaPartReader::Fill(CSecureSock& conn, int waitMs, SockAbortFunc abort, void* user) {
  if (begin_ == end_) begin_ = end_ = 0;
  if (buffer_.size() - end_ < kReadChunk) {
    if (begin_ > 0) {
      memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
      end_ -= begin_;
      begin_ = 0;
    }
    if (buffer_.size() - end_ < kReadChunk) buffer_.resize(std::max(buffer_.size() * 2, end_ + kReadChunk));
  }
  int n = conn.Read(buffer_.data() + end_, static_cast<int>(std::min(buffer_.size() - end_, kReadChunk)), 0,
                    waitMs, abort, user);
  if (n < 0) return kReadFailed;
  if (n == 0) return kReadNothing;
  end_ += static_cast<size_t>(n);
  return kReadDone;
}

int CMetaPartReader::ReadHeader(CSecureSock& conn, int waitMs, int sliceMs, SockAbortFunc abort, void* user,
                                std::string_view* header) {
  auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  for (;;) {
    // Search only what is new, plus three bytes for an end split across reads.
    size_t from = begin_ + (scanned_ > 3 ? scanned_ - 3 : 0);
    const void* found = end_ > from ? memmem(buffer_.data() + from, end_ - from, kHeaderEnd, 4) : nullptr;
    if (found) {
      size_t length = static_cast<size_t>(static_cast<const char*>(found) - buffer_.data()) + 4 - begin_;
      if (length > maxHeader_) return kReadFailed;
      *header = std::string_view(buffer_.data() + begin_, length);
      begin_ += length;
      scanned_ = 0;
      return kReadDone;
    }
    scanned_ = end_ - begin_;
    if (scanned_ >= maxHeader_) return kReadFailed;
    int wait = std::min(RemainingMs(deadline), sliceMs);
    if (wait <= 0 || Aborted(abort, user)) return kReadNothing;
    int result = Fill(conn, wait, abort, user);
    if (result == kReadFailed) return kReadFailed;
  }
}

int CMetaPartReader::ReadBody(CSecureSock& conn, size_t length, int waitMs, int sliceMs, SockAbortFunc abort,
                              void* user, std::string* body) {
  auto deadline = Clock::now() + std::chrono::milliseconds(waitMs);
  body->clear();
  for (;;) {
    size_t take = std::min(length - body->size(), end_ - begin_);
    if (take > 0) body->append(buffer_.data() + begin_, take);
    begin_ += take;
    if (body->size() == length) return kReadDone;
    int wait = std::min(RemainingMs(deadline), sliceMs);
    if (wait <= 0 || Aborted(abort, user)) return kReadNothing;
    if (Fill(conn, wait, abort, user) == kReadFailed) return kReadFailed;
  }
}
