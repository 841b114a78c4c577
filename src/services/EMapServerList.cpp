#include "services/EMapServerList.h"

#include <stdlib.h>

#include <vector>

#include "net/UrlFormatter.h"

namespace {

std::vector<std::string> NonEmptyPieces(const std::string& text, char separator) {
  std::vector<std::string> pieces;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::string::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

}  // namespace

void AddEMapServers(const std::string& text, std::map<std::string, int>* servers) {
  for (const std::string& piece : NonEmptyPieces(text, ',')) {
    std::string host;
    int port = kEMapDefaultPort;
    if (piece.find("http") != std::string::npos) {
      CUrlFormatter url;
      url.SetUrl(piece);
      host = url.GetHost();
      if (url.GetPort() > 0) port = url.GetPort();
    } else {
      std::vector<std::string> parts = NonEmptyPieces(piece, ':');
      if (!parts.empty()) host = parts[0];
      if (parts.size() >= 2) port = atoi(parts[1].c_str());
    }
    servers->emplace(host, port);
  }
}
