#include "services/EventJsonBody.h"

#include "foundation/StringUtil.h"

std::string CEventJsonBody::EscapeJsonText(const std::string& text) { return JsonEscape(text, false); }

std::string CEventJsonBody::JoinIntList(const std::vector<int>& values) {
  std::string out;
  for (size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += ',';
    out += std::to_string(values[i]);
  }
  return out;
}

void CEventJsonBody::AddLine(const std::string& prefix, int number, const std::string& value) {
  lines_.push_back("\t\"" + EscapeJsonText(prefix) + std::to_string(number) + "\": " + value);
}

void CEventJsonBody::AddText(const std::string& prefix, int number, const std::string& value) {
  AddLine(prefix, number, "\"" + EscapeJsonText(value) + "\"");
}

void CEventJsonBody::AddNumber(const std::string& prefix, int number, int value) {
  AddLine(prefix, number, std::to_string(value));
}

void CEventJsonBody::AddList(const std::string& prefix, int number, const std::vector<int>& values) {
  AddLine(prefix, number, "[" + JoinIntList(values) + "]");
}

std::string CEventJsonBody::Finish() const {
  std::string body = "{\r\n";
  for (size_t i = 0; i < lines_.size(); ++i) {
    body += lines_[i];
    body += i + 1 < lines_.size() ? ",\r\n" : "\r\n";
  }
  body += "}";
  return AnsiToUtf8(body);
}
