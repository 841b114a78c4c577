// The desktop's notification area behind a CSystemTray: a QSystemTrayIcon
// with the tray's menu. The menu's items and a double click (or a single
// click, where the desktop means "open") go back to the tray.
#pragma once

#include <QIcon>
#include <QObject>

#include "shell/SystemTray.h"

class QMenu;
class QSystemTrayIcon;
class QWidget;

class TrayHost : public QObject, public ITrayHost {
  Q_OBJECT

 public:
  // `tray` receives the events and `owner` is the window the tray opens; both must outlive the host.
  TrayHost(CSystemTray* tray, QWidget* owner, const QIcon& icon, QObject* parent = nullptr);
  ~TrayHost() override;

  // Whether the desktop has a notification area now.
  static bool IsAvailable();

  bool AddIcon(const std::string& tip) override;
  void RemoveIcon() override;
  void SetMenu(const std::vector<CTrayMenuItem>& items) override;
  void PopupMenu() override;
  void ActivateOwner() override;

  // The icon's menu, as the desktop shows it.
  QMenu* menu() const { return menu_; }

 private:
  CSystemTray* tray_;
  QWidget* owner_;
  QSystemTrayIcon* icon_;
  QMenu* menu_;
};
