#include "shell/SystemTray.h"

#include "shell/TextCut.h"

CSystemTray::~CSystemTray() {
  if (host_ != nullptr && enabled_) host_->RemoveIcon();
}

void CSystemTray::Create(ITrayHost* host, unsigned iconId, const std::string& tip,
                         std::vector<CTrayMenuItem> items, std::function<void(unsigned)> onCommand) {
  if (host_ != nullptr || host == nullptr) return;
  host_ = host;
  iconId_ = iconId;
  tip_ = CutLegacyText(tip, kMaxTipBytes);
  items_ = std::move(items);
  onCommand_ = std::move(onCommand);
  host_->SetMenu(items_);
  enabled_ = host_->AddIcon(tip_);
  hidden_ = false;
}

void CSystemTray::ShowIcon() {
  if (host_ == nullptr) return;
  if (!enabled_) {
    // The notification area was missing when the icon was created; it may be there now.
    if (!hidden_) enabled_ = host_->AddIcon(tip_);
    return;
  }
  if (!hidden_) return;
  host_->AddIcon(tip_);
  hidden_ = false;
}

void CSystemTray::HideIcon() {
  if (host_ == nullptr || !enabled_ || hidden_) return;
  host_->RemoveIcon();
  hidden_ = true;
}

bool CSystemTray::SetMenuDefaultItem(unsigned item, bool byPosition) {
  if (defaultSet_ && defaultItem_ == item && defaultByPosition_ == byPosition) return true;
  bool found = byPosition ? item < items_.size() : false;
  for (const CTrayMenuItem& entry : items_) {
    if (!byPosition && entry.command == item && item != 0) found = true;
  }
  if (!found) return false;
  defaultItem_ = item;
  defaultByPosition_ = byPosition;
  defaultSet_ = true;
  MarkDefault();
  return true;
}

void CSystemTray::MarkDefault() {
  unsigned command = GetDefaultCommand();
  for (CTrayMenuItem& entry : items_) entry.isDefault = command != 0 && entry.command == command;
  if (host_ != nullptr) host_->SetMenu(items_);
}

bool CSystemTray::SetMenuItemText(unsigned command, const std::string& text) {
  for (CTrayMenuItem& entry : items_) {
    if (command != 0 && entry.command == command) {
      entry.text = text;
      if (host_ != nullptr) host_->SetMenu(items_);
      return true;
    }
  }
  return false;
}

unsigned CSystemTray::GetDefaultCommand() const {
  if (!defaultSet_) return 0;
  if (!defaultByPosition_) return defaultItem_;
  return defaultItem_ < items_.size() ? items_[defaultItem_].command : 0;
}

int CSystemTray::OnTrayNotification(unsigned iconId, unsigned event) {
  if (host_ == nullptr || iconId != iconId_) return 0;
  switch (event & 0xFFFF) {
    case EVENT_RIGHT_BUTTON_UP:
      if (items_.empty()) return 0;
      host_->ActivateOwner();
      host_->PopupMenu();
      break;
    case EVENT_LEFT_DOUBLE_CLICK:
    case EVENT_ACTIVATE: {
      host_->ActivateOwner();
      unsigned command = GetDefaultCommand();
      if (command == 0) return 0;
      if (onCommand_) onCommand_(command);
      break;
    }
    default:
      break;
  }
  return 1;
}

void CSystemTray::OnMenuCommand(unsigned command) {
  if (command != 0 && onCommand_) onCommand_(command);
}

void CSystemTray::OnTrayHostChanged(bool available) {
  if (host_ == nullptr) return;
  if (!available) {
    enabled_ = false;
    return;
  }
  if (!hidden_) enabled_ = host_->AddIcon(tip_);
}
