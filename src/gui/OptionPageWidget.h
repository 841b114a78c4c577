// The widgets of one option page, built from the page's field list: a label
// and an edit, drop-down list or check box per field in its layout row, the
// Add button at the end of the page's Add row, the report list with Modify
// and Delete below it. Clicks, list selection and check boxes go to the page;
// the page reads and writes the controls through IOptionPageView.
#pragma once

#include <QWidget>

#include <map>

#include "options/DlgOptionPage.h"

class ListCtrlExWidget;
class QPushButton;

class OptionPageWidget : public QWidget, public IOptionPageView {
  Q_OBJECT

 public:
  // Builds the controls and binds `page` to them; `page` and `messages` must outlive the widget.
  OptionPageWidget(CDlgOptionPage* page, IOptionMessageBox* messages, QWidget* parent = nullptr);
  ~OptionPageWidget() override;

  CDlgOptionPage* page() const { return page_; }
  // The control of a field (object name "field<id>"), or null.
  QWidget* field(int id) const;
  ListCtrlExWidget* list() const { return list_; }
  QPushButton* addButton() const { return add_; }
  QPushButton* modifyButton() const { return modify_; }
  QPushButton* deleteButton() const { return delete_; }

  // IOptionPageView
  std::string GetFieldText(int id) override;
  void SetFieldText(int id, const std::string& text) override;
  int GetFieldIndex(int id) override;
  void SetFieldIndex(int id, int index) override;
  void FocusField(int id) override;
  void SetInputsEnabled(bool enabled) override;

 private:
  CDlgOptionPage* page_;
  std::map<int, QWidget*> fields_;
  std::map<int, QWidget*> labels_;
  ListCtrlExWidget* list_ = nullptr;
  QPushButton* add_ = nullptr;
  QPushButton* modify_ = nullptr;
  QPushButton* delete_ = nullptr;
};
