#include "shell/ListCtrlEx.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

// A view that keeps the clipboard and counts the redraws.
class FakeListView : public IListCtrlView {
 public:
  std::string clipboard = "untouched";
  bool clipboardWorks = true;
  int resets = 0;
  int cellChanges = 0;
  std::vector<int> headerChanges;

  void OnColumnsReset() override {}
  void OnHeaderChanged(int column) override { headerChanges.push_back(column); }
  void OnRowsReset() override { ++resets; }
  void OnCellChanged(int, int) override { ++cellChanges; }
  void OnSelectionChanged() override {}
  bool PutTextOnClipboard(const std::string& text, std::string* error) override {
    if (!clipboardWorks) {
      *error = "busy";
      return false;
    }
    clipboard = text;
    return true;
  }
};

// Records the list's messages; a test may answer through the pointer values.
struct Subscriber {
  std::vector<std::string> messages;
  std::function<void(const IMessagePublisher::_message_t&)> answer;

  static void Callback(const IMessagePublisher::_message_t* m) {
    auto* self = static_cast<Subscriber*>(m->context1);
    self->messages.push_back(m->message);
    if (self->answer) self->answer(*m);
  }
};

class ListCtrlExTest : public ::testing::Test {
 protected:
  void SetUp() override {
    list.SetView(&view);
    list.SubscribeCallback(&Subscriber::Callback, &subscriber);
  }

  // Columns of the given kinds, titled "c0", "c1", ...
  void Columns(const std::vector<int>& kinds) {
    std::vector<CListColumnInfo> columns;
    for (size_t i = 0; i < kinds.size(); ++i) {
      columns.emplace_back("c" + std::to_string(i), 80, static_cast<int64_t>(i));
      columns.back().sortType = kinds[i];
    }
    ASSERT_TRUE(list.SetColumns(nullptr, columns));
  }
  void Rows(const std::vector<std::vector<std::string>>& rows) {
    for (const auto& cells : rows) {
      int row = list.SetItem(list.GetItemCount(), 0, cells[0], 100 + list.GetItemCount());
      for (size_t c = 1; c < cells.size(); ++c) list.SetItem(row, static_cast<int>(c), cells[c]);
    }
  }
  std::vector<std::string> Column(int column) {
    std::vector<std::string> texts;
    for (int row = 0; row < list.GetItemCount(); ++row) texts.push_back(list.GetItemText(row, column));
    return texts;
  }

  FakeListView view;
  Subscriber subscriber;
  CListCtrlEx list;
};

TEST_F(ListCtrlExTest, FirstClickSortsDescendingThenTogglesAndMovesTheMark) {
  Columns({LIST_SORT_TEXT, LIST_SORT_BIT_RATE});
  Rows({{"b", "3 Mbps"}, {"a", "10 Kbps"}, {"c", "fast"}});

  list.OnHeaderClick(1);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"3 Mbps", "10 Kbps", "fast"}));
  EXPECT_EQ(list.GetSortMark(1), CListCtrlEx::SORT_MARK_DESCENDING);
  EXPECT_EQ(subscriber.messages, (std::vector<std::string>{"MSG_BEFORE_SORT", "MSG_AFTER_SORT"}))
      << "a first click asks no one about the direction";

  list.OnHeaderClick(1);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"fast", "10 Kbps", "3 Mbps"}));
  EXPECT_EQ(list.GetSortMark(1), CListCtrlEx::SORT_MARK_ASCENDING);
  EXPECT_EQ(subscriber.messages.size(), 5u);
  EXPECT_EQ(subscriber.messages[2], "MSG_BEFORE_CHANGE_SORT_DIR");

  list.OnHeaderClick(0);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"c", "b", "a"}));
  EXPECT_EQ(list.GetSortMark(0), CListCtrlEx::SORT_MARK_DESCENDING);
  EXPECT_EQ(list.GetSortMark(1), CListCtrlEx::SORT_MARK_NONE) << "the other column's mark is removed";
  EXPECT_EQ(list.GetHeaderText(0), "c0");
  EXPECT_EQ(view.headerChanges.back(), 0);
  EXPECT_EQ(view.headerChanges[view.headerChanges.size() - 2], 1);

  // Each column keeps its own direction: back on column 1 it toggles from ascending.
  list.OnHeaderClick(1);
  EXPECT_EQ(list.GetSortMark(1), CListCtrlEx::SORT_MARK_ASCENDING);
  // The data values travel with their rows.
  EXPECT_EQ(list.GetItemText(0, 0), "c");
  EXPECT_EQ(list.GetItemData(0), 102);
}

