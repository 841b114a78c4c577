#include "entities/base/EntitySchema.h"

#include "entities/base/DBEntityFactory.h"
#include "platform/AtomicFile.h"

namespace {

constexpr int kDefaultTextLength = 255;
// The server's row limit less room for the row's own bookkeeping.
constexpr size_t kRowByteBudget = 65000;
// Bytes a character may take in the widest character set a database may use.
constexpr size_t kBytesPerCharacter = 4;

size_t ColumnRowBytes(const CColumnDescriptor& column) {
  switch (column.kind) {
    case kColumnKindString: {
      int length = column.options.sql_length;
      if (length < 0) return 12;  // TEXT is held outside the row
      return static_cast<size_t>(length > 0 ? length : kDefaultTextLength) * kBytesPerCharacter + 2;
    }
    case kColumnKindUInt64:
    case kColumnKindDouble:
    case kColumnKindDateTime:
      return 8;
    default:
      return 4;
  }
}

}  // namespace

std::string GetColumnSqlType(const CColumnDescriptor& column, bool wideTexts) {
  switch (column.kind) {
    case kColumnKindInt:
      return "INT";
    case kColumnKindBool:
      return "TINYINT";
    case kColumnKindUInt32:
      return "INT UNSIGNED";
    case kColumnKindUInt64:
      return "BIGINT UNSIGNED";
    case kColumnKindFloat:
      return "FLOAT";
    case kColumnKindDouble:
      return "DOUBLE";
    case kColumnKindDateTime:
      return "DATETIME";
    case kColumnKindDate:
      return "DATE";
    case kColumnKindTime:
      return "TIME";
    case kColumnKindString: {
      int length = column.options.sql_length;
      if (length < 0 || (length == 0 && wideTexts)) return "TEXT";
      return "VARCHAR(" + std::to_string(length > 0 ? length : kDefaultTextLength) + ")";
    }
    case kColumnKindNone:
      break;
  }
  return "TEXT";
}

std::string GetCreateTableText(const CTableDescriptor& table) {
  size_t rowBytes = 0;
  for (size_t i = 0; i < table.GetColumnCount(); ++i) rowBytes += ColumnRowBytes(table.GetColumn(i));
  const bool wideTexts = rowBytes > kRowByteBudget;

  size_t keyColumns = 0;
  switch (table.GetKeyKind()) {
    case EntityKeyKind::kComposite:
      keyColumns = 2;
      break;
    case EntityKeyKind::kNone:
      keyColumns = 0;
      break;
    default:
      keyColumns = 1;
      break;
  }
  if (keyColumns > table.GetColumnCount()) keyColumns = table.GetColumnCount();

  std::string text = "CREATE TABLE IF NOT EXISTS `";
  text += table.GetTableName();
  text += "` (";
  for (size_t i = 0; i < table.GetColumnCount(); ++i) {
    const CColumnDescriptor& column = table.GetColumn(i);
    text += i == 0 ? "\r\n  `" : ",\r\n  `";
    text += column.name;
    text += "` ";
    text += GetColumnSqlType(column, wideTexts);
    if (i < keyColumns) text += " NOT NULL";
    if (i == 0 && table.IsAutoIncrement()) text += " AUTO_INCREMENT";
  }
  if (keyColumns > 0) {
    text += ",\r\n  PRIMARY KEY (";
    for (size_t i = 0; i < keyColumns; ++i) {
      if (i > 0) text += ", ";
      text += "`";
      text += table.GetColumn(i).name;
      text += "`";
    }
    text += ")";
  }
  text += "\r\n)";
  return text;
}

std::string GetDatabaseCreationScript() {
  std::string script;
  for (const std::string& name : CDBEntityFactory::GetTableNames()) {
    const CTableDescriptor* table = CDBEntityFactory::GetTableDescriptor(name);
    if (table == nullptr || table->HasFlag(kEntityMemoryOnly)) continue;
    if (!script.empty()) script += "\r\n\r\n";
    script += GetCreateTableText(*table);
  }
  if (!script.empty()) script += "\r\n";
  return script;
}

bool WriteDatabaseCreationScript(const std::string& path, std::string* error) {
  return platform::WriteFileAtomically(path, GetDatabaseCreationScript(), error);
}
