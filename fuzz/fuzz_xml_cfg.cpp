// fuzz-libs: gate_foundation
// CXmlCfg text loading over arbitrary settings files and peer replies: never
// crashes, and a store of plain, distinct keys written out reads back with the
// same keys and trimmed texts.
#include <stddef.h>
#include <stdint.h>

#include <set>
#include <string>
#include <string_view>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "foundation/XmlCfg.h"
#include "foundation/XmlParser.h"

namespace {

// Element names of lower-case letters and digits and keys all distinct: the
// writer's prefix test then nests exactly as read.
bool PlainNames(const XmlElement& element) {
  for (char c : element.name) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  }
  for (const XmlElement* child = element.first_child; child; child = child->next_sibling) {
    if (!PlainNames(*child)) return false;
  }
  return true;
}

bool DistinctKeys(const CXmlCfg& cfg) {
  std::set<std::string> seen;
  for (const CToken& token : cfg.GetTokens().GetTokens()) {
    if (!seen.insert(token.GetName()).second) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CStrList repeated;
  repeated.Add("item");
  repeated.Add("setting");
  CXmlCfg cfg;
  if (!cfg.ToCfg(text, &repeated)) {
    if (cfg.GetTokens().GetCount() != 0) __builtin_trap();
    return 0;
  }
  std::string written;
  cfg.ToXml2(&written);
  if (!DistinctKeys(cfg) || !PlainNames(XmlParseText(text)->root)) return 0;
  CXmlCfg again;
  if (!again.ToCfg(written, &repeated)) __builtin_trap();
  const auto& a = cfg.GetTokens().GetTokens();
  const auto& b = again.GetTokens().GetTokens();
  if (a.size() != b.size()) __builtin_trap();
  for (size_t i = 0; i < a.size(); ++i) {
    if (a[i].GetName() != b[i].GetName()) __builtin_trap();
    if (StrTrim(a[i].GetValue()) != b[i].GetValue()) __builtin_trap();
  }
  return 0;
}
