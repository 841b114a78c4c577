#include "entities/base/KeyValueData.h"

CKeyValueData::CKeyValueData()
    : m_owned(std::make_unique<Owned>()), m_index(&m_owned->index), m_values(&m_owned->values) {}

CKeyValueData::CKeyValueData(ColumnIndex* index, Values* values) : m_index(index), m_values(values) {}

CKeyValueData::~CKeyValueData() = default;

CKeyValueData::CKeyValueData(const CKeyValueData& other)
    : m_owned(other.m_owned ? std::make_unique<Owned>(*other.m_owned) : nullptr),
      m_index(m_owned ? &m_owned->index : other.m_index),
      m_values(m_owned ? &m_owned->values : other.m_values),
      m_cells(m_owned ? nullptr : other.m_cells),
      m_cellCount(m_owned ? 0 : other.m_cellCount),
      m_current(other.m_current) {}

CKeyValueData& CKeyValueData::operator=(const CKeyValueData& other) {
  if (this != &other) {
    CKeyValueData copy(other);
    m_owned = std::move(copy.m_owned);
    m_index = m_owned ? &m_owned->index : copy.m_index;
    m_values = m_owned ? &m_owned->values : copy.m_values;
    m_cells = copy.m_cells;
    m_cellCount = copy.m_cellCount;
    m_current = copy.m_current;
    m_planKey = nullptr;
  }
  return *this;
}

bool CKeyValueData::Find(std::string_view name) {
  auto it = m_index->find(name);
  m_current = it == m_index->end() ? -1 : it->second;
  return m_current >= 0;
}

const std::string* CKeyValueData::GetValue() const {
  if (m_current < 0) return nullptr;
  if (m_cells) {
    std::string_view text;
    if (!GetText(static_cast<size_t>(m_current), &text)) return nullptr;
    m_cellText.assign(text);
    return &m_cellText;
  }
  if (!m_values || static_cast<size_t>(m_current) >= m_values->size()) return nullptr;
  return &(*m_values)[static_cast<size_t>(m_current)];
}

const CKeyValueData::Values& CKeyValueData::GetValues() const {
  static const Values kNone;
  return m_cells || !m_values ? kNone : *m_values;
}

void CKeyValueData::SetValue(const std::string& name, const std::string& value) {
  if (m_cells || !m_values) return;
  m_values->push_back(value);
  (*m_index)[name] = static_cast<int>(m_values->size() - 1);
  m_planKey = nullptr;
}

void CKeyValueData::SetValues(Values* values) {
  m_values = values;
  m_cells = nullptr;
  m_cellCount = 0;
  m_current = -1;
}

void CKeyValueData::SetCells(const Cell* cells, size_t count) {
  m_cells = cells;
  m_cellCount = count;
  m_current = -1;
}
