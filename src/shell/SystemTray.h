// CSystemTray: the application's icon in the notification area. It keeps the
// icon's tooltip and popup menu, shows and hides the icon, and turns the
// icon's events into menu commands for its owner (a double click gives the
// menu's default command). The toolkit layer (ITrayHost) puts the icon and
// its menu on the screen. Used only on the user-interface thread.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One item of the tray's popup menu.
struct CTrayMenuItem {
  unsigned command = 0;   // 0 for a separator
  std::string text;       // legacy code page; "&" marks the mnemonic
  bool isDefault = false;
};

// What the tray needs of the desktop.
class ITrayHost {
 public:
  virtual ~ITrayHost() = default;
  // Puts the icon into the notification area; false when there is none or it refused.
  virtual bool AddIcon(const std::string& tip) = 0;
  virtual void RemoveIcon() = 0;
  // Gives the icon its menu (shown by the desktop on a right click).
  virtual void SetMenu(const std::vector<CTrayMenuItem>& items) = 0;
  // Shows the menu at the cursor now, where the desktop does not do it itself.
  virtual void PopupMenu() = 0;
  // Brings the owner's window to the foreground.
  virtual void ActivateOwner() = 0;
};

class CSystemTray {
 public:
  // Icon events, as the desktop reports them.
  enum Event : unsigned {
    EVENT_RIGHT_BUTTON_UP = 0x205,
    EVENT_LEFT_DOUBLE_CLICK = 0x203,
    EVENT_ACTIVATE = 0x400,  // a single click where the desktop means "open"
  };

  // Longest tooltip, in bytes.
  static constexpr size_t kMaxTipBytes = 127;

  CSystemTray() = default;
  ~CSystemTray();
  CSystemTray(const CSystemTray&) = delete;
  CSystemTray& operator=(const CSystemTray&) = delete;

  // Adds the icon with `tip` (cut to 127 bytes on a character boundary) and
  // the menu `items`; commands go to `onCommand`. Does nothing when already
  // created. IsEnabled() then tells whether the desktop accepted the icon.
  void Create(ITrayHost* host, unsigned iconId, const std::string& tip, std::vector<CTrayMenuItem> items,
              std::function<void(unsigned)> onCommand);
  bool IsCreated() const { return host_ != nullptr; }
  bool IsEnabled() const { return enabled_; }
  bool IsHidden() const { return hidden_; }
  const std::string& GetTip() const { return tip_; }

  // When enabled and hidden: adds the icon again. When the icon was refused
  // (no notification area at the time), tries once more and records the answer.
  void ShowIcon();
  // When enabled and not hidden: removes the icon.
  void HideIcon();
  // Records the default item (a command, or a position when `byPosition`)
  // and marks it in the menu; false when there is no such item.
  bool SetMenuDefaultItem(unsigned item, bool byPosition);
  // Replaces the text of the item with `command`; false when there is none.
  bool SetMenuItemText(unsigned command, const std::string& text);
  const std::vector<CTrayMenuItem>& GetMenu() const { return items_; }
  // The default item's command, 0 when there is none.
  unsigned GetDefaultCommand() const;

  // An event of icon `iconId`: a right click shows the menu, a double click
  // (or an activation) sends the default command. 0 for another icon, else 1.
  int OnTrayNotification(unsigned iconId, unsigned event);
  // A menu item was chosen: its command goes to the owner.
  void OnMenuCommand(unsigned command);

  // The notification area came or went (a desktop restart). When it is back,
  // an icon that is not hidden is added again.
  void OnTrayHostChanged(bool available);

 private:
  void MarkDefault();

  ITrayHost* host_ = nullptr;
  unsigned iconId_ = 0;
  std::string tip_;
  std::vector<CTrayMenuItem> items_;
  std::function<void(unsigned)> onCommand_;
  bool enabled_ = false;
  bool hidden_ = false;
  unsigned defaultItem_ = 0;
  bool defaultByPosition_ = true;
  bool defaultSet_ = false;
};
