#include "platform/NetworkInterfaces.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace platform {

namespace {

struct LinkInfo {
  unsigned short type = 0;
  std::vector<uint8_t> hardware;
};

// First default gateway per interface from the routing table of the calling
// thread's namespace (/proc/thread-self/net/route: values in network order, hexadecimal).
std::map<std::string, uint32_t> DefaultGateways() {
  std::map<std::string, uint32_t> gateways;
  std::ifstream in("/proc/thread-self/net/route");
  if (!in) in.open("/proc/net/route");
  std::string line;
  std::getline(in, line);  // header
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, destination, gateway, flags;
    if (!(fields >> name >> destination >> gateway >> flags)) continue;
    unsigned long dest = std::strtoul(destination.c_str(), nullptr, 16);
    unsigned long gw = std::strtoul(gateway.c_str(), nullptr, 16);
    unsigned long routeFlags = std::strtoul(flags.c_str(), nullptr, 16);
    const unsigned long kRouteUp = 0x1, kRouteGateway = 0x2;
    if (dest != 0 || gw == 0 || (routeFlags & (kRouteUp | kRouteGateway)) != (kRouteUp | kRouteGateway)) continue;
    gateways.emplace(name, static_cast<uint32_t>(gw));  // the first one stays
  }
  return gateways;
}

int PrefixLength(const sockaddr* mask) {
  if (!mask || mask->sa_family != AF_INET) return 0;
  uint32_t bits = ntohl(reinterpret_cast<const sockaddr_in*>(mask)->sin_addr.s_addr);
  int length = 0;
  while (bits & 0x80000000u) {
    ++length;
    bits <<= 1;
  }
  return length;
}

}  // namespace

std::string FormatIPv4(uint32_t address) {
  char text[INET_ADDRSTRLEN] = {};
  in_addr value{};
  value.s_addr = address;
  inet_ntop(AF_INET, &value, text, sizeof(text));
  return text;
}

bool ListInterfaceAddresses(std::vector<InterfaceAddress>* out, std::string* error) {
  out->clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) {
    if (error) *error = std::string("getifaddrs: ") + std::strerror(errno);
    return false;
  }
  std::map<std::string, LinkInfo> links;
  for (ifaddrs* it = list; it; it = it->ifa_next) {
    if (!it->ifa_addr || it->ifa_addr->sa_family != AF_PACKET) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(it->ifa_addr);
    LinkInfo& info = links[it->ifa_name];
    info.type = link->sll_hatype;
    size_t length = link->sll_halen < sizeof(link->sll_addr) ? link->sll_halen : sizeof(link->sll_addr);
    info.hardware.assign(link->sll_addr, link->sll_addr + length);
  }
  const std::map<std::string, uint32_t> gateways = DefaultGateways();
  for (ifaddrs* it = list; it; it = it->ifa_next) {
    if (!it->ifa_addr || it->ifa_addr->sa_family != AF_INET) continue;
    InterfaceAddress entry;
    entry.name = it->ifa_name;
    entry.index = if_nametoindex(it->ifa_name);
    auto link = links.find(entry.name);
    if (link != links.end()) {
      entry.linkType = link->second.type;
      entry.hardwareAddress = link->second.hardware;
    }
    entry.up = (it->ifa_flags & IFF_UP) && (it->ifa_flags & IFF_RUNNING);
    entry.address = reinterpret_cast<const sockaddr_in*>(it->ifa_addr)->sin_addr.s_addr;
    entry.prefixLength = PrefixLength(it->ifa_netmask);
    auto gateway = gateways.find(entry.name);
    if (gateway != gateways.end()) entry.gateway = gateway->second;
    out->push_back(std::move(entry));
  }
  freeifaddrs(list);
  return true;
}

}  // namespace platform
