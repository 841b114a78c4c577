#include "shell/SystemTray.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "shell/TestTrayHost.h"

namespace {

using FakeTrayHost = TestTrayHost;

std::vector<CTrayMenuItem> TrayMenu() { return {{32771, "Open (&O)", false}, {0, "", false}, {32772, "Exit (&X)", false}}; }

TEST(SystemTray, DoubleClickSendsTheDefaultCommandAndOtherIconsAreIgnored) {
  FakeTrayHost host;
  std::vector<unsigned> commands;
  CSystemTray tray;
  tray.Create(&host, 129, "TorvaneGateManager", TrayMenu(), [&](unsigned c) { commands.push_back(c); });
  ASSERT_TRUE(tray.IsEnabled());
  EXPECT_EQ(host.tip, "TorvaneGateManager");

  EXPECT_EQ(tray.OnTrayNotification(129, CSystemTray::EVENT_LEFT_DOUBLE_CLICK), 0)
      << "no default item yet: nothing to send";
  EXPECT_TRUE(tray.SetMenuDefaultItem(32771, false));
  EXPECT_TRUE(host.menu[0].isDefault);
  EXPECT_FALSE(host.menu[2].isDefault);

  EXPECT_EQ(tray.OnTrayNotification(130, CSystemTray::EVENT_LEFT_DOUBLE_CLICK), 0);
  EXPECT_TRUE(commands.empty());
  EXPECT_EQ(tray.OnTrayNotification(129, CSystemTray::EVENT_LEFT_DOUBLE_CLICK), 1);
  EXPECT_EQ(tray.OnTrayNotification(129, 0x10000 | CSystemTray::EVENT_ACTIVATE), 1) << "low 16 bits compared";
  EXPECT_EQ(commands, (std::vector<unsigned>{32771, 32771}));

  EXPECT_EQ(tray.OnTrayNotification(129, CSystemTray::EVENT_RIGHT_BUTTON_UP), 1);
  EXPECT_EQ(host.popups, 1);
  EXPECT_EQ(tray.OnTrayNotification(129, 0x200), 1) << "any other event of the icon is answered";

  tray.OnMenuCommand(32772);
  EXPECT_EQ(commands.back(), 32772u);
}

TEST(SystemTray, DefaultItemByPositionAndItemTexts) {
  FakeTrayHost host;
  CSystemTray tray;
  tray.Create(&host, 129, "tip", TrayMenu(), nullptr);
  EXPECT_FALSE(tray.SetMenuDefaultItem(7, true)) << "no item at that position";
  EXPECT_FALSE(tray.SetMenuDefaultItem(1234, false)) << "no item with that command";
  EXPECT_TRUE(tray.SetMenuDefaultItem(2, true));
  EXPECT_EQ(tray.GetDefaultCommand(), 32772u);
  EXPECT_TRUE(tray.SetMenuItemText(32771, "Ouvrir"));
  EXPECT_FALSE(tray.SetMenuItemText(0, "separator"));
  EXPECT_EQ(host.menu[0].text, "Ouvrir");
  EXPECT_TRUE(host.menu[2].isDefault);
}

TEST(SystemTray, HideAndShowChangeTheAreaOnlyOnce) {
  FakeTrayHost host;
  CSystemTray tray;
  tray.Create(&host, 129, "tip", TrayMenu(), nullptr);
  tray.ShowIcon();
  EXPECT_EQ(host.added, 1) << "showing a visible icon changes nothing";
  tray.HideIcon();
  tray.HideIcon();
  EXPECT_EQ(host.removed, 1);
  EXPECT_TRUE(tray.IsHidden());
  tray.ShowIcon();
  tray.ShowIcon();
  EXPECT_EQ(host.added, 2);
  EXPECT_FALSE(tray.IsHidden());
}

TEST(SystemTray, WithoutANotificationAreaNothingIsShownUntilItComes) {
  FakeTrayHost host;
  host.available = false;
  {
    CSystemTray tray;
    tray.Create(&host, 129, "tip", TrayMenu(), nullptr);
    EXPECT_FALSE(tray.IsEnabled());
    tray.HideIcon();
    EXPECT_EQ(host.removed, 0);
    // The desktop's notification area starts (or restarts) later.
    host.available = true;
    tray.OnTrayHostChanged(true);
    EXPECT_TRUE(tray.IsEnabled());
    EXPECT_EQ(host.added, 1);
    tray.OnTrayHostChanged(false);
    EXPECT_FALSE(tray.IsEnabled());
  }
  EXPECT_EQ(host.removed, 0) << "an icon the area lost is not removed again";
  {
    CSystemTray tray;
    tray.Create(&host, 129, "tip", TrayMenu(), nullptr);
  }
  EXPECT_EQ(host.removed, 1) << "the destructor removes an accepted icon";
}

TEST(SystemTray, LongTipsAreCutWithoutSplittingACharacter) {
  FakeTrayHost host;
  CSystemTray tray;
  tray.Create(&host, 129, std::string(200, 'a'), TrayMenu(), nullptr);
  EXPECT_EQ(tray.GetTip(), std::string(127, 'a'));

  ASSERT_EQ(platform::LegacyCodePage(), "CP949");
  // 126 ASCII bytes and a double-byte character: the character does not fit whole.
  FakeTrayHost other;
  CSystemTray korean;
  korean.Create(&other, 129, std::string(126, 'a') + "\xB0\xA1" + "bbb", TrayMenu(), nullptr);
  EXPECT_EQ(korean.GetTip(), std::string(126, 'a'));
}

}  // namespace
