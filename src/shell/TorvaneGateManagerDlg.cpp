#include "shell/TorvaneGateManagerDlg.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>

#include "platform/CodePage.h"

namespace {

// Language text numbers of the window.
constexpr int kTextOption = 1;
constexpr int kTextStart = 2;
constexpr int kTextStop = 3;
constexpr int kTextTrayOpen = 4;
constexpr int kTextTrayExit = 5;
constexpr int kTextStatus = 11;
constexpr int kColumnTitles[6] = {6, 7, 8, 12, 10, 14};
constexpr int kColumnWidths[6] = {50, 150, 250, 250, 250, 50};
constexpr int kServiceNames[7] = {13, 46, 15, 45, 48, 52, 60};
constexpr int kTextAlarmChannel = 51;
constexpr int kTextAlarmEventKind1 = 55;
constexpr int kTextAlarmEventKind2 = 56;
constexpr int kTextMetroPort = 23;

std::string Format(const char* format, const std::string& text, int number) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, number);
  return text + buffer;
}

bool ShowsSynchronizedTime(GateServiceKind kind) {
  return kind == GateServiceKind::DataSynchronizer || kind == GateServiceKind::NvrDataSynchronizer ||
         kind == GateServiceKind::HTNvrDataSynchronizer;
}

}  // namespace

CTorvaneGateManagerDlg::CTorvaneGateManagerDlg(IMainDialogView* view, const ILangTexts* texts,
                                               std::vector<std::shared_ptr<IGateService>> services)
    : view_(view), texts_(texts) {
  services.erase(std::remove(services.begin(), services.end(), nullptr), services.end());
  std::stable_sort(services.begin(), services.end(), [](const auto& a, const auto& b) {
    return a->GetServiceKind() < b->GetServiceKind();
  });
  for (auto& service : services) {
    if (services_.empty() || services_.back()->GetServiceKind() != service->GetServiceKind()) {
      services_.push_back(std::move(service));
    }
  }
}

CTorvaneGateManagerDlg::~CTorvaneGateManagerDlg() { OnDestroy(); }

std::string CTorvaneGateManagerDlg::Text(int index) const { return texts_ ? texts_->GetText(index) : std::string(); }

bool CTorvaneGateManagerDlg::OnInitDialog() {
  initialised_ = true;
  // The list font, by the loaded language.
  listFont_ = CFontStyle();
  if (languageCode_ == 2) {
    listFont_.faceName = platform::ConvertCodePage("\xEA\xB5\xB4\xEB\xA6\xBC", "UTF-8", platform::LegacyCodePage());
    listFont_.height = 12;
  } else {
    listFont_.faceName = "Tahoma";
    listFont_.height = 13;
  }
  listFont_.weight = 400;
  listFont_.textColor = 0x333333;
  listFont_.flag = 1;

  // The services, in order: the data synchronizer's messages carry the
  // building-IoT auth codes; the others' go to a subscriber that does nothing.
  for (const auto& service : services_) {
    service->ApplyHiddenSettings(serviceSettings_);
    if (service->GetServiceKind() == GateServiceKind::DataSynchronizer) {
      service->SubscribeCallback(&CTorvaneGateManagerDlg::OnDataSyncMessage, this);
    } else {
      service->SubscribeCallback(&CTorvaneGateManagerDlg::OnIgnoredMessage, this);
    }
    service->Initialize();
  }

  view_->SetOptionButtonText(Text(kTextOption) + "...");
  view_->SetStartButtonText(Text(kTextStart));
  view_->SetStatusText(Text(kTextStatus));

  list_.SetRowHeight();
  std::vector<CListColumnInfo> columns;
  for (int i = 0; i < 6; ++i) columns.emplace_back(Text(kColumnTitles[i]), kColumnWidths[i], i);
  list_.SetColumns(&listFont_, columns);

  view_->PostAppStartup();

  // The event server answers from now until the window is destroyed,
  // whether the services run or not.
  if (eventServer_ != nullptr) {
    eventServer_->Configure(eventServerSettings_);
    eventServer_->Start();
  }

  if (resizer_.Hook(view_->GetResizerHost())) {
    if (auto* panel = resizer_.GetPanel(kJobListId)) {
      panel->SetAnchor(CWndResizer::ANCHOR_LEFT | CWndResizer::ANCHOR_TOP | CWndResizer::ANCHOR_RIGHT |
                       CWndResizer::ANCHOR_BOTTOM);
    }
    if (auto* panel = resizer_.GetPanel(kOptionButtonId)) {
      panel->SetAnchor(CWndResizer::ANCHOR_LEFT | CWndResizer::ANCHOR_BOTTOM);
    }
    if (auto* panel = resizer_.GetPanel(kStartButtonId)) {
      panel->SetAnchor(CWndResizer::ANCHOR_RIGHT | CWndResizer::ANCHOR_BOTTOM);
    }
  }
  return true;
}

