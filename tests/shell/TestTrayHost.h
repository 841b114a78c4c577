// A notification area of the tests' own: it records what it was asked to do,
// and `available` says whether it accepts an icon.
#pragma once

#include <string>
#include <vector>

#include "shell/SystemTray.h"

class TestTrayHost : public ITrayHost {
 public:
  bool available = true;
  bool shown = false;
  int added = 0;
  int removed = 0;
  int popups = 0;
  int activations = 0;
  std::string tip;
  std::vector<CTrayMenuItem> menu;

  bool AddIcon(const std::string& t) override {
    tip = t;
    if (available) ++added;
    return shown = available;
  }
  void RemoveIcon() override {
    ++removed;
    shown = false;
  }
  void SetMenu(const std::vector<CTrayMenuItem>& items) override { menu = items; }
  void PopupMenu() override { ++popups; }
  void ActivateOwner() override { ++activations; }
};
