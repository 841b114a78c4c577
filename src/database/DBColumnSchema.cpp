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
    auto_increment_ = text.find("auto_increment") != std::string::npos ? 1 : 0;
  } else if (ReadText(row, "isautoincrement", &text)) {
    auto_increment_ = DecimalFlag(text);
  }
}