TEST_F(ListCtrlExTest, VetoedDirectionChangeSetsDescendingAndChangesNothingElse) {
  Columns({LIST_SORT_INTEGER});
  Rows({{"1"}, {"3"}, {"2"}});
  list.OnHeaderClick(0);
  list.OnHeaderClick(0);
  ASSERT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
  ASSERT_EQ(list.GetColumn(0)->ascending, 1);

  intptr_t askedWith = -1;
  subscriber.answer = [&](const IMessagePublisher::_message_t& m) {
    if (m.message == "MSG_BEFORE_CHANGE_SORT_DIR") {
      askedWith = m.value1;
      *reinterpret_cast<int*>(m.value2) = 1;
    }
  };
  subscriber.messages.clear();
  list.OnHeaderClick(0);
  EXPECT_EQ(askedWith, 1);
  EXPECT_EQ(subscriber.messages, (std::vector<std::string>{"MSG_BEFORE_CHANGE_SORT_DIR"})) << "no sort follows";
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(list.GetColumn(0)->ascending, 0) << "the column is set descending";
  EXPECT_EQ(list.GetSortMark(0), CListCtrlEx::SORT_MARK_DESCENDING);
}

TEST_F(ListCtrlExTest, ClicksThatSortNothing) {
  list.OnHeaderClick(0);  // no columns yet
  Columns({LIST_SORT_TEXT, LIST_SORT_TEXT});
  std::vector<CListColumnInfo> columns = {{"a", 10, 0}, {"b", 10, 1}};
  columns[1].sortable = 0;
  list.SetColumns(nullptr, columns);
  Rows({{"x", "2"}, {"y", "1"}});
  list.OnHeaderClick(1);
  list.OnHeaderClick(5);
  list.OnHeaderClick(-1);
  EXPECT_TRUE(subscriber.messages.empty());
  EXPECT_EQ(list.GetSortedColumn(), -1);
  EXPECT_EQ(Column(0), (std::vector<std::string>{"x", "y"}));
}

TEST_F(ListCtrlExTest, RowNumberColumnIsRenumberedAfterAnySort) {
  Columns({LIST_SORT_ROW_NUMBER, LIST_SORT_RESOLUTION, LIST_SORT_NONE});
  Rows({{"1", "1280x720", "b"}, {"2", "1920x1080", "a"}, {"3", "640x480", "c"}});
  list.OnHeaderClick(1);
  EXPECT_EQ(Column(1), (std::vector<std::string>{"1920x1080", "1280x720", "640x480"}));
  EXPECT_EQ(Column(0), (std::vector<std::string>{"1", "2", "3"}));
  list.OnHeaderClick(2);  // kind 0 reorders nothing, but still renumbers and marks
  EXPECT_EQ(Column(1), (std::vector<std::string>{"1920x1080", "1280x720", "640x480"}));
  EXPECT_EQ(list.GetSortMark(2), CListCtrlEx::SORT_MARK_DESCENDING);
}

