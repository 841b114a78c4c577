#include "foundation/HostAddress.h"

#include <net/if_arp.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "platform/NetworkInterfaces.h"

namespace {

void CopyText(char* target, size_t size, const std::string& text) {
  std::snprintf(target, size, "%s", text.c_str());
}

std::string MaskText(int prefixLength) {
  const uint32_t bits = prefixLength <= 0 ? 0 : (prefixLength >= 32 ? 0xFFFFFFFFu : ~(0xFFFFFFFFu >> prefixLength));
  return StrFormat("%d.%d.%d.%d", static_cast<int>(bits >> 24), static_cast<int>((bits >> 16) & 0xFF),
                   static_cast<int>((bits >> 8) & 0xFF), static_cast<int>(bits & 0xFF));
}

bool IsTakenInterface(const platform::InterfaceAddress& entry) {
  if (entry.linkType != ARPHRD_ETHER && entry.linkType != ARPHRD_IEEE80211) return false;
  if (!entry.up) return false;
  return entry.name.rfind("vboxnet", 0) != 0;
}

}  // namespace

bool IsLocalHostAddress(const char* host) {
  if (!host) return false;
  return StrEqualNoCase(host, "127.0.0.1") || StrEqualNoCase(host, "localhost");
}

bool IsLocalAddress(const char* host) { return IsLocalHostAddress(host); }

int GetLocalIPv4Addresses(LocalAdapterAddress* records, int capacity) {
  std::vector<platform::InterfaceAddress> entries;
  if (!platform::ListInterfaceAddresses(&entries)) return -1;
  int count = 0;
  for (const platform::InterfaceAddress& entry : entries) {
    if (count >= capacity || !records) break;
    if (!IsTakenInterface(entry)) continue;
    const std::string address = platform::FormatIPv4(entry.address);
    if (address.empty() || address == "0.0.0.0") continue;
    bool seen = false;
    for (int i = 0; i < count && !seen; ++i) seen = address == records[i].address;
    if (seen) continue;
    LocalAdapterAddress& record = records[count];
    CopyText(record.address, sizeof(record.address), address);
    CopyText(record.mask, sizeof(record.mask), MaskText(entry.prefixLength));
    CopyText(record.gateway, sizeof(record.gateway), entry.gateway ? platform::FormatIPv4(entry.gateway) : "");
    const size_t length = entry.hardwareAddress.size() < sizeof(record.hardware) ? entry.hardwareAddress.size()
                                                                                  : sizeof(record.hardware);
    std::memcpy(record.hardware, entry.hardwareAddress.data(), length);
    record.hardwareLength = static_cast<int>(length);
    if (length >= 6) {
      const uint8_t* h = record.hardware;
      std::snprintf(record.hardwareText, sizeof(record.hardwareText), "%02x-%02x-%02x-%02x-%02x-%02x", h[0], h[1],
                    h[2], h[3], h[4], h[5]);
    }
    ++count;
  }
  return count;
}

bool IsOwnIPv4Address(const char* address) {
  LocalAdapterAddress records[kLocalAddressRecords] = {};
  const int count = GetLocalIPv4Addresses(records, kLocalAddressRecords);
  if (count < 0) return true;
  if (!address) return false;
  for (int i = 0; i < count; ++i) {
    if (std::strcmp(records[i].address, address) == 0) return true;
  }
  return false;
}

bool GetLocalAddressForHost(std::string* out, const char* host) {
  LocalAdapterAddress records[kLocalAddressRecords] = {};
  const int count = GetLocalIPv4Addresses(records, kLocalAddressRecords);
  if (count <= 0 || !out) return false;
  if (IsLocalAddress(host)) {
    *out = records[0].address;
    return true;
  }
  CStrList hostParts;
  hostParts.Split(host ? host : "", ".");
  int best = 0;
  for (int i = 0; i < count; ++i) {
    CStrList parts;
    parts.Split(records[i].address, ".");
    int shared = 0;
    while (shared < 4 && hostParts.GetAt(shared) == parts.GetAt(shared)) ++shared;
    if (shared > best) {
      best = shared;
      *out = records[i].address;
    } else if (out->empty()) {
      *out = records[i].address;
    }
  }
  return true;
}
