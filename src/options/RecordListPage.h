// TRecordListPage: the Add, Modify, Delete and selection behaviour that every
// list page shares, written once over a page's bindings and columns.
//
// A binding ties one field of the page to one record field: how a value is
// stored into a record, how a record shows in the field, and whether the
// field identifies the record (Modify gives identifying fields to the
// focused row only, the others to every selected row). A column is a header
// text, a width and the cell text of a record.
//
// Records keyed by ID (job lists) carry the ID as each row's data and show it
// in a first column (text 6, 50 pixels); new ones take the next
// "GATEMANAGER_ID". Records without an ID (target sites) are found by row
// position. All calls on the user-interface thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "foundation/IDCreater.h"
#include "options/DlgOptionPage.h"
#include "shell/JobRecord.h"

template <typename Item>
struct TRecordBinding {
  int field = 0;
  bool identifying = false;
  std::function<void(Item&, const COptionFieldValue&)> store;
  std::function<COptionFieldValue(const Item&)> show;  // null: the field keeps its contents
};

template <typename Item>
struct TRecordColumn {
  int headerText = 0;
  int width = 0;
  std::function<std::string(const Item&)> cell;
};

// The bindings most pages share.
template <typename Item>
TRecordBinding<Item> TargetUrlBinding(int field) {
  return {field, true, [](Item& item, const COptionFieldValue& v) { item.SetTargetUrl(v.text); },
          [](const Item& item) { return COptionFieldValue{item.GetTargetUrl(), 0}; }};
}
template <typename Item>
TRecordBinding<Item> TargetLoginBinding(int field) {
  return {field, false, [](Item& item, const COptionFieldValue& v) { item.SetTargetLoginID(v.text); },
          [](const Item& item) { return COptionFieldValue{item.GetTargetLoginID(), 0}; }};
}
// The password is enciphered anew at every store and shown deciphered.
template <typename Item>
TRecordBinding<Item> TargetPasswordBinding(int field) {
  return {field, false,
          [](Item& item, const COptionFieldValue& v) { item.SetTargetPassword(EncipherJobPassword(v.text)); },
          [](const Item& item) { return COptionFieldValue{item.GetTargetPasswordPlain(), 0}; }};
}
// A number field bound through a record's getter and setter.
template <typename Item, typename Get, typename Set>
TRecordBinding<Item> NumberBinding(int field, bool identifying, Get get, Set set) {
  return {field, identifying, [set](Item& item, const COptionFieldValue& v) { (item.*set)(v.number); },
          [get](const Item& item) { return COptionFieldValue{std::to_string((item.*get)()), (item.*get)()}; }};
}
// A text field bound through a record's getter and setter.
template <typename Item, typename Get, typename Set>
TRecordBinding<Item> TextBinding(int field, bool identifying, Get get, Set set) {
  return {field, identifying, [set](Item& item, const COptionFieldValue& v) { (item.*set)(v.text); },
          [get](const Item& item) { return COptionFieldValue{(item.*get)(), 0}; }};
}
// A column of a record's text or number getter.
template <typename Item, typename Get>
TRecordColumn<Item> FieldColumn(int headerText, int width, Get get) {
  return {headerText, width, [get](const Item& item) {
            if constexpr (std::is_same_v<std::decay_t<decltype((item.*get)())>, std::string>) {
              return (item.*get)();
            } else {
              return std::to_string((item.*get)());
            }
          }};
}

template <typename Item>
class TRecordListPage : public CDlgOptionPage {
 public:
  static constexpr bool kKeyedById = requires(Item item) { item.GetID(); };
  static constexpr int kIdColumnText = 6;
  static constexpr int kIdColumnWidth = 50;
  static constexpr const char* kJobIdKey = "GATEMANAGER_ID";

  using CDlgOptionPage::CDlgOptionPage;

  CListCtrlEx* GetList() override { return &list_; }
  int GetAddButtonRow() const override { return addButtonRow_; }
  // The records as the page holds them (the working copy's items).
  const std::vector<Item>& GetRecords() const { return records_; }

  // Reads and checks the fields; on success appends a new record (next ID,
  // stored fields; the rest keep the record's defaults), adds its row at the
  // end and selects it alone, which shows it.
  void OnBnClickedAdd() override {
    if (!ReadAndCheckFields()) return;
    Item item;
    if constexpr (kKeyedById) item.SetID(CIDCreater::GetInstance()->NextID(kJobIdKey));
    for (const TRecordBinding<Item>& binding : bindings_) binding.store(item, Value(binding.field));
    records_.push_back(item);
    int row = AddRow(list_.GetItemCount(), item);
    list_.SelectOnly(row);
    OnItemChangedList();
  }

  // Nothing without a selected row; otherwise reads and checks the fields,
  // gives the identifying fields to the focused selected row and the others
  // to every selected row, and rewrites their rows.
  void OnBnClickedModify() override {
    std::vector<int> selected = list_.GetSelectedItems();
    if (selected.empty()) return;
    if (!ReadAndCheckFields()) return;
    int focused = list_.GetFocusedSelectedItem();
    for (int row : selected) {
      Item* item = FindRecord(row);
      if (item == nullptr) continue;
      for (const TRecordBinding<Item>& binding : bindings_) {
        if (!binding.identifying || row == focused) binding.store(*item, Value(binding.field));
      }
      UpdateRow(row, *item);
    }
  }

