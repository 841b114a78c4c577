// fuzz-libs: gate_foundation
// The JSON readers over arbitrary peer bodies and stored job lists: never
// crash, and every tree they build serialises to text that parses again.
#include <stddef.h>
#include <stdint.h>

#include <map>
#include <string>
#include <string_view>

#include "foundation/JsonSerializer.h"

namespace {

// Writes the tree it receives and checks that the text parses.
struct Rewrite : CSerializable {
  const char* GetTypeName() const override { return "Rewrite"; }
  void Serialize(CSerializationInfo&) const override {}
  void Deserialize(const CSerializationInfo& node) override {
    std::string text;
    CJsonSerializer::Serialize(node, &text);
    if (!CJsonSerializer::Deserialize(text, nullptr)) __builtin_trap();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view json(reinterpret_cast<const char*>(data), size);
  Rewrite record;
  bool parsed = CJsonSerializer::Deserialize(json, &record);

  std::map<std::string, std::string> map;
  if (CJsonSerializer::Deserialize(json, &map) != parsed) __builtin_trap();
  std::string text;
  CJsonSerializer::SerializeMap(map, &text);
  if (!CJsonSerializer::Deserialize(text, nullptr)) __builtin_trap();

  CSerializationInfo node;
  if (CJsonSerializer::Deserialize(json, &node) != parsed) __builtin_trap();
  text.clear();
  CJsonSerializer::Serialize(node, &text);
  if (!text.empty() && !CJsonSerializer::Deserialize(text, nullptr)) __builtin_trap();
  return 0;
}
