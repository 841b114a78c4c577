#include "shell/InstanceChannel.h"

#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "platform/LocalSocket.h"

std::string InstanceLockPath(const std::string& programFolder, const std::string& programFileName) {
  return programFolder + "/" + programFileName + ".lock";
}

std::string InstanceChannelPath(const std::string& programFolder, const std::string& programFileName) {
  std::string path = programFolder + "/" + programFileName + ".sock";
  if (path.size() <= platform::MaxLocalSocketPath()) return path;
  uint64_t hash = 14695981039346656037ull;  // FNV-1a of the folder
  for (unsigned char c : programFolder) hash = (hash ^ c) * 1099511628211ull;
  char hex[17];
  for (int i = 15; i >= 0; --i, hash >>= 4) hex[i] = "0123456789abcdef"[hash & 0xF];
  hex[16] = '\0';
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  std::string folder = runtime && *runtime == '/' ? runtime : "/tmp";
  std::string name = programFileName.substr(0, 40) + "-" + std::to_string(getuid()) + "-" + hex + ".sock";
  return folder + "/" + name;
}

std::string EncodeInstanceCommand(int command) { return "command " + std::to_string(command) + "\n"; }

int DecodeInstanceCommand(const std::string& text) {
  const std::string prefix = "command ";
  if (text.size() > kInstanceCommandMaxLength || text.compare(0, prefix.size(), prefix) != 0 ||
      text.back() != '\n') {
    return 0;
  }
  int value = 0;
  size_t i = prefix.size();
  size_t end = text.size() - 1;
  if (i == end || end - i > 5 || text[i] == '0') return 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return 0;
    value = value * 10 + (text[i] - '0');
  }
  return value <= 65535 ? value : 0;
}

bool SendInstanceCommand(const std::string& channelPath, int command, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  std::string text = EncodeInstanceCommand(command);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (platform::SendToLocalSocket(channelPath, text, static_cast<int>(left.count() > 0 ? left.count() : 1))) {
      return true;
    }
    if (std::chrono::steady_clock::now() + std::chrono::milliseconds(100) >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}
