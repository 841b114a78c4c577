#include "gui/OptionPageWidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include "gui/ListCtrlExWidget.h"
#include "gui/QtText.h"

namespace {

bool IsDigitsOnly(OptionFieldKind kind) {
  return kind == OptionFieldKind::Number || kind == OptionFieldKind::DigitText || kind == OptionFieldKind::Ranged;
}

QPushButton* MakeButton(const std::string& text, const char* name, QWidget* parent) {
  auto* button = new QPushButton(FromLegacy(text), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);  // Enter is the dialog's Save
  return button;
}

}  // namespace

OptionPageWidget::OptionPageWidget(CDlgOptionPage* page, IOptionMessageBox* messages, QWidget* parent)
    : QWidget(parent), page_(page) {
  auto* outer = new QVBoxLayout(this);
  std::map<int, QHBoxLayout*> rows;
  QVBoxLayout* content = outer;
  auto rowLayout = [&](int row) {
    QHBoxLayout*& layout = rows[row];
    if (layout == nullptr) {
      layout = new QHBoxLayout();
      content->addLayout(layout);
    }
    return layout;
  };
  for (const COptionField& field : page->GetFields()) {
    QWidget* widget = nullptr;
    switch (field.kind) {
      case OptionFieldKind::Group: {
        // A group holds the rows after it; the list page's group also holds the list.
        auto* box = new QGroupBox(FromLegacy(field.label), this);
        content = new QVBoxLayout(box);
        outer->addWidget(box);
        labels_[field.id] = box;
        continue;
      }
      case OptionFieldKind::Note: {
        auto* note = new QLabel(FromLegacy(field.label), this);
        rowLayout(field.row)->addWidget(note);
        labels_[field.id] = note;
        continue;
      }
      case OptionFieldKind::Check: {
        auto* box = new QCheckBox(FromLegacy(field.label), this);
        connect(box, &QCheckBox::clicked, this, [this, id = field.id] { page_->OnCheckClicked(id); });
        widget = box;
        rowLayout(field.row)->addWidget(box);
        break;
      }
      case OptionFieldKind::Choice: {
        auto* combo = new QComboBox(this);
        for (const std::string& choice : field.choices) combo->addItem(FromLegacy(choice));
        widget = combo;
        break;
      }
      default: {
        auto* edit = new QLineEdit(this);
        if (field.kind == OptionFieldKind::Password) edit->setEchoMode(QLineEdit::Password);
        if (IsDigitsOnly(field.kind)) {
          edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        widget = edit;
        break;
      }
    }
    widget->setObjectName(QStringLiteral("field%1").arg(field.id));
    fields_[field.id] = widget;
    if (field.kind != OptionFieldKind::Check) {
      auto* label = new QLabel(FromLegacy(field.label), this);
      label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
      label->setBuddy(widget);
      labels_[field.id] = label;
      QHBoxLayout* layout = rowLayout(field.row);
      layout->addWidget(label);
      layout->addWidget(widget, 1);
    }
  }
  if (CListCtrlEx* list = page->GetList()) {
    QHBoxLayout* addRow = rowLayout(page->GetAddButtonRow());
    add_ = MakeButton(page->Text(CDlgOptionPage::kAddText), "addButton", this);
    addRow->addWidget(add_);
    list_ = new ListCtrlExWidget(list, this);
    list_->setObjectName(QStringLiteral("list"));
    content->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    modify_ = MakeButton(page->Text(CDlgOptionPage::kModifyText), "modifyButton", this);
    delete_ = MakeButton(page->Text(CDlgOptionPage::kDeleteText), "deleteButton", this);
    buttons->addWidget(modify_);
    buttons->addWidget(delete_);
    content->addLayout(buttons);
    connect(add_, &QPushButton::clicked, this, [this] { page_->OnBnClickedAdd(); });
    connect(modify_, &QPushButton::clicked, this, [this] { page_->OnBnClickedModify(); });
    connect(delete_, &QPushButton::clicked, this, [this] { page_->OnBnClickedDelete(); });
    // After the list widget has handed the change to the list (its own connections come first).
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { page_->OnItemChangedList(); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { page_->OnItemChangedList(); });
  } else {
    outer->addStretch(1);
  }
  page->CreatePage(this, messages);
}

OptionPageWidget::~OptionPageWidget() {
  // The list widget shows the page's list: it goes before the page does.
  delete list_;
  list_ = nullptr;
}

QWidget* OptionPageWidget::field(int id) const {
  auto it = fields_.find(id);
  return it == fields_.end() ? nullptr : it->second;
}

std::string OptionPageWidget::GetFieldText(int id) {
  if (auto* edit = qobject_cast<QLineEdit*>(field(id))) return ToLegacy(edit->text());
  if (auto* combo = qobject_cast<QComboBox*>(field(id))) return ToLegacy(combo->currentText());
  return std::string();
}

void OptionPageWidget::SetFieldText(int id, const std::string& text) {
  if (auto* edit = qobject_cast<QLineEdit*>(field(id))) edit->setText(FromLegacy(text));
}

int OptionPageWidget::GetFieldIndex(int id) {
  if (auto* combo = qobject_cast<QComboBox*>(field(id))) return combo->currentIndex();
  if (auto* box = qobject_cast<QCheckBox*>(field(id))) return box->isChecked() ? 1 : 0;
  return -1;
}

void OptionPageWidget::SetFieldIndex(int id, int index) {
  if (auto* combo = qobject_cast<QComboBox*>(field(id))) combo->setCurrentIndex(index < combo->count() ? index : -1);
  if (auto* box = qobject_cast<QCheckBox*>(field(id))) box->setChecked(index != 0);
}

void OptionPageWidget::FocusField(int id) {
  if (QWidget* widget = field(id)) widget->setFocus(Qt::OtherFocusReason);
}

void OptionPageWidget::SetInputsEnabled(bool enabled) {
  for (auto& [id, widget] : fields_) {
    if (qobject_cast<QCheckBox*>(widget) == nullptr) widget->setEnabled(enabled);
  }
  for (auto& [id, label] : labels_) {
    if (qobject_cast<QGroupBox*>(label) == nullptr) label->setEnabled(enabled);
  }
  for (QWidget* widget : {static_cast<QWidget*>(list_), static_cast<QWidget*>(add_),
                          static_cast<QWidget*>(modify_), static_cast<QWidget*>(delete_)}) {
    if (widget != nullptr) widget->setEnabled(enabled);
  }
}