TEST_F(ListCtrlExTest, DeleteAllItemsClearsTheMarkAndTheNextClickCountsAsFirst) {
  Columns({LIST_SORT_PERCENT});
  Rows({{"8%"}, {"75%"}});
  list.OnHeaderClick(0);
  list.OnHeaderClick(0);
  ASSERT_EQ(list.GetSortMark(0), CListCtrlEx::SORT_MARK_ASCENDING);
  list.DeleteAllItems();
  EXPECT_EQ(list.GetSortMark(0), CListCtrlEx::SORT_MARK_NONE);
  Rows({{"8%"}, {"75%"}, {"x"}});
  subscriber.messages.clear();
  list.OnHeaderClick(0);
  EXPECT_EQ(subscriber.messages.front(), "MSG_BEFORE_SORT") << "not a direction change";
  EXPECT_EQ(Column(0), (std::vector<std::string>{"x", "8%", "75%"})) << "stored direction: ascending";
}

TEST_F(ListCtrlExTest, ItemsOutOfRange) {
  Columns({LIST_SORT_TEXT, LIST_SORT_TEXT});
  EXPECT_EQ(list.SetItem(1, 0, "too far"), -1);
  EXPECT_EQ(list.SetItem(0, 1, "no row"), -1);
  EXPECT_EQ(list.SetItem(0, 0, "first", 7), 0);
  EXPECT_EQ(list.SetItem(0, 0, "before", 8), 0);
  EXPECT_EQ(list.SetItem(0, 2, "no column"), -1);
  EXPECT_EQ(list.GetItemData(1), 7);
  EXPECT_EQ(list.GetItemData(2), 0);
  EXPECT_EQ(list.GetItemText(5, 0), "");
  EXPECT_FALSE(list.DeleteItemAt(3));
  EXPECT_FALSE(list.DeleteItem(3));
  // The option pages' delete: drop the row's data, then delete the row.
  EXPECT_TRUE(list.DeleteItemAt(0));
  EXPECT_EQ(list.GetItemCount(), 2) << "the row stays until the caller deletes it";
  EXPECT_EQ(list.GetItemData(0), 0);
  EXPECT_EQ(list.GetItemText(0, 0), "before");
  EXPECT_EQ(list.GetItemData(1), 7) << "the other rows keep theirs";
  EXPECT_TRUE(list.DeleteItem(0));
  EXPECT_EQ(list.GetItemCount(), 1);
  EXPECT_EQ(list.GetItemText(0, 0), "first");
  EXPECT_EQ(list.GetItemData(0), 7);
}

TEST_F(ListCtrlExTest, RedrawOffCollectsTheChangesIntoOneRedraw) {
  Columns({LIST_SORT_TEXT, LIST_SORT_TEXT});
  int before = view.resets;
  list.SetRedraw(false);
  Rows({{"a", "1"}, {"b", "2"}, {"c", "3"}});
  list.SetItem(1, 1, "changed");
  EXPECT_EQ(view.resets, before);
  EXPECT_EQ(view.cellChanges, 0);
  list.SetRedraw(true);
  EXPECT_EQ(view.resets, before + 1);
  list.SetItem(1, 1, "again");
  EXPECT_EQ(view.cellChanges, 1);
}

TEST_F(ListCtrlExTest, CtrlASelectsEveryRowUnlessSingleSelection) {
  Columns({LIST_SORT_TEXT});
  Rows({{"a"}, {"b"}, {"c"}});
  EXPECT_FALSE(list.OnKeyDown('A', false)) << "without Control";
  EXPECT_TRUE(list.GetSelectedItems().empty());
  list.SetSingleSelection(true);
  EXPECT_FALSE(list.OnKeyDown('A', true)) << "left to the widget";
  EXPECT_TRUE(list.GetSelectedItems().empty());
  list.SetSingleSelection(false);
  EXPECT_TRUE(list.OnKeyDown('a', true));
  EXPECT_EQ(list.GetSelectedItems(), (std::vector<int>{0, 1, 2}));

  list.SelectOnly(1);
  EXPECT_EQ(list.GetSelectedItems(), (std::vector<int>{1}));
  EXPECT_EQ(list.GetFocusedSelectedItem(), 1);
  list.SetItemSelected(1, false);
  EXPECT_EQ(list.GetFocusedSelectedItem(), -1);
}

