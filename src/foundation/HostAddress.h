// Questions about the network addresses of the local machine: whether a host
// text names the local host, the IPv4 addresses of the active Ethernet and
// wireless interfaces (with mask, gateway and hardware address), whether an
// address is one of them, and which of them to give a remote host as our own.
// No state, no log lines; the listing reflects the calling thread's network
// namespace.
#pragma once

#include <cstdint>
#include <string>

// One IPv4 address of a local interface. Records from one interface share its
// gateway and hardware address.
struct LocalAdapterAddress {
  char address[16];         // dotted decimal
  char mask[16];            // the prefix length as a dotted mask
  char gateway[16];         // the interface's first default gateway; "" when none
  char hardwareText[18];    // "%02x-%02x-%02x-%02x-%02x-%02x"; untouched when shorter than six bytes
  uint8_t hardware[8];      // as reported, up to 8 bytes
  int hardwareLength;       // bytes in `hardware`
};

// The number of records the system's own callers list.
constexpr int kLocalAddressRecords = 30;

// True for "127.0.0.1" and "localhost" (letter case ignored); false for a null text.
bool IsLocalHostAddress(const char* host);
// The same test.
bool IsLocalAddress(const char* host);

// Fills up to `capacity` zero-filled records with the distinct, non-zero IPv4
// addresses of the interfaces that are Ethernet-type (Wi-Fi included), up and
// running, and not a VirtualBox host-only interface ("vboxnet*"), in interface
// order. Returns the count, or -1 when the interfaces cannot be listed.
int GetLocalIPv4Addresses(LocalAdapterAddress* records, int capacity);

// True when `address` is exactly one of the listed addresses, and also when
// the listing fails (the address is then taken to be ours).
bool IsOwnIPv4Address(const char* address);

// The local address to give `host`: the first listed one for the local host;
// otherwise the one sharing the most leading dotted parts with it (the
// earliest on ties, the first when none shares a part). False, with `out`
// unchanged, when nothing is listed.
bool GetLocalAddressForHost(std::string* out, const char* host);
