#include "gui/OptionDialog.h"

#include <QButtonGroup>
#include <QFont>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/OptionPageWidget.h"
#include "gui/QtText.h"

namespace {

constexpr int kDialogWidth = 1000;
constexpr int kDialogHeight = 560;
constexpr int kMargin = 10;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 26;

}  // namespace

OptionDialog::OptionDialog(const ILangTexts* texts, CLocalAppSettings* settings, int languageCode, QWidget* parent,
                           IOptionMessageBox* messages, COptionProgramInfo program)
    : QDialog(parent), messages_(messages != nullptr ? messages : this) {
  model_ = std::make_unique<CDlgOptionMain>(this, messages_, texts, settings, languageCode, std::move(program));
  setWindowTitle(FromLegacy(model_->Text(CDlgOptionMain::kCaptionText)));
  setFont(QFont(QStringLiteral("Tahoma"), 9));
  resize(kDialogWidth, kDialogHeight);
  pageArea_ = new QWidget(this);
  pageArea_->setObjectName(QStringLiteral("pageArea"));
  new QVBoxLayout(pageArea_);
  pageArea_->layout()->setContentsMargins(0, 0, 0, 0);
  save_ = new QPushButton(FromLegacy(model_->Text(CDlgOptionMain::kSaveText)), this);
  close_ = new QPushButton(FromLegacy(model_->Text(CDlgOptionMain::kCloseText)), this);
  save_->setDefault(true);
  close_->setAutoDefault(false);
  connect(save_, &QPushButton::clicked, this, [this] { model_->OnOK(); });
  connect(close_, &QPushButton::clicked, this, [this] { reject(); });
  strip_ = new QButtonGroup(this);
  strip_->setExclusive(true);
  PlacePageArea();
}

OptionDialog::~OptionDialog() {
  // The page widgets show the pages' lists: they go before the model owning the pages.
  for (auto& [page, widget] : pages_) delete widget;
  pages_.clear();
}

void OptionDialog::Initialize(const std::string& pageSettingsPath) {
  model_->OnInitDialog(pageSettingsPath, kStripLeft, kStripTop, kStripTop + kStripHeight);
}

void OptionDialog::PlacePageArea() {
  int top = kStripTop + kStripHeight + kMargin / 2;
  int buttonsTop = height() - kMargin - kButtonHeight;
  pageArea_->setGeometry(kMargin, top, width() - 2 * kMargin, buttonsTop - kMargin / 2 - top);
  close_->setGeometry(width() - kMargin - kButtonWidth, buttonsTop, kButtonWidth, kButtonHeight);
  save_->setGeometry(width() - kMargin - 2 * kButtonWidth - 6, buttonsTop, kButtonWidth, kButtonHeight);
}

void OptionDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  PlacePageArea();
}

QPushButton* OptionDialog::pageButton(int page) const {
  auto it = buttons_.find(page);
  return it == buttons_.end() ? nullptr : it->second;
}

OptionPageWidget* OptionDialog::pageWidget(int page) const {
  auto it = pages_.find(page);
  return it == pages_.end() ? nullptr : it->second;
}

void OptionDialog::CheckPageButton(int page) {
  // The strip is built on the first call, from the model's laid-out buttons.
  if (buttons_.empty()) {
    const CFontStyle& style = model_->GetButtonFont();
    QFont font(FromLegacy(style.faceName));
    font.setPixelSize(style.height);
    font.setWeight(static_cast<QFont::Weight>(style.weight));
    for (const COptionPageButton& entry : model_->GetButtons()) {
      auto* button = new QPushButton(FromLegacy(entry.caption), this);
      button->setObjectName(QStringLiteral("pageButton%1").arg(entry.page));
      button->setCheckable(true);
      button->setAutoDefault(false);
      button->setFont(font);
      button->setGeometry(entry.left, entry.top, entry.width, entry.height);
      strip_->addButton(button, entry.page);
      buttons_[entry.page] = button;
      connect(button, &QPushButton::clicked, this, [this, page = entry.page] { model_->OnPageButton(page); });
      button->show();
    }
  }
  if (QPushButton* button = pageButton(page)) button->setChecked(true);
}

void OptionDialog::CreatePageView(int page, CDlgOptionPage* model) {
  auto* widget = new OptionPageWidget(model, messages_, pageArea_);
  widget->setObjectName(QStringLiteral("page%1").arg(page));
  pageArea_->layout()->addWidget(widget);
  pages_[page] = widget;
}

void OptionDialog::ShowPageView(int page) {
  if (OptionPageWidget* widget = pageWidget(page)) {
    widget->show();
    widget->raise();
  }
}

void OptionDialog::HidePageView(int page) {
  if (OptionPageWidget* widget = pageWidget(page)) widget->hide();
}

void OptionDialog::EndDialog() { QDialog::reject(); }

void OptionDialog::reject() { model_->OnCancel(); }

bool OptionDialog::ShowMessage(const std::string& text, const std::string& caption, OptionMessageKind kind) {
  if (kind == OptionMessageKind::Question) {
    return QMessageBox::question(this, FromLegacy(caption), FromLegacy(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
  }
  QMessageBox::critical(this, FromLegacy(caption), FromLegacy(text), QMessageBox::Ok);
  return true;
}
