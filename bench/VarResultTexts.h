// Analysis result texts of three sizes for the benchmarks: S (one object), M
// (20 objects with region events, line crossings and crowd densities) and L
// (M with a 64 KB thumbnail).
#pragma once

#include <string>

namespace bench_texts {

inline std::string ObjectItems(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    if (i > 1) text += ',';
    text += R"({"b":{"l":)" + std::to_string(10 * i) + R"(,"t":)" + std::to_string(20 * i) +
            R"(,"w":50,"h":120},"o":[1,2],"c":[0.91,0.07],"oR":[1,2],"tid":)" + std::to_string(i) +
            R"(,"cid":[2,5],"reid":)" + std::to_string(100 + i) + "}";
  }
  return text;
}

inline std::string EventItems(int count) {
  std::string text;
  for (int i = 1; i <= count; ++i) {
    if (i > 1) text += ',';
    text += R"({"o":)" + std::to_string(i % 4) + R"(,"t":)" + std::to_string(i) + R"(,"e":[1,2]})";
  }
  return text;
}

inline std::string LineItems() {
  std::string text;
  for (int line = 1; line <= 4; ++line) {
    if (line > 1) text += ',';
    text += R"({"I":)" + std::to_string(line) + R"(,"C":[{"o":1,"FC":12,"BC":7},{"o":2,"FC":3,"BC":0}],"T":[)";
    for (int t = 1; t <= 5; ++t) {
      if (t > 1) text += ',';
      text += R"({"t":)" + std::to_string(line * 5 + t - 5) + R"(,"s":"O","ccw":1})";
    }
    text += R"(],"E":[{"o":1,"t":)" + std::to_string(line) + R"(,"d":"F"},{"o":5,"t":)" +
            std::to_string(line + 10) + R"(,"d":"B"}]})";
  }
  return text;
}

inline std::string CrowdItems() {
  std::string text;
  for (int region = 1; region <= 4; ++region) {
    if (region > 1) text += ',';
    text += R"({"I":)" + std::to_string(region) + R"(,"S":2,"W":0.45,"C":9,"E":)" + std::to_string(region % 2) +
            R"(,"B":[{"l":10,"t":10,"w":5,"h":5},{"l":30,"t":12,"w":6,"h":9},{"l":50,"t":40,"w":8,"h":8}]})";
  }
  return text;
}

inline const std::string& SmallText() {
  static const std::string text = R"({"T":"a","w":1920,"h":1080,"C":1,"S":"20201008123456789","DO":[)" +
                                  ObjectItems(1) + R"(],"N":[)" + EventItems(1) + "]}";
  return text;
}

inline const std::string& MediumText() {
  static const std::string text = R"({"T":"a","w":1920,"h":1080,"C":1,"S":"20201008123456789","DO":[)" +
                                  ObjectItems(20) + R"(],"N":[)" + EventItems(20) + R"(],"P":[)" + LineItems() +
                                  R"(],"CWD":[)" + CrowdItems() + "]}";
  return text;
}

inline const std::string& LargeText() {
  static const std::string text = [] {
    const std::string& medium = MediumText();
    std::string thumbnail;
    const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int i = 0; i < 65536; ++i) thumbnail += alphabet[(i * 7) % 64];
    return medium.substr(0, medium.size() - 1) + R"(,"X":")" + thumbnail + R"(","t_size":65536})";
  }();
  return text;
}

}  // namespace bench_texts