void CTorvaneGateManagerDlg::OnAppStartup() {
  if (startFlag_) {
    OnBnClickedStart();
  } else {
    RefreshItemList();
  }
  ShowTrayIcon();
  // Without a notification area a hidden window could never be reached again.
  if (hideFlag_ && !tray_.IsEnabled() && view_->IsWindowHidden()) view_->MinimizeWindow();
}

void CTorvaneGateManagerDlg::ShowTrayIcon() {
  ITrayHost* host = view_->GetTrayHost();
  if (!tray_.IsCreated() && host != nullptr) {
    std::vector<CTrayMenuItem> menu = {{kTrayShowCommand, "Open (&O)", false},
                                       {0, "", false},
                                       {kTrayExitCommand, "Exit (&X)", false}};
    tray_.Create(host, kTrayIconId, view_->GetWindowTitle(), std::move(menu),
                 [this](unsigned command) { OnCommand(command); });
    tray_.SetMenuDefaultItem(kTrayShowCommand, false);
    tray_.SetMenuItemText(kTrayShowCommand, Text(kTextTrayOpen));
    tray_.SetMenuItemText(kTrayExitCommand, Text(kTextTrayExit));
  }
  if (tray_.IsEnabled() && tray_.IsHidden()) tray_.ShowIcon();
}

void CTorvaneGateManagerDlg::OnBnClickedStart() {
  if (running_) {
    StopServices();
    view_->EnableOptionButton(true);
    view_->SetStartButtonText(Text(kTextStart));
    view_->StopTimer(kStatusTimerId);
    return;
  }
  if (!IsAnyServiceConfigured()) return;
  StartServices();
  RefreshItemList();
  view_->EnableOptionButton(false);
  view_->SetStartButtonText(Text(kTextStop));
  view_->StartTimer(kStatusTimerId, kStatusTimerPeriodMs);
}

void CTorvaneGateManagerDlg::OnBnClickedOption() {
  if (!running_) view_->OpenOptionDialog();
}

void CTorvaneGateManagerDlg::OnTimer(unsigned id) {
  if (id == kStatusTimerId) UpdateItemStatus();
}

void CTorvaneGateManagerDlg::OnTrayShow() { view_->ShowWindowNormal(); }

void CTorvaneGateManagerDlg::OnTrayExit() {
  quit_ = true;
  view_->QuitProgram();
}

void CTorvaneGateManagerDlg::OnCommand(unsigned command) {
  if (command == kTrayShowCommand) {
    OnTrayShow();
  } else if (command == kTrayExitCommand) {
    OnTrayExit();
  }
}

void CTorvaneGateManagerDlg::OnClose() {
  if (quit_) {
    view_->QuitProgram();
  } else if (tray_.IsEnabled() && !tray_.IsHidden()) {
    view_->HideWindow();
  } else {
    view_->MinimizeWindow();
  }
}

void CTorvaneGateManagerDlg::OnTrayHostChanged(bool available) {
  tray_.OnTrayHostChanged(available);
  if (!tray_.IsEnabled() && view_->IsWindowHidden()) view_->MinimizeWindow();
}

void CTorvaneGateManagerDlg::OnDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (!initialised_) return;
  view_->StopTimer(kStatusTimerId);
  if (tray_.IsCreated()) tray_.HideIcon();
  StopServices();
  // The services may outlive the window: nothing may call back into it.
  for (const auto& service : services_) {
    service->UnsubscribeCallback(service->GetServiceKind() == GateServiceKind::DataSynchronizer
                                     ? &CTorvaneGateManagerDlg::OnDataSyncMessage
                                     : &CTorvaneGateManagerDlg::OnIgnoredMessage);
  }
  if (eventServer_ != nullptr) eventServer_->Shutdown();
  resizer_.Unhook();
  // A last pass in order, in which each service also lets go of what it holds
  // for the whole process.
  for (const auto& service : services_) {
    service->Stop();
    service->OnFinalStop();
  }
}

