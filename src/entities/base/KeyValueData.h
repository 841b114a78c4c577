// CKeyValueData: one row of column values looked up by column name: a row of a
// query result, or the values a row writes of itself. Rows fill themselves from
// it (CDBEntity::LoadFrom) and write their columns into it
// (CDBEntity::WriteColumns).
//
// A result reader makes one view over a column index that it owns and shares
// between the rows of one result, and points the view at each row in turn:
// either at a value list it owns, or at the row's cells read in place from the
// client library's buffer (no text copied). Any other maker may let the object
// own both index and values. Names are compared byte by byte, letter case
// included. Not thread-safe: one thread uses a row.
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
  // One cell of a row read in place: `data` is null for SQL NULL.
  struct Cell {
    const char* data = nullptr;
    size_t size = 0;
  };

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
  // was made. Valid while the row is unchanged (over cells: until the next
  // GetValue, the text being a copy).
  const std::string* GetValue() const;
  // The text at `position` of the row (a NULL cell as empty); false outside it.
  bool GetText(size_t position, std::string_view* text) const {
    if (cells_) {
      if (position >= cellCount_) return false;
      const Cell& cell = cells_[position];
      *text = cell.data ? std::string_view(cell.data, cell.size) : std::string_view();
      return true;
    }
    if (!values_ || position >= values_->size()) return false;
    *text = (*values_)[position];
    return true;
  }
  // Appends `value` and maps `name` to it; an earlier value under the same name
  // stays in the list, no longer reachable by name. The current column stays.
  // A view over cells, which cannot grow, ignores it.
  void SetValue(const std::string& name, const std::string& value);
  // Points a view at another row's values (same index) and clears the current column.
  void SetValues(Values* values);
  // Points a view at a row of `count` cells (same index), which must stay valid
  // while the view reads them, and clears the current column.
  void SetCells(const Cell* cells, size_t count);

  // The positions in the value list of a fixed list of `count` names, each
  // given by `nameAt(i)` (-1 where a name is not in the index). Looked up once
  // per `key` and kept while the index is unchanged, so that the rows of one
  // result are read by position rather than by name.
  template <typename NameAt>
  const std::vector<int>& ResolveNames(const void* key, size_t count, NameAt nameAt) {
    if (key != planKey_ || index_->size() != planIndexSize_) {
      plan_.assign(count, -1);
      for (size_t i = 0; i < count; ++i) {
        auto it = index_->find(nameAt(i));
        if (it != index_->end()) plan_[i] = it->second;
      }
      planKey_ = key;
      planIndexSize_ = index_->size();
    }
    return plan_;
  }

  const ColumnIndex& GetColumnIndex() const { return *index_; }
  // The value list (a view over cells has none: empty).
  const Values& GetValues() const;

 private:
  struct Owned {
    ColumnIndex index;
    Values values;
  };
  std::unique_ptr<Owned> owned_;  // set for an owning row
  ColumnIndex* index_;
  Values* values_;
  const Cell* cells_ = nullptr;  // set while a view reads a row in place
  size_t cellCount_ = 0;
  mutable std::string cellText_;  // GetValue's copy of a cell
  int current_ = -1;
  // ResolveNames' last answer; a copy starts without one, SetValue drops it.
  const void* planKey_ = nullptr;
  size_t planIndexSize_ = 0;
  std::vector<int> plan_;
};
