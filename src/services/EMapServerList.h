// The E-map servers an alarm output watches, read from its EMapAddress: a
// comma-separated list of hosts, host:port pairs or URLs.
#pragma once

#include <map>
#include <string>

// The port of an E-map server whose entry names none.
constexpr int kEMapDefaultPort = 82;

// Adds the servers of `text` to `servers` (host -> port, byte order). Empty
// pieces are skipped, pieces are not trimmed; a piece containing "http" is a
// URL (its port, or 82); else "host[:port]" (82 without a port, 0 for a port
// that is no number). A host already present keeps its first port.
void AddEMapServers(const std::string& text, std::map<std::string, int>* servers);
