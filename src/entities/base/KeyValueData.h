// CKeyValueData: one row of column values looked up by column name: a row of a
// query result, or the values a row writes of itself. Rows fill themselves from
// it (CDBEntity::LoadFrom) and write their columns into it
// (CDBEntity::WriteColumns).
//
// A result reader makes one view over a column index and a value list that it
// owns and shares between the rows of one result, and points the view at each
// row in turn; any other maker may let the object own both. Names are compared
// byte by byte, letter case included. Not thread-safe: one thread uses a row.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CKeyValueData {
 public:
  // Column name -> position in the value list.
  using ColumnIndex = std::map<std::string, int, std::less<>>;
  using Values = std::vector<std::string>;

  // A row that owns an empty index and value list of its own.
  CKeyValueData();
  // A view over the caller's index and values, which must outlive the view.
  CKeyValueData(ColumnIndex* index, Values* values);
  virtual ~CKeyValueData();
  // A copy of an owning row owns copies; a copy of a view views the same lists.
  CKeyValueData(const CKeyValueData& other);
  CKeyValueData& operator=(const CKeyValueData& other);

  // Looks `name` up; the current column becomes its position (found) or none.
  bool Find(std::string_view name);
  // The text of the current column, or null when the last Find failed or none
  // was made. Valid while the value list is unchanged.
  const std::string* GetValue() const;
  // Appends `value` and maps `name` to it; an earlier value under the same name
  // stays in the list, no longer reachable by name. The current column stays.
  void SetValue(const std::string& name, const std::string& value);
  // Points a view at another row's values (same index) and clears the current column.
  void SetValues(Values* values);

  // The positions in the value list of a fixed list of `count` names, each
  // given by `nameAt(i)` (-1 where a name is not in the index). Looked up once
  // per `key` and kept while the index is unchanged, so that the rows of one
  // result are read by position rather than by name.
  template <typename NameAt>
  const std::vector<int>& ResolveNames(const void* key, size_t count, NameAt nameAt) {
    if (key != m_planKey || m_index->size() != m_planIndexSize) {
      m_plan.assign(count, -1);
      for (size_t i = 0; i < count; ++i) {
        auto it = m_index->find(nameAt(i));
        if (it != m_index->end()) m_plan[i] = it->second;
      }
      m_planKey = key;
      m_planIndexSize = m_index->size();
    }
    return m_plan;
  }

  const ColumnIndex& GetColumnIndex() const { return *m_index; }
  const Values& GetValues() const { return *m_values; }

 private:
  struct Owned {
    ColumnIndex index;
    Values values;
  };
  std::unique_ptr<Owned> m_owned;  // set for an owning row
  ColumnIndex* m_index;
  Values* m_values;
  int m_current = -1;
  // ResolveNames' last answer; a copy starts without one, SetValue drops it.
  const void* m_planKey = nullptr;
  size_t m_planIndexSize = 0;
  std::vector<int> m_plan;
};
