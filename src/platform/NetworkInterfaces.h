// The IPv4 addresses of the machine's network interfaces, as getifaddrs gives
// them in the calling thread's network namespace, with each interface's
// link-layer type, state, hardware address and default gateway (from the
// routing table of that namespace). Stands in for the adapter list of the
// operating system.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct InterfaceAddress {
  std::string name;             // interface name, e.g. "eth0"
  unsigned int index = 0;       // interface index
  unsigned short linkType = 0;  // ARPHRD_* of the interface (1: Ethernet, also Wi-Fi)
  bool up = false;              // administratively up and running (carrier present)
  std::vector<uint8_t> hardwareAddress;  // as reported (empty when none)
  uint32_t address = 0;         // IPv4 address, network byte order
  int prefixLength = 0;         // from the address's netmask
  uint32_t gateway = 0;         // first default gateway of the interface, network byte order; 0: none
};

// Every IPv4 address of every interface, in the system's interface order.
// False (and `error` set when given) when the list cannot be read.
bool ListInterfaceAddresses(std::vector<InterfaceAddress>* out, std::string* error = nullptr);

// "a.b.c.d" of an address in network byte order.
std::string FormatIPv4(uint32_t address);

}  // namespace platform
