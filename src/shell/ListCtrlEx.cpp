#include "shell/ListCtrlEx.h"

#include <algorithm>
#include <cstdio>

#include "foundation/Log.h"

namespace {

template <typename T>
intptr_t AsValue(T* pointer) {
  return reinterpret_cast<intptr_t>(pointer);
}

}  // namespace

bool CListCtrlEx::SetColumns(const CFontStyle* fontStyle, const std::vector<CListColumnInfo>& columns) {
  columns_ = columns;
  rowFontStyle_ = CFontStyle();
  rowFontStyle_.height = 11;
  rowFontStyle_.weight = 400;
  rowFontStyle_.faceName = "Tahoma";
  rowFontStyle_.textColor = 0x333333;
  rowFontStyle_.flag = 1;
  rowFontStyle_.state = 0;
  if (fontStyle != nullptr) {
    rowFontStyle_.reserved = fontStyle->reserved;
    rowFontStyle_.height = fontStyle->height;
    rowFontStyle_.weight = fontStyle->weight;
    rowFontStyle_.faceName = fontStyle->faceName;
    rowFontStyle_.textColor = fontStyle->textColor;
    rowFontStyle_.flag = fontStyle->flag;
  }
  sortedColumn_ = -1;
  if (view_ != nullptr) view_->OnColumnsReset();
  return true;
}

const CListColumnInfo* CListCtrlEx::GetColumn(int column) const {
  if (column < 0 || column >= GetColumnCount()) return nullptr;
  return &columns_[column];
}

std::string CListCtrlEx::GetHeaderText(int column) const {
  const CListColumnInfo* info = GetColumn(column);
  return info ? info->title : std::string();
}

CListCtrlEx::SortMark CListCtrlEx::GetSortMark(int column) const {
  if (column < 0 || column != sortedColumn_) return SORT_MARK_NONE;
  return columns_[column].ascending ? SORT_MARK_ASCENDING : SORT_MARK_DESCENDING;
}

int CListCtrlEx::SetItem(int row, int subItem, const std::string& text, intptr_t data) {
  if (subItem == 0) {
    if (row < 0 || row > GetItemCount()) return -1;
    Row added;
    added.cells.push_back(text);
    added.data = data;
    rows_.insert(rows_.begin() + row, std::move(added));
    RowsChanged();
    return row;
  }
  if (row < 0 || row >= GetItemCount() || subItem < 0 || subItem >= std::max(GetColumnCount(), 1)) return -1;
  std::vector<std::string>& cells = rows_[row].cells;
  if (cells.size() <= static_cast<size_t>(subItem)) cells.resize(subItem + 1);
  cells[subItem] = text;
  if (redraw_) {
    if (view_ != nullptr) view_->OnCellChanged(row, subItem);
  } else {
    pendingRedraw_ = true;
  }
  return row;
}

std::string CListCtrlEx::GetItemText(int row, int column) const {
  if (row < 0 || row >= GetItemCount() || column < 0) return std::string();
  const std::vector<std::string>& cells = rows_[row].cells;
  return static_cast<size_t>(column) < cells.size() ? cells[column] : std::string();
}

intptr_t CListCtrlEx::GetItemData(int row) const {
  if (row < 0 || row >= GetItemCount()) return 0;
  return rows_[row].data;
}

bool CListCtrlEx::DeleteItemAt(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  rows_[row].data = 0;
  return true;
}

bool CListCtrlEx::DeleteItem(int row) {
  if (row < 0 || row >= GetItemCount()) return false;
  rows_.erase(rows_.begin() + row);
  RowsChanged();
  return true;
}

void CListCtrlEx::DeleteAllItems() {
  int previous = sortedColumn_;
  sortedColumn_ = -1;
  if (previous >= 0 && view_ != nullptr) view_->OnHeaderChanged(previous);
  rows_.clear();
  RowsChanged();
}

void CListCtrlEx::SetItemSelected(int row, bool selected) {
  if (row >= 0 && row < GetItemCount()) rows_[row].selected = selected;
}

bool CListCtrlEx::IsItemSelected(int row) const { return row >= 0 && row < GetItemCount() && rows_[row].selected; }

void CListCtrlEx::SetFocusedItem(int row) {
  for (int i = 0; i < GetItemCount(); ++i) rows_[i].focused = i == row;
}

std::vector<int> CListCtrlEx::GetSelectedItems() const {
  std::vector<int> selected;
  for (int i = 0; i < GetItemCount(); ++i) {
    if (rows_[i].selected) selected.push_back(i);
  }
  return selected;
}

int CListCtrlEx::GetFocusedSelectedItem() const {
  for (int i = 0; i < GetItemCount(); ++i) {
    if (rows_[i].selected && rows_[i].focused) return i;
  }
  return -1;
}

void CListCtrlEx::SelectOnly(int row) {
  for (Row& r : rows_) r.selected = r.focused = false;
  if (row >= 0 && row < GetItemCount()) rows_[row].selected = rows_[row].focused = true;
  SelectionChanged();
}

