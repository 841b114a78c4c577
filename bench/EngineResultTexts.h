// M-size result texts of the outside AI engines for the benchmarks, each
// with 20 objects: ZAV AI (20 "DO" objects and 20 "N" items with regions,
// event names and colours), OGQ (an event of 20 boxes) and SKT AI (20 tracked
// objects, each with two events and three boxes).
#pragma once

#include <string>

namespace bench_texts {

inline std::string ZavAIText() {
  std::string objects;
  std::string items;
  for (int i = 1; i <= 20; ++i) {
    std::string box = R"("b":{"l":)" + std::to_string(10 * i) + R"(,"t":)" + std::to_string(20 * i) +
                      R"(,"w":50,"h":120},"o":[)" + std::to_string(i % 2 ? 10 : 50) + R"(],"c":[0.91],"tid":)" +
                      std::to_string(i);
    if (i > 1) {
      objects += ',';
      items += ',';
    }
    objects += "{" + box + "}";
    items += "{" + box + R"(,"rid":)" + std::to_string(i % 3) + R"(,"evt":")" +
             (i % 2 ? "Intrusion" : "Loitering") + R"(","clr":{"t":["white"],"b":["navy"]}})";
  }
  return R"({"T":"a","C":1,"w":1920,"h":1080,"S":"20201008123456789","DO":[)" + objects + R"(],"N":[)" + items +
         "]}";
}

inline std::string OgqText() {
  std::string boxes;
  for (int i = 1; i <= 20; ++i) {
    if (i > 1) boxes += ',';
    boxes += R"({"class":")" + std::string(i % 2 ? "person" : "smoke") + R"(","confidence":0.)" +
             std::to_string(50 + i) + R"(,"xmin":0.)" + std::to_string(100 + i) + R"(,"ymin":0.2,"xmax":0.)" +
             std::to_string(300 + i) + R"(,"ymax":0.4})";
  }
  return R"({"cameraId":3,"eventName":"fire","status":"start","startTime":1602160527.0,"time":1602160527.5,)"
         R"("boxCount":20,"boxes":[)" +
         boxes + R"(],"image":""})";
}

inline std::string SktAIText() {
  std::string objects;
  for (int i = 1; i <= 20; ++i) {
    if (i > 1) objects += ',';
    objects += R"({"confidence":0.9,"class_name":")" + std::string(i % 2 ? "person" : "vehicle") +
               R"(","track_id":)" + std::to_string(i) +
               R"(,"event_list":[{"event_name":"intrusion","event_roi_id":0},{"event_name":"loitering","event_roi_id":1}],)"
               R"("bboxes_in_track":[{"x":0.1,"y":0.2,"w":0.3,"h":0.4},{"x":0.11,"y":0.21,"w":0.3,"h":0.4},)"
               R"({"x":0.12,"y":0.22,"w":0.3,"h":0.4}]})";
  }
  return R"({"source":{"channel_id":0,"camera_timestamp":"1602160527.5"},"objects":[)" + objects + "]}";
}

}  // namespace bench_texts
