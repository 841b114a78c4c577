#include "entities/base/TableDescriptor.h"

#include "foundation/StringUtil.h"

CTableDescriptor::CTableDescriptor(const char* tableName, EntityKeyKind keyKind, const char* keyColumnName,
                                   uint32_t flags, const CColumnDescriptor* columns, size_t columnCount,
                                   int* (*hiddenRowId)(CDBEntity* row))
    : tableName_(tableName),
      keyKind_(keyKind),
      keyColumnName_(keyColumnName ? keyColumnName : ""),
      flags_(flags),
      columns_(columns),
      columnCount_(columnCount),
      hiddenRowId_(hiddenRowId) {
  loadNames_.reserve(columnCount);
  for (size_t i = 0; i < columnCount; ++i) {
    const CColumnDescriptor& column = columns[i];
    loadNames_.push_back(column.options.load_name ? std::string(column.options.load_name)
                                                   : StrToLower(column.name));
  }
  lookupNames_ = loadNames_;
  for (size_t i = 0; i < columnCount; ++i) {
    if (columns[i].options.legacy_name == nullptr) continue;
    lookupNames_.push_back(columns[i].options.legacy_name);
    legacyColumns_.push_back(i);
  }
}

std::string AccessorSuffixFor(const std::string& columnName) {
  std::string suffix;
  bool partStart = true;
  for (char c : columnName) {
    if (c == '_') {
      partStart = true;
      continue;
    }
    suffix.push_back(partStart && c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    partStart = false;
  }
  return suffix;
}
