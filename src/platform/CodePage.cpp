#include "platform/CodePage.h"

#include <errno.h>
#include <iconv.h>

#include <string>

#include "platform/Mutex.h"

namespace platform {
namespace {

CMutex g_mutex;
std::string g_codePage GUARDED_BY(g_mutex) = "CP949";
bool g_doubleByte GUARDED_BY(g_mutex) = true;

bool IsUtf8Name(const std::string& name) { return name == "UTF-8" || name == "UTF8" || name == "utf-8"; }

// Whether `c` may follow a lead byte in the double-byte code pages (CP949's
// trail bytes, a superset of EUC-KR's).
bool IsTrailByte(unsigned char c) { return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c != 0xFF); }

// Bytes of the character at `p` in code page `from`, for skipping an unreadable
// one. A lead byte followed by no trail byte is skipped alone, so an ASCII byte
// after it (a '<' of a status file cut mid-character) is kept.
size_t CharLength(const char* p, size_t left, const std::string& from) {
  unsigned char c = static_cast<unsigned char>(*p);
  if (IsUtf8Name(from)) {
    size_t n = 1;
    while (n < left && (static_cast<unsigned char>(p[n]) & 0xC0) == 0x80) ++n;
    return n;
  }
  if (c >= 0x81 && c != 0xFF && left >= 2 && IsTrailByte(static_cast<unsigned char>(p[1]))) return 2;
  return 1;
}

}  // namespace

std::string LegacyCodePage() {
  CMutexLock hold(g_mutex);
  return g_codePage;
}

bool SetLegacyCodePage(const std::string& name) {
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  CMutexLock hold(g_mutex);
  g_codePage = name;
  g_doubleByte = !IsUtf8Name(name);
  return true;
}

bool IsLeadByte(unsigned char c) {
  CMutexLock hold(g_mutex);
  return g_doubleByte && c >= 0x81 && c != 0xFF;
}

std::string ConvertCodePage(const std::string& text, const std::string& from, const std::string& to) {
  if (text.empty()) return std::string();
  iconv_t cd = iconv_open(to.c_str(), from.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  out.reserve(text.size() * 2);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof(buffer);
    size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ (unreadable or unmappable) or EINVAL (cut short at the end): write '?' and skip it.
    // glibc's CP949 reader can report EILSEQ after taking the whole rest of the input.
    out.push_back('?');
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (inLeft == 0) break;
    size_t skip = CharLength(in, inLeft, from);
    in += skip;
    inLeft -= skip;
  }
  char* outPtr = buffer;
  size_t outLeft = sizeof(buffer);
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, static_cast<size_t>(outPtr - buffer));
  iconv_close(cd);
  return out;
}

}  // namespace platform
