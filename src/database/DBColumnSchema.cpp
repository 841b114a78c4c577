#include "database/DBColumnSchema.h"

#include <cstdlib>

#include "entities/base/KeyValueData.h"
#include "foundation/StringUtil.h"

namespace {

// Reads `name`'s text into `text`; false when the row lacks the column.
bool ReadText(CKeyValueData& row, const char* name, std::string* text) {
  if (!row.Find(name)) return false;
  const std::string* value = row.GetValue();
  *text = value ? *value : std::string();
  return true;
}

int DecimalFlag(const std::string& text) {
  return static_cast<int>(std::strtol(text.c_str(), nullptr, 10)) != 0 ? 1 : 0;
}

}  // namespace

void CDBColumnSchema::LoadFrom(CKeyValueData& row) {
  std::string text;
  if (ReadText(row, "field", &text)) field_ = text;
  if (ReadText(row, "type", &text)) type_ = text;
  if (ReadText(row, "null", &text)) {
    nullable_ = StrEqualNoCase(text, "yes") ? 1 : 0;
  } else if (ReadText(row, "isnullable", &text)) {
    nullable_ = DecimalFlag(text);
  }
  if (ReadText(row, "key", &text)) {
    primary_ = StrEqualNoCase(text, "pri") ? 1 : 0;
  } else if (ReadText(row, "isprimary", &text)) {
    primary_ = DecimalFlag(text);
  }
  if (ReadText(row, "extra", &text)) {
    autoIncrement_ = text.find("auto_increment") != std::string::npos ? 1 : 0;
  } else if (ReadText(row, "isautoincrement", &text)) {
    autoIncrement_ = DecimalFlag(text);
  }
}

void CDBColumnSchema::Serialize(CSerializationInfo& node) const {
  node.SetName(GetTypeName());
  node.AddValue("field", field_);
  node.AddValue("type", type_);
  node.AddValue("isnullable", nullable_ ? "1" : "0");
  node.AddValue("isprimary", primary_ ? "1" : "0");
  node.AddValue("isautoincrement", autoIncrement_ ? "1" : "0");
}

void CDBColumnSchema::Deserialize(const CSerializationInfo& node) {
  if (node.IndexOf("field") >= 0) field_ = node.GetValue("field");
  if (node.IndexOf("type") >= 0) type_ = node.GetValue("type");
  if (node.IndexOf("isnullable") >= 0) nullable_ = node.GetBool("isnullable") ? 1 : 0;
  if (node.IndexOf("isprimary") >= 0) primary_ = node.GetBool("isprimary") ? 1 : 0;
  if (node.IndexOf("isautoincrement") >= 0) autoIncrement_ = node.GetBool("isautoincrement") ? 1 : 0;
}
