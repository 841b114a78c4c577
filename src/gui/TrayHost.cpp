#include "gui/TrayHost.h"

#include <QCursor>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

#include "gui/QtText.h"
#include "shell/TorvaneGateManagerDlg.h"

TrayHost::TrayHost(CSystemTray* tray, QWidget* owner, const QIcon& icon, QObject* parent)
    : QObject(parent), tray_(tray), owner_(owner), icon_(new QSystemTrayIcon(icon, this)), menu_(new QMenu()) {
  icon_->setContextMenu(menu_);
  connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
    unsigned id = CTorvaneGateManagerDlg::kTrayIconId;
    if (reason == QSystemTrayIcon::DoubleClick) {
      tray_->OnTrayNotification(id, CSystemTray::EVENT_LEFT_DOUBLE_CLICK);
    } else if (reason == QSystemTrayIcon::Trigger) {
      tray_->OnTrayNotification(id, CSystemTray::EVENT_ACTIVATE);
    }
  });
}

TrayHost::~TrayHost() {
  icon_->hide();
  delete menu_;
}

bool TrayHost::IsAvailable() { return QSystemTrayIcon::isSystemTrayAvailable(); }

bool TrayHost::AddIcon(const std::string& tip) {
  icon_->setToolTip(FromLegacy(tip));
  if (!IsAvailable()) return false;
  icon_->show();
  return true;
}

void TrayHost::RemoveIcon() { icon_->hide(); }

void TrayHost::SetMenu(const std::vector<CTrayMenuItem>& items) {
  menu_->clear();
  for (const CTrayMenuItem& item : items) {
    if (item.command == 0) {
      menu_->addSeparator();
      continue;
    }
    QAction* action = menu_->addAction(FromLegacy(item.text));
    unsigned command = item.command;
    connect(action, &QAction::triggered, this, [this, command] { tray_->OnMenuCommand(command); });
    if (item.isDefault) {
      QFont bold = action->font();
      bold.setBold(true);
      action->setFont(bold);
      menu_->setDefaultAction(action);
    }
  }
}

void TrayHost::PopupMenu() { menu_->popup(QCursor::pos()); }

void TrayHost::ActivateOwner() {
  if (owner_->isVisible()) {
    owner_->raise();
    owner_->activateWindow();
  }
}