TEST_F(ListCtrlExTest, CtrlCCopiesEverySelectedRowAsCommaJoinedLines) {
  Columns({LIST_SORT_TEXT, LIST_SORT_TEXT, LIST_SORT_TEXT});
  // A long row: every selected row is copied, however long.
  std::string longText(5000, 'x');
  Rows({{"1", "a,b", "75%"}, {"2", "skip", "me"}, {"", "", "lead"}, {"4", "", "mid"}, {"5", longText, "z"}});
  EXPECT_TRUE(list.OnKeyDown('C', true));
  EXPECT_EQ(view.clipboard, "") << "no selected row: an empty text";

  for (int row : {0, 2, 3, 4}) list.SetItemSelected(row, true);
  EXPECT_TRUE(list.OnKeyDown('c', true));
  EXPECT_EQ(view.clipboard, "1,a,b,75%\r\n"
                            "lead\r\n"
                            "4,,mid\r\n"
                            "5," + longText + ",z\r\n");
  EXPECT_EQ(subscriber.messages.back(), "MSG_BEFORE_COPY_TO_CLIPBOARD");
}

TEST_F(ListCtrlExTest, VetoedCopyLeavesTheClipboardAndTheKeyToTheWidget) {
  Columns({LIST_SORT_TEXT});
  Rows({{"a"}});
  list.SetItemSelected(0, true);
  subscriber.answer = [](const IMessagePublisher::_message_t& m) {
    if (m.message == "MSG_BEFORE_COPY_TO_CLIPBOARD") *reinterpret_cast<int*>(m.value1) = 1;
  };
  EXPECT_FALSE(list.OnKeyDown('C', true));
  EXPECT_EQ(view.clipboard, "untouched");
  subscriber.answer = nullptr;
  view.clipboardWorks = false;
  EXPECT_TRUE(list.OnKeyDown('C', true)) << "a clipboard failure is logged, the key is still handled";
}

TEST_F(ListCtrlExTest, SubscribersColourCells) {
  Columns({LIST_SORT_TEXT, LIST_SORT_TEXT});
  Rows({{"a", "1"}, {"b", "2"}});
  CListItemAppearance plain = list.QueryItemAppearance(1, 0);
  EXPECT_EQ(plain.textColor, 0x333333u);
  EXPECT_EQ(plain.backColor, 0xFFFFFFu);
  subscriber.answer = [](const IMessagePublisher::_message_t& m) {
    if (m.message == "MSG_QUERY_ITEM_APPEARANCE" && m.value1 == 1 && m.value3 == 1) {
      reinterpret_cast<CListItemAppearance*>(m.value2)->backColor = 0x0000FF;
    }
  };
  EXPECT_EQ(list.QueryItemAppearance(1, 1).backColor, 0x0000FFu);
  EXPECT_EQ(list.QueryItemAppearance(1, 0).backColor, 0xFFFFFFu);
}

TEST_F(ListCtrlExTest, ColumnsTakeTheGivenFontStyle) {
  CFontStyle style;
  style.faceName = "Gulim";
  style.height = 12;
  style.weight = 400;
  style.textColor = 0x333333;
  style.flag = 1;
  std::vector<CListColumnInfo> columns = {{"a", 10, 0}};
  list.SetColumns(&style, columns);
  EXPECT_EQ(list.GetRowFontStyle().faceName, "Gulim");
  EXPECT_EQ(list.GetRowFontStyle().height, 12);
  EXPECT_EQ(list.GetRowFontStyle().state, 0);
  list.SetColumns(nullptr, columns);
  EXPECT_EQ(list.GetRowFontStyle().faceName, "Tahoma");
  EXPECT_EQ(list.GetRowFontStyle().height, 11);
}

}  // namespace
