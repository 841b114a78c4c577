// CListCtrlEx: the report list behind every list of the user interface. It
// holds the columns (CListColumnInfo, each with a comparator kind), the rows
// with their cell texts, selection and the caller's data value, sorts by a
// header click with a mark on the sorted column, renumbers a row-number
// column, selects all rows on Ctrl+A and copies the selected rows on Ctrl+C.
// It announces sorting and copying and asks for each cell's colours through
// its IMessagePublisher base, so an owner can veto a change of sort
// direction, veto a copy or colour cells:
//
//   "MSG_BEFORE_CHANGE_SORT_DIR"   value 1: the column's ascending flag; value 2: int* veto
//   "MSG_BEFORE_SORT", "MSG_AFTER_SORT"
//   "MSG_QUERY_ITEM_APPEARANCE"    value 1: row; value 2: CListItemAppearance*; value 3: column
//   "MSG_BEFORE_COPY_TO_CLIPBOARD" value 1: int* veto
//
// The toolkit layer draws the rows through IListCtrlView and reports header
// clicks, keys and selection changes back. All calls on the user-interface
// thread; the list's lock (GetLock) is held while a sort runs, and owners hold
// it while they rebuild the rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/Lock.h"
#include "foundation/MessagePublisher.h"
#include "shell/FontStyle.h"
#include "shell/ListColumnInfo.h"

// The colours of one cell, 0x00BBGGRR; subscribers of "MSG_QUERY_ITEM_APPEARANCE" may change them.
struct CListItemAppearance {
  uint32_t textColor = 0x333333;
  uint32_t backColor = 0xFFFFFF;
};

// What the list needs of the widget that shows it.
class IListCtrlView {
 public:
  virtual ~IListCtrlView() = default;
  // The columns were replaced.
  virtual void OnColumnsReset() = 0;
  // A header's text or sort mark changed.
  virtual void OnHeaderChanged(int column) = 0;
  // Rows were inserted, deleted or reordered, or many cells changed: redraw all.
  virtual void OnRowsReset() = 0;
  // One cell's text changed.
  virtual void OnCellChanged(int row, int column) = 0;
  // The selection changed from the list's side (select all, sort, delete).
  virtual void OnSelectionChanged() = 0;
  // Puts `text` (legacy code page) on the clipboard; false, with a reason, when it cannot.
  virtual bool PutTextOnClipboard(const std::string& text, std::string* error) = 0;
};

class CListCtrlEx : public IMessagePublisher {
 public:
  // The mark a header shows before its title.
  enum SortMark { SORT_MARK_NONE, SORT_MARK_ASCENDING, SORT_MARK_DESCENDING };

  CListCtrlEx() = default;
  ~CListCtrlEx() override = default;
  CListCtrlEx(const CListCtrlEx&) = delete;
  CListCtrlEx& operator=(const CListCtrlEx&) = delete;

  // The widget that shows the list (may be null; not owned; must outlive its use).
  void SetView(IListCtrlView* view) { view_ = view; }

  // Replaces every column by `columns`; the rows keep their order and the
  // sorted column is reset. The row font style becomes `fontStyle`'s (Tahoma
  // 11 px, weight 400, dark grey when null). Always true.
  bool SetColumns(const CFontStyle* fontStyle, const std::vector<CListColumnInfo>& columns);
  int GetColumnCount() const { return static_cast<int>(columns_.size()); }
  // Column `column`, or null.
  const CListColumnInfo* GetColumn(int column) const;
  // The header title of `column` (without the mark); "" for no such column.
  std::string GetHeaderText(int column) const;
  SortMark GetSortMark(int column) const;
  int GetSortedColumn() const { return sortedColumn_; }
  const CFontStyle& GetRowFontStyle() const { return rowFontStyle_; }

  // Sub-item 0 inserts a row at `row` (0..row count) with `text` and the data
  // value `data`; any other sub-item sets that cell of an existing row (`data`
  // ignored). Returns the row, or -1 for a row or column out of range.
  int SetItem(int row, int subItem, const std::string& text, intptr_t data = 0);
  int GetItemCount() const { return static_cast<int>(rows_.size()); }
  // The text of a cell, "" out of range.
  std::string GetItemText(int row, int column) const;
  // The row's data value, 0 out of range.
  intptr_t GetItemData(int row) const;
  // Drops the row's data value (it reads 0 from now on) and keeps the row:
  // the caller deletes the row right after (DeleteItem), as the option pages
  // do. False when out of range.
  bool DeleteItemAt(int row);
  // Deletes one row; false when out of range.
  bool DeleteItem(int row);
  // Deletes every row; a sorted column loses its mark and the next click on it counts as a first one.
  void DeleteAllItems();

  // Rows 16 pixels high.
  void SetRowHeight() { rowHeight_ = 16; }
  int GetRowHeight() const { return rowHeight_; }
  // Single selection: Ctrl+A then selects nothing.
  void SetSingleSelection(bool single) { singleSelection_ = single; }
  bool IsSingleSelection() const { return singleSelection_; }

  // Selection, as the widget reports it and as the list sets it.
  void SetItemSelected(int row, bool selected);
  bool IsItemSelected(int row) const;
  void SetFocusedItem(int row);
  // Indices of the selected rows, ascending.
  std::vector<int> GetSelectedItems() const;
  // The first selected row that has the focus; -1 when none.
  int GetFocusedSelectedItem() const;
  // Only `row` is selected and focused afterwards.
  void SelectOnly(int row);

  // While redrawing is off, changes are only collected; turning it on redraws once.
  void SetRedraw(bool on);

  // A click on the header of `column`: sorts by it (the first click on a
  // column sorts descending, the next ones toggle), moves the mark and
  // renumbers a row-number first column. A veto of "MSG_BEFORE_CHANGE_SORT_DIR"
  // sets the column descending and changes nothing else. Takes the list's lock.
  void OnHeaderClick(int column);
  // A key press with Control held or not: Ctrl+A selects every row (not with
  // single selection), Ctrl+C copies the selected rows. True when handled;
  // other keys are left to the widget.
  bool OnKeyDown(int key, bool control);
  // The selected rows as text: per row its cells joined by ",", each row
  // ending "\r\n"; leading empty cells leave no separator; nothing is quoted.
  std::string MakeSelectedRowsText() const;
  // Puts `text` on the clipboard through the view; a failure is logged.
  void SaveToClipboard(const std::string& text);
  // The colours of a cell: the row parity's pair, as subscribers leave it.
  CListItemAppearance QueryItemAppearance(int row, int column);

  CLock& GetLock() { return lock_; }

 private:
  struct Row {
    std::vector<std::string> cells;  // one per column at least as far as set
    intptr_t data = 0;
    bool selected = false;
    bool focused = false;
  };

  void SortRows();
  void RowsChanged();
  void SelectionChanged();

  IListCtrlView* view_ = nullptr;
  std::vector<CListColumnInfo> columns_;
  int sortedColumn_ = -1;
  std::vector<Row> rows_;
  CLock lock_;
  CFontStyle rowFontStyle_;
  CListItemAppearance evenRow_;
  CListItemAppearance oddRow_;
  int rowHeight_ = 0;
  bool singleSelection_ = false;
  bool redraw_ = true;
  bool pendingRedraw_ = false;
};