bool CTorvaneGateManagerDlg::IsAnyServiceConfigured() {
  for (const auto& service : services_) {
    if (service->IsConfigured()) return true;
  }
  return false;
}

int CTorvaneGateManagerDlg::StartServices() {
  running_ = true;
  for (const auto& service : services_) {
    if (service->IsConfigured()) service->Start();
  }
  return 1;
}

void CTorvaneGateManagerDlg::StopServices() {
  startFlag_ = false;
  running_ = false;
  for (const auto& service : services_) service->Stop();
}

std::string CTorvaneGateManagerDlg::FormatDetails(GateServiceKind kind, const CGateServiceItem& item,
                                                  const CGateServiceItemStatus& status) const {
  switch (kind) {
    case GateServiceKind::DataSynchronizer:
      return status.lastSynchronizedText.empty() ? item.sourceData
                                                 : item.sourceData + " (" + status.lastSynchronizedText + ")";
    case GateServiceKind::NvrDataSynchronizer:
    case GateServiceKind::HTNvrDataSynchronizer:
      return status.lastSynchronizedText;
    case GateServiceKind::AlarmOutputPublisher: {
      std::string text = Format(" %d", Text(kTextAlarmChannel), item.channel);
      if (item.eventKind == 1) text += " - " + Text(kTextAlarmEventKind1);
      if (item.eventKind == 2) text += " - " + Text(kTextAlarmEventKind2);
      return text;
    }
    case GateServiceKind::MetroEventReceiver:
      return Format(" %d", Text(kTextMetroPort), item.port);
    case GateServiceKind::AIEventPublisher:
    case GateServiceKind::ServerStatusPublisher:
      break;
  }
  return std::string();
}

std::string CTorvaneGateManagerDlg::FormatTarget(GateServiceKind kind, const CGateServiceItem& item) {
  return kind == GateServiceKind::MetroEventReceiver ? std::string() : item.target;
}

void CTorvaneGateManagerDlg::SetStatusColumns(int row, GateServiceKind kind, const CGateServiceItem& item,
                                              const CGateServiceItemStatus& status, bool withDetails) {
  if (withDetails) list_.SetItem(row, 2, FormatDetails(kind, item, status));
  list_.SetItem(row, 4, status.lastTimeText);
  list_.SetItem(row, 5, std::to_string(status.lastErrorCode));
}

void CTorvaneGateManagerDlg::RefreshItemList() {
  CScopedLock hold(list_.GetLock());
  list_.SetRedraw(false);
  list_.DeleteAllItems();
  for (const auto& service : services_) {
    GateServiceKind kind = service->GetServiceKind();
    std::string serviceName = Text(kServiceNames[static_cast<int>(kind) - 1]);
    for (const auto& [id, item] : service->GetItems()) {
      CGateServiceItemStatus status = service->GetItemStatus(id);
      if (status.id <= 0) continue;
      int row = list_.SetItem(list_.GetItemCount(), 0, std::to_string(id), id);
      if (row < 0) continue;
      list_.SetItem(row, 1, serviceName);
      list_.SetItem(row, 3, FormatTarget(kind, item));
      SetStatusColumns(row, kind, item, status, true);
    }
  }
  list_.SetRedraw(true);
}

void CTorvaneGateManagerDlg::UpdateItemStatus() {
  CScopedLock hold(list_.GetLock());
  list_.SetRedraw(false);
  for (int row = 0; row < list_.GetItemCount(); ++row) {
    int id = static_cast<int>(list_.GetItemData(row));
    for (const auto& service : services_) {
      CGateServiceItem item = service->GetItem(id);
      if (item.id <= 0) continue;
      CGateServiceItemStatus status = service->GetItemStatus(id);
      if (status.id > 0) {
        GateServiceKind kind = service->GetServiceKind();
        SetStatusColumns(row, kind, item, status, ShowsSynchronizedTime(kind));
      }
      break;
    }
  }
  list_.SetRedraw(true);
}

void CTorvaneGateManagerDlg::OnDataSyncMessage(const IMessagePublisher::_message_t* message) {
  if (message == nullptr || strcasecmp(message->message.c_str(), "MSG_BIOT_ZAV_AUTH_CODE_UPDATED") != 0) return;
  auto* dialog = static_cast<CTorvaneGateManagerDlg*>(message->context1);
  if (dialog != nullptr && dialog->authCodeMapHandler_) dialog->authCodeMapHandler_(message->value2);
}

void CTorvaneGateManagerDlg::OnIgnoredMessage(const IMessagePublisher::_message_t*) {}
