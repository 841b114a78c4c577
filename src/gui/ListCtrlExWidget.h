// The table widget that shows a CListCtrlEx: rows, header titles with the
// sort mark, cell colours, grid lines and full-row selection. Header clicks,
// Ctrl+A, Ctrl+C and the user's selection go to the list; the list's changes
// come back through IListCtrlView.
#pragma once

#include <QTableView>

#include "shell/ListCtrlEx.h"

class ListCtrlExModel;

class ListCtrlExWidget : public QTableView, public IListCtrlView {
  Q_OBJECT

 public:
  // Shows `list`, which must outlive the widget; the widget becomes its view.
  explicit ListCtrlExWidget(CListCtrlEx* list, QWidget* parent = nullptr);
  ~ListCtrlExWidget() override;

  CListCtrlEx* list() const { return list_; }

  void OnColumnsReset() override;
  void OnHeaderChanged(int column) override;
  void OnRowsReset() override;
  void OnCellChanged(int row, int column) override;
  void OnSelectionChanged() override;
  bool PutTextOnClipboard(const std::string& text, std::string* error) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SelectionFromWidget();
  void ApplyRowHeight();

  CListCtrlEx* list_;
  ListCtrlExModel* model_;
  bool syncing_ = false;
};
