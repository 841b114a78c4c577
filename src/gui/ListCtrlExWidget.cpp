#include "gui/ListCtrlExWidget.h"

#include <QAbstractTableModel>
#include <QClipboard>
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>

#include "gui/QtText.h"

namespace {

QColor FromColorRef(uint32_t color) {
  return QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                static_cast<int>((color >> 16) & 0xFF));
}

}  // namespace

// Reads the rows and headers straight from the list.
class ListCtrlExModel : public QAbstractTableModel {
 public:
  ListCtrlExModel(CListCtrlEx* list, QObject* parent) : QAbstractTableModel(parent), list_(list) {}

  int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : list_->GetItemCount(); }
  int columnCount(const QModelIndex& parent) const override {
    return parent.isValid() ? 0 : list_->GetColumnCount();
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return QVariant();
    switch (role) {
      case Qt::DisplayRole:
        return FromLegacy(list_->GetItemText(index.row(), index.column()));
      case Qt::ForegroundRole:
        return FromColorRef(list_->QueryItemAppearance(index.row(), index.column()).textColor);
      case Qt::BackgroundRole:
        return FromColorRef(list_->QueryItemAppearance(index.row(), index.column()).backColor);
      case Qt::TextAlignmentRole:
        return QVariant::fromValue(Alignment(index.column()));
      case Qt::FontRole:
        return RowFont();
      default:
        return QVariant();
    }
  }

  // The rows' font, made from the list's font style.
  QFont RowFont() const {
    const CLogicalFont& logical = list_->GetRowFontStyle().GetFont();
    QFont font(FromLegacy(logical.faceName));
    if (logical.height > 0) font.setPixelSize(logical.height);
    if (logical.weight > 0) font.setWeight(static_cast<QFont::Weight>(logical.weight));
    return font;
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal) return QVariant();
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Alignment(section));
    if (role != Qt::DisplayRole) return QVariant();
    QString title = FromLegacy(list_->GetHeaderText(section));
    switch (list_->GetSortMark(section)) {
      case CListCtrlEx::SORT_MARK_ASCENDING:
        return QString(QChar(0x25B2)) + title;
      case CListCtrlEx::SORT_MARK_DESCENDING:
        return QString(QChar(0x25BC)) + title;
      case CListCtrlEx::SORT_MARK_NONE:
        break;
    }
    return title;
  }

  void Reset() {
    beginResetModel();
    endResetModel();
  }
  void CellChanged(int row, int column) {
    QModelIndex at = index(row, column);
    emit dataChanged(at, at);
  }
  void HeaderChanged(int column) { emit headerDataChanged(Qt::Horizontal, column, column); }

 private:
  Qt::Alignment Alignment(int column) const {
    const CListColumnInfo* info = list_->GetColumn(column);
    int format = info ? info->format : LIST_FORMAT_LEFT;
    Qt::Alignment horizontal = format == LIST_FORMAT_RIGHT    ? Qt::AlignRight
                               : format == LIST_FORMAT_CENTER ? Qt::AlignHCenter
                                                              : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
  }

  CListCtrlEx* list_;
};

ListCtrlExWidget::ListCtrlExWidget(CListCtrlEx* list, QWidget* parent)
    : QTableView(parent), list_(list), model_(new ListCtrlExModel(list, this)) {
  setModel(model_);
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(list_->IsSingleSelection() ? QAbstractItemView::SingleSelection
                                              : QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  horizontalHeader()->setSectionsClickable(true);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setStretchLastSection(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) { list_->OnHeaderClick(column); });
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionFromWidget(); });
  connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (!syncing_) list_->SetFocusedItem(current.isValid() ? current.row() : -1);
  });
  list_->SetView(this);
  OnColumnsReset();
}

ListCtrlExWidget::~ListCtrlExWidget() { list_->SetView(nullptr); }

void ListCtrlExWidget::ApplyRowHeight() {
  int height = list_->GetRowHeight();
  if (height <= 0) return;
  verticalHeader()->setMinimumSectionSize(height);
  verticalHeader()->setDefaultSectionSize(height);
}

void ListCtrlExWidget::OnColumnsReset() {
  syncing_ = true;
  model_->Reset();
  syncing_ = false;
  for (int column = 0; column < list_->GetColumnCount(); ++column) {
    setColumnWidth(column, list_->GetColumn(column)->width);
  }
  ApplyRowHeight();
  OnSelectionChanged();
}

void ListCtrlExWidget::OnHeaderChanged(int column) { model_->HeaderChanged(column); }

void ListCtrlExWidget::OnRowsReset() {
  syncing_ = true;
  model_->Reset();
  syncing_ = false;
  ApplyRowHeight();
}

void ListCtrlExWidget::OnCellChanged(int row, int column) { model_->CellChanged(row, column); }

void ListCtrlExWidget::OnSelectionChanged() {
  syncing_ = true;
  QItemSelection selection;
  int columns = model_->columnCount(QModelIndex());
  for (int row : list_->GetSelectedItems()) {
    if (columns > 0) selection.select(model_->index(row, 0), model_->index(row, columns - 1));
  }
  selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  // The list's focused selected row becomes the widget's current row, so
  // keyboard moves and shift-clicks start from it.
  int focused = list_->GetFocusedSelectedItem();
  if (focused >= 0 && columns > 0) {
    selectionModel()->setCurrentIndex(model_->index(focused, 0), QItemSelectionModel::NoUpdate);
  }
  syncing_ = false;
}

void ListCtrlExWidget::SelectionFromWidget() {
  if (syncing_) return;
  for (int row = 0; row < list_->GetItemCount(); ++row) {
    list_->SetItemSelected(row, selectionModel()->isRowSelected(row, QModelIndex()));
  }
}

bool ListCtrlExWidget::PutTextOnClipboard(const std::string& text, std::string* error) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) {
    if (error) *error = "there is no clipboard";
    return false;
  }
  clipboard->setText(FromLegacy(text));
  return true;
}

void ListCtrlExWidget::keyPressEvent(QKeyEvent* event) {
  int key = event->key();
  bool control = (event->modifiers() & Qt::ControlModifier) != 0;
  if (key >= Qt::Key_A && key <= Qt::Key_Z && list_->OnKeyDown(key, control)) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}