void CListCtrlEx::SetRedraw(bool on) {
  redraw_ = on;
  if (on && pendingRedraw_) {
    pendingRedraw_ = false;
    if (view_ != nullptr) {
      view_->OnRowsReset();
      view_->OnSelectionChanged();
    }
  }
}

void CListCtrlEx::RowsChanged() {
  if (!redraw_) {
    pendingRedraw_ = true;
    return;
  }
  if (view_ != nullptr) {
    view_->OnRowsReset();
    view_->OnSelectionChanged();
  }
}

void CListCtrlEx::SelectionChanged() {
  if (!redraw_) {
    pendingRedraw_ = true;
    return;
  }
  if (view_ != nullptr) view_->OnSelectionChanged();
}

void CListCtrlEx::OnHeaderClick(int column) {
  if (column < 0 || column >= GetColumnCount() || columns_[column].sortable == 0) return;
  bool sameColumn = column == sortedColumn_;
  int previous = -1;
  if (sameColumn) {
    int veto = 0;
    NotifySubscribers("MSG_BEFORE_CHANGE_SORT_DIR", columns_[column].ascending, AsValue(&veto), 0);
    if (veto != 0) {
      columns_[column].ascending = 0;
      return;
    }
  } else {
    previous = sortedColumn_;
    sortedColumn_ = column;
  }
  NotifySubscribers("MSG_BEFORE_SORT", 0, 0, 0);
  {
    CScopedLock hold(lock_);
    if (sameColumn) columns_[column].ascending = columns_[column].ascending ? 0 : 1;
    SortRows();
    if (view_ != nullptr) {
      if (previous >= 0) view_->OnHeaderChanged(previous);
      view_->OnHeaderChanged(column);
    }
  }
  NotifySubscribers("MSG_AFTER_SORT", 0, 0, 0);
}

void CListCtrlEx::SortRows() {
  if (sortedColumn_ < 0 || columns_[sortedColumn_].sortable == 0) return;
  const CListColumnInfo& info = columns_[sortedColumn_];
  if (info.sortType >= LIST_SORT_ROW_NUMBER && info.sortType <= LIST_SORT_DURATION) {
    int column = sortedColumn_;
    bool ascending = info.ascending != 0;
    int kind = info.sortType;
    std::stable_sort(rows_.begin(), rows_.end(), [&](const Row& a, const Row& b) {
      auto text = [column](const Row& r) -> const std::string& {
        static const std::string empty;
        return static_cast<size_t>(column) < r.cells.size() ? r.cells[column] : empty;
      };
      return CompareListCells(kind, text(a), text(b), ascending) < 0;
    });
  }
  if (columns_[0].sortType == LIST_SORT_ROW_NUMBER) {
    for (size_t i = 0; i < rows_.size(); ++i) {
      if (rows_[i].cells.empty()) rows_[i].cells.resize(1);
      rows_[i].cells[0] = std::to_string(i + 1);
    }
  }
  RowsChanged();
}

bool CListCtrlEx::OnKeyDown(int key, bool control) {
  if (!control) return false;
  if (key == 'A' || key == 'a') {
    if (singleSelection_) return false;
    for (Row& r : rows_) r.selected = true;
    SelectionChanged();
    return true;
  }
  if (key != 'C' && key != 'c') return false;
  int veto = 0;
  NotifySubscribers("MSG_BEFORE_COPY_TO_CLIPBOARD", AsValue(&veto), 0, 0);
  if (veto != 0) return false;
  GATE_LOG(1, "INFO - start to make the CSV string with the list control that has %d items.\r\n", GetItemCount());
  std::string text = MakeSelectedRowsText();
  GATE_LOG(1, "INFO - making a CSV string of list items (count=%d) is done. \r\n",
           static_cast<int>(GetSelectedItems().size()));
  SaveToClipboard(text);
  return true;
}

std::string CListCtrlEx::MakeSelectedRowsText() const {
  std::string text;
  for (const Row& r : rows_) {
    if (!r.selected) continue;
    std::string line;
    for (int column = 0; column < GetColumnCount(); ++column) {
      if (!line.empty()) line += ',';
      if (static_cast<size_t>(column) < r.cells.size()) line += r.cells[column];
    }
    text += line;
    text += "\r\n";
  }
  return text;
}

void CListCtrlEx::SaveToClipboard(const std::string& text) {
  std::string error = "there is no clipboard";
  if (view_ == nullptr || !view_->PutTextOnClipboard(text, &error)) {
    GATE_LOG(1, "ERROR - Error raised when open clipboard. the error is %s\r\n", error.c_str());
  }
}

CListItemAppearance CListCtrlEx::QueryItemAppearance(int row, int column) {
  CListItemAppearance appearance = row % 2 == 0 ? evenRow_ : oddRow_;
  NotifySubscribers("MSG_QUERY_ITEM_APPEARANCE", row, AsValue(&appearance), column);
  return appearance;
}