  // Removes the selected rows' records and rows, from the highest row down; no question.
  void OnBnClickedDelete() override {
    std::vector<int> selected = list_.GetSelectedItems();
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
      int row = *it;
      if constexpr (kKeyedById) {
        int32_t id = static_cast<int32_t>(list_.GetItemData(row));
        for (auto record = records_.begin(); record != records_.end(); ++record) {
          if (record->GetID() == id) {
            records_.erase(record);
            break;
          }
        }
      } else {
        if (row >= 0 && row < static_cast<int>(records_.size())) records_.erase(records_.begin() + row);
      }
      list_.DeleteItemAt(row);
      list_.DeleteItem(row);
    }
    lastShownRow_ = -1;
  }

  // The row both selected and focused, when it changed, shows its record in the fields.
  void OnItemChangedList() override {
    int row = list_.GetFocusedSelectedItem();
    if (row == lastShownRow_) return;
    lastShownRow_ = row;
    if (row < 0) return;
    Item* found = FindRecord(row);
    Item item = found != nullptr ? *found : Item();
    for (const TRecordBinding<Item>& binding : bindings_) {
      if (!binding.show) continue;
      if (const COptionField* field = FindField(binding.field)) WriteField(*field, binding.show(item));
    }
  }

 protected:
  void SetBindings(std::vector<TRecordBinding<Item>> bindings) { bindings_ = std::move(bindings); }
  // The list's columns after the ID column (records keyed by ID); not sortable,
  // so rows stay in record order.
  void SetColumns(std::vector<TRecordColumn<Item>> columns, int addButtonRow) {
    columns_ = std::move(columns);
    addButtonRow_ = addButtonRow;
    std::vector<CListColumnInfo> infos;
    if constexpr (kKeyedById) infos.emplace_back(Text(kIdColumnText), kIdColumnWidth, 0);
    for (const TRecordColumn<Item>& column : columns_) infos.emplace_back(Text(column.headerText), column.width, 0);
    for (CListColumnInfo& info : infos) info.sortable = 0;
    list_.SetColumns(nullptr, infos);
  }

  // Replaces the records and rebuilds every row, holding the list's lock with redrawing off.
  void ShowRecords(const std::vector<Item>& records) {
    CScopedLock hold(list_.GetLock());
    list_.SetRedraw(false);
    list_.DeleteAllItems();
    records_ = records;
    for (const Item& item : records_) AddRow(list_.GetItemCount(), item);
    list_.SetRedraw(true);
    lastShownRow_ = -1;
  }

  std::vector<Item> records_;

 private:
  std::vector<std::string> Cells(const Item& item) const {
    std::vector<std::string> cells;
    if constexpr (kKeyedById) cells.push_back(std::to_string(item.GetID()));
    for (const TRecordColumn<Item>& column : columns_) cells.push_back(column.cell(item));
    return cells;
  }

  int AddRow(int index, const Item& item) {
    std::vector<std::string> cells = Cells(item);
    intptr_t data = 0;
    if constexpr (kKeyedById) data = item.GetID();
    int row = list_.SetItem(index, 0, cells.empty() ? std::string() : cells[0], data);
    for (size_t c = 1; c < cells.size(); ++c) list_.SetItem(row, static_cast<int>(c), cells[c]);
    return row;
  }

  void UpdateRow(int row, const Item& item) {
    std::vector<std::string> cells = Cells(item);
    size_t first = kKeyedById ? 1 : 0;
    for (size_t c = first; c < cells.size(); ++c) {
      if (c == 0) continue;  // sub-item 0 inserts; positional rows rewrite it below
      list_.SetItem(row, static_cast<int>(c), cells[c]);
    }
    if constexpr (!kKeyedById) RewriteFirstCell(row, cells.empty() ? std::string() : cells[0]);
  }

  // Rewrites cell 0 of a row without moving it: delete and insert again, keeping its selection.
  void RewriteFirstCell(int row, const std::string& text) {
    if (list_.GetItemText(row, 0) == text) return;
    bool selected = list_.IsItemSelected(row);
    bool focused = list_.GetFocusedSelectedItem() == row;
    std::vector<std::string> rest;
    for (int c = 1; c < list_.GetColumnCount(); ++c) rest.push_back(list_.GetItemText(row, c));
    list_.DeleteItem(row);
    list_.SetItem(row, 0, text);
    for (size_t c = 0; c < rest.size(); ++c) list_.SetItem(row, static_cast<int>(c + 1), rest[c]);
    list_.SetItemSelected(row, selected);
    if (focused) list_.SetFocusedItem(row);
  }

  Item* FindRecord(int row) {
    if constexpr (kKeyedById) {
      int32_t id = static_cast<int32_t>(list_.GetItemData(row));
      for (Item& item : records_)
        if (item.GetID() == id) return &item;
      return nullptr;
    } else {
      return row >= 0 && row < static_cast<int>(records_.size()) ? &records_[row] : nullptr;
    }
  }

  CListCtrlEx list_;
  std::vector<TRecordBinding<Item>> bindings_;
  std::vector<TRecordColumn<Item>> columns_;
  int addButtonRow_ = -1;
  int lastShownRow_ = -1;
};
