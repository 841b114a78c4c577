#include "ManagementPeer.h"

#include <chrono>
#include <sstream>
#include <thread>

bool ManagementPeer::Start() {
  if (!process_.Start({"python3", std::string(GATE_SYNC_PEERS_DIR) + "/management_peer.py", dir_.path()},
                      dir_.path(), dir_.Join("peer.log"))) {
    return false;
  }
  const auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kPeerStartMs)) {
    std::string text = ReadTestFile(dir_.Join("port"));
    if (!text.empty()) {
      port_ = static_cast<unsigned short>(std::stoi(text));
      return WaitForPort(port_);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void ManagementPeer::SetStatus(int status) { WriteTestFile(dir_.Join("status"), std::to_string(status)); }

std::vector<std::string> ManagementPeer::Requests() const {
  std::vector<std::string> lines;
  std::istringstream text(ReadTestFile(dir_.Join("requests.txt")));
  for (std::string line; std::getline(text, line);) lines.push_back(line);
  return lines;
}
