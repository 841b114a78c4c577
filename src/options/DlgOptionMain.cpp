#include "options/DlgOptionMain.h"

#include <sys/stat.h>

#include "foundation/Log.h"
#include "options/DlgOptionAIEvent.h"
#include "options/DlgOptionAlarmOutput.h"
#include "options/DlgOptionDataSync.h"
#include "options/DlgOptionHTNvrDataSync.h"
#include "options/DlgOptionNvrDataSync.h"
#include "options/DlgOptionServerStatus.h"
#include "options/DlgOptionVuzorMetroEvent.h"
#include "shell/LocalOptionPageSettings.h"
#include "shell/StringToIntDef.h"

namespace {

struct PageEntry {
  int captionText;
  const char* visibilityKey;  // null: always shown
  bool shownByDefault;
};

// Pages 1 to 8 in strip order.
constexpr PageEntry kPages[CDlgOptionMain::kPageCount] = {
    {1, nullptr, true},
    {17, CLocalOptionPageSettings::kDataSyncVisible, true},
    {46, CLocalOptionPageSettings::kNvrSyncVisible, true},
    {15, CLocalOptionPageSettings::kAIEventPublisherVisible, true},
    {39, CLocalOptionPageSettings::kServerStatusVisible, true},
    {48, CLocalOptionPageSettings::kHTNvrSyncVisible, true},
    {52, CLocalOptionPageSettings::kAlarmOutVisible, true},
    {59, CLocalOptionPageSettings::kVuzorMetroEvent, false},
};

// A key whose value is a non-empty text counts as its integer value (non-zero
// shows the page); an absent or empty value gives the page's default.
bool IsPageShown(CLocalOptionPageSettings& settings, const PageEntry& entry) {
  if (entry.visibilityKey == nullptr) return true;
  std::string value = settings.GetValue(0, entry.visibilityKey);
  if (value.empty()) return entry.shownByDefault;
  return StringToIntDef(value.c_str(), 0) != 0;
}

}  // namespace

CDlgOptionMain::CDlgOptionMain(IOptionDialogView* view, IOptionMessageBox* messages, const ILangTexts* texts,
                               CLocalAppSettings* settings, int languageCode, COptionProgramInfo program)
    : view_(view), messages_(messages), texts_(texts), settings_(settings), program_(std::move(program)) {
  buttonFont_.faceName = "Tahoma";
  buttonFont_.height = languageCode == kKoreanLanguage ? 13 : 12;
  buttonFont_.weight = 400;
}

CDlgOptionMain::~CDlgOptionMain() = default;

bool CDlgOptionMain::OnInitDialog(const std::string& pageSettingsPath, int left, int top, int bottom) {
  CLocalOptionPageSettings pageSettings;
  pageSettings.SetAutoSave(false);  // read only: never written, never set aside
  struct stat st;
  if (!pageSettings.Load(pageSettingsPath) && stat(pageSettingsPath.c_str(), &st) == 0) {
    GATE_LOG(1, "ERROR - Cannot read '%s': every option page takes its default.\r\n", pageSettingsPath.c_str());
  }
  buttons_.clear();
  int x = left;
  for (int page = 1; page <= kPageCount; ++page) {
    const PageEntry& entry = kPages[page - 1];
    if (!IsPageShown(pageSettings, entry)) continue;
    COptionPageButton button;
    button.page = page;
    button.id = kFirstButtonId + page - 1;
    button.caption = Text(entry.captionText);
    button.left = x;
    button.top = top;
    button.width = kButtonWidth;
    button.height = bottom - top;
    buttons_.push_back(button);
    x += kButtonStep;
  }
  view_->CheckPageButton(1);
  ShowPage(1);
  return true;
}

bool CDlgOptionMain::HasButton(int page) const {
  for (const COptionPageButton& button : buttons_)
    if (button.page == page) return true;
  return false;
}

CDlgOptionPage* CDlgOptionMain::GetPage(int page) {
  auto it = pages_.find(page);
  return it == pages_.end() ? nullptr : it->second.get();
}

std::unique_ptr<CDlgOptionPage> CDlgOptionMain::MakePage(int page) {
  switch (page) {
    case 1: return std::make_unique<CDlgOptionGeneral>(texts_, settings_, program_);
    case 2: return std::make_unique<CDlgOptionDataSync>(texts_, settings_);
    case 3: return std::make_unique<CDlgOptionNvrDataSync>(texts_, settings_);
    case 4: return std::make_unique<CDlgOptionAIEvent>(texts_, settings_);
    case 5: return std::make_unique<CDlgOptionServerStatus>(texts_, settings_);
    case 6: return std::make_unique<CDlgOptionHTNvrDataSync>(texts_, settings_);
    case 7: return std::make_unique<CDlgOptionAlarmOutput>(texts_, settings_);
    case 8: return std::make_unique<CDlgOptionVuzorMetroEvent>(texts_, settings_);
    default: return nullptr;
  }
}

bool CDlgOptionMain::ShowPage(int page) {
  if (page < 1 || page > kPageCount || !HasButton(page)) return false;
  CDlgOptionPage* model = GetPage(page);
  if (model == nullptr) {
    std::unique_ptr<CDlgOptionPage> made = MakePage(page);
    if (!made) return false;
    model = made.get();
    pages_[page] = std::move(made);
    view_->CreatePageView(page, model);
    view_->HidePageView(page);
  }
  view_->ShowPageView(page);
  model->LoadItems();
  int previous = currentPage_;
  currentPage_ = page;
  if (previous != 0 && previous != page) {
    if (CDlgOptionPage* old = GetPage(previous)) old->OnPageHidden();
    view_->HidePageView(previous);
  }
  return true;
}

bool CDlgOptionMain::CanLeaveCurrentPage() {
  CDlgOptionPage* current = GetPage(currentPage_);
  return current == nullptr || current->QueryClose() != 0;
}

void CDlgOptionMain::OnPageButton(int page) {
  if (page == currentPage_) return;
  if (CanLeaveCurrentPage() && ShowPage(page)) {
    view_->CheckPageButton(page);
    return;
  }
  view_->CheckPageButton(currentPage_);
}

void CDlgOptionMain::OnOK() {
  if (CDlgOptionPage* current = GetPage(currentPage_)) current->SaveItems();
}

void CDlgOptionMain::OnCancel() {
  if (CDlgOptionPage* current = GetPage(currentPage_)) current->RevertItems();
  view_->EndDialog();
}
