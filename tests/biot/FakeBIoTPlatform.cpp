#include "FakeBIoTPlatform.h"

#include <stdlib.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "platform/AtomicFile.h"

bool FakeBIoTPlatform::Start(bool tls, const std::string& state) {
  if (!state.empty()) WriteTestFile(dir_.Join("state.txt"), state);
  std::vector<std::string> argv = {"python3", std::string(GATE_BIOT_PEERS_DIR) + "/biot_platform.py", dir_.path()};
  if (tls) {
    if (!MakeSelfSignedCertificate(dir_.path())) return false;
    argv.push_back(dir_.Join("cert.pem"));
    argv.push_back(dir_.Join("key.pem"));
  }
  if (!process_.Start(argv, dir_.path(), dir_.Join("peer.log"))) return false;
  auto start = std::chrono::steady_clock::now();
  while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kPeerStartMs)) {
    std::string text = ReadTestFile(dir_.Join("port"));
    if (!text.empty()) {
      port_ = static_cast<unsigned short>(atoi(text.c_str()));
      return WaitForPort(port_);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void FakeBIoTPlatform::Script(const std::string& match, const std::string& reply, int times, int skip) {
  std::string head = match;
  for (size_t at = head.find(' '); at != std::string::npos; at = head.find(' ', at)) head.replace(at, 1, "%20");
  script_ += head + " " + std::to_string(skip) + " " + std::to_string(times) + "\n";
  // Reply lines are joined by CR LF again by the peer.
  std::string lines;
  for (size_t i = 0; i < reply.size(); ++i) {
    if (reply[i] == '\r' && i + 1 < reply.size() && reply[i + 1] == '\n') {
      lines += '\n';
      ++i;
    } else {
      lines += reply[i];
    }
  }
  script_ += lines + "\n----\n";
  platform::WriteFileAtomically(dir_.Join("script.txt"), script_);
}

std::vector<PlatformRequest> FakeBIoTPlatform::Requests() const {
  std::vector<PlatformRequest> requests;
  std::istringstream in(ReadTestFile(dir_.Join("requests.log")));
  int n = 0;
  PlatformRequest request;
  while (in >> n >> request.connection >> request.method >> request.target) requests.push_back(request);
  return requests;
}

std::vector<std::string> FakeBIoTPlatform::RequestLines() const {
  std::vector<std::string> lines;
  for (const PlatformRequest& request : Requests()) lines.push_back(request.method + " " + request.target);
  return lines;
}

std::string FakeBIoTPlatform::RawRequest(int n) const {
  return ReadTestFile(dir_.Join("requests/" + std::to_string(n) + ".bin"));
}

std::string FakeBIoTPlatform::RequestBody(int n) const {
  std::string raw = RawRequest(n);
  size_t end = raw.find("\r\n\r\n");
  return end == std::string::npos ? std::string() : raw.substr(end + 4);
}

std::vector<std::string> FakeBIoTPlatform::Things() const {
  std::vector<std::string> things;
  std::istringstream in(ReadTestFile(dir_.Join("things.txt")));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty()) things.push_back(line);
  }
  return things;
}

std::string JsonReply(const std::string& body, const std::string& status) {
  return "HTTP/1.1 " + status + "\r\nContent-Type: application/json\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\n\r\n" + body;
}
