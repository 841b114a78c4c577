#include "entities/base/TableDescriptor.h"

#include "foundation/StringUtil.h"

CTableDescriptor::CTableDescriptor(const char* tableName, EntityKeyKind keyKind, const char* keyColumnName,
                                   uint32_t flags, const CColumnDescriptor* columns, size_t columnCount,
                                   int* (*hiddenRowId)(CDBEntity* row))
    : m_tableName(tableName),
      m_keyKind(keyKind),
      m_keyColumnName(keyColumnName ? keyColumnName : ""),
      m_flags(flags),
      m_columns(columns),
      m_columnCount(columnCount),
      m_hiddenRowId(hiddenRowId) {
  m_loadNames.reserve(columnCount);
  for (size_t i = 0; i < columnCount; ++i) {
    const CColumnDescriptor& column = columns[i];
    m_loadNames.push_back(column.options.load_name ? std::string(column.options.load_name)
                                                   : StrToLower(column.name));
  }
  m_lookupNames = m_loadNames;
  for (size_t i = 0; i < columnCount; ++i) {
    if (columns[i].options.legacy_name == nullptr) continue;
    m_lookupNames.push_back(columns[i].options.legacy_name);
    m_legacyColumns.push_back(i);
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
