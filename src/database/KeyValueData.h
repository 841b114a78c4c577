// TEMPORARY stand-in with the interface of the entity base's CKeyValueData
// (entities/base/KeyValueData.h); removed when that lands.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

class CKeyValueData {
 public:
  using ColumnIndex = std::map<std::string, int, std::less<>>;
  using Values = std::vector<std::string>;

  CKeyValueData(ColumnIndex* index, Values* values) : m_index(index), m_values(values) {}
  virtual ~CKeyValueData() = default;

  bool Find(std::string_view name) {
    auto it = m_index->find(name);
    m_current = it == m_index->end() ? -1 : it->second;
    return m_current >= 0;
  }
  const std::string* GetValue() const {
    if (m_current < 0 || static_cast<size_t>(m_current) >= m_values->size()) return nullptr;
    return &(*m_values)[static_cast<size_t>(m_current)];
  }
  void SetValue(const std::string& name, const std::string& value) {
    m_values->push_back(value);
    (*m_index)[name] = static_cast<int>(m_values->size() - 1);
  }
  void SetValues(Values* values) {
    m_values = values;
    m_current = -1;
  }

 private:
  ColumnIndex* m_index;
  Values* m_values;
  int m_current = -1;
};
