// bench-libs: gate_foundation PkgConfig::JSONCPP
// The send queue's worst case: an array of 1000 event-like records serialised
// to JSON, parsed back into records, and enciphered (AES-128-CBC + Base64),
// beside JsonCpp parsing the same text alone. Figures in MB/s of JSON text.
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <json/reader.h>
#include <json/value.h>

#include "foundation/Aes128.h"
#include "foundation/JsonSerializer.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlSerializer.h"

namespace {

struct Event : CSerializable {
  int id = 0;
  int camera_id = 0;
  int event_type = 0;
  std::string camera_name;
  std::string region_name;
  std::string occurred;
  double score = 0;
  bool alarm = false;
  std::string image_url;

  const char* GetTypeName() const override { return "AIEvent"; }
  void Serialize(CSerializationInfo& node) const override {
    node.SetName(GetTypeName());
    node.AddInt("EventID", id);
    node.AddInt("CameraID", camera_id);
    node.AddInt("EventType", event_type);
    node.AddValue("CameraName", camera_name);
    node.AddValue("RegionName", region_name);
    node.AddValue("OccurredAt", occurred);
    node.AddDouble("Score", score);
    node.AddValue("Alarm", alarm ? "1" : "0");
    node.AddValue("ImageUrl", image_url);
  }
  void Deserialize(const CSerializationInfo& node) override {
    id = node.GetInt("eventid");
    camera_id = node.GetInt("cameraid");
    event_type = node.GetInt("eventtype");
    camera_name = node.GetValue("cameraname");
    region_name = node.GetValue("regionname");
    occurred = node.GetValue("occurredat");
    score = node.GetFloat("score");
    alarm = node.GetBool("alarm");
    image_url = node.GetValue("imageurl");
  }
};

struct Events : CSerializable {
  std::vector<Event> items;
  const char* GetTypeName() const override { return "AIEvents"; }
  void Serialize(CSerializationInfo& node) const override {
    node.SetName(GetTypeName());
    node.SetArray(true);
    SerializeItems(node, items);
  }
  void Deserialize(const CSerializationInfo& node) override {
    items.clear();
    DeserializeItems(node, &items);
  }
};

Events MakeEvents() {
  Events events;
  for (int i = 0; i < 1000; ++i) {
    Event& e = events.items.emplace_back();
    e.id = 100000 + i;
    e.camera_id = i % 64;
    e.event_type = i % 7;
    e.camera_name = "Gate " + std::to_string(i % 64) + " \xC1\xA4\xB9\xAE";  // legacy code page text
    e.region_name = "Zone \"A\"/" + std::to_string(i % 5);
    e.occurred = "2024-05-01T10:" + std::to_string(10 + i % 50) + ":00.000+09:00";
    e.score = 0.5 + (i % 50) / 100.0;
    e.alarm = i % 3 == 0;
    e.image_url = "http://10.0.0.5:8080/images/" + std::to_string(e.id) + ".jpg";
  }
  return events;
}

std::string EventsJson() {
  CSerializationInfo node;
  MakeEvents().Serialize(node);
  std::string text;
  CJsonSerializer::Serialize(node, &text);
  return text;
}

void BM_SerializeJson(benchmark::State& state) {
  Events events = MakeEvents();
  size_t bytes = 0;
  for (auto _ : state) {
    CSerializationInfo node;
    events.Serialize(node);
    std::string text;
    CJsonSerializer::Serialize(node, &text);
    bytes = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
  state.counters["json_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_SerializeJson)->Unit(benchmark::kMicrosecond);

void BM_ParseJsonIntoRecords(benchmark::State& state) {
  std::string text = EventsJson();
  for (auto _ : state) {
    Events events;
    if (!CJsonSerializer::Deserialize(text, &events) || events.items.size() != 1000) state.SkipWithError("parse");
    benchmark::DoNotOptimize(events.items.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ParseJsonIntoRecords)->Unit(benchmark::kMicrosecond);

void BM_JsonCppParseOnly(benchmark::State& state) {
  std::string text = EventsJson();
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  for (auto _ : state) {
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) state.SkipWithError("parse");
    benchmark::DoNotOptimize(root.size());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_JsonCppParseOnly)->Unit(benchmark::kMicrosecond);

void BM_EncipherBody(benchmark::State& state) {
  std::string text = AnsiToUtf8(EventsJson());
  for (auto _ : state) {
    std::string body = AesEncryptBody("0123456789abcdef", text);
    benchmark::DoNotOptimize(body.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EncipherBody)->Unit(benchmark::kMicrosecond);

// The same through the cipher object's hexadecimal interface, as written.
void BM_EncipherBodyThroughHex(benchmark::State& state) {
  std::string text = AnsiToUtf8(EventsJson());
  const std::string key = "0123456789abcdef";
  for (auto _ : state) {
    CAesCipher aes;
    aes.SetIV(CAesCipher::StringToBytes(key));
    std::string hex = aes.EncryptToHex(CAesCipher::BytesToHex(text), CAesCipher::BytesToHex(key));
    benchmark::DoNotOptimize(hex.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_EncipherBodyThroughHex)->Unit(benchmark::kMicrosecond);

// The whole road of one queued body: records -> JSON -> UTF-8 -> AES -> Base64.
void BM_SerializeAndEncipher(benchmark::State& state) {
  Events events = MakeEvents();
  size_t bytes = 0;
  for (auto _ : state) {
    CSerializationInfo node;
    events.Serialize(node);
    std::string text;
    CJsonSerializer::Serialize(node, &text);
    bytes = text.size();
    std::string body = AesEncryptBody("0123456789abcdef", AnsiToUtf8(text));
    benchmark::DoNotOptimize(body.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_SerializeAndEncipher)->Unit(benchmark::kMicrosecond);

void BM_XmlWriteAndRead(benchmark::State& state) {
  Events events = MakeEvents();
  size_t bytes = 0;
  for (auto _ : state) {
    std::string text = CXmlSerializer::ToXml(events);
    bytes = text.size();
    Events back;
    CXmlSerializer::FromXml(text, &back);
    benchmark::DoNotOptimize(back.items.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_XmlWriteAndRead)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
