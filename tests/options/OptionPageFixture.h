// What the option page tests share: a temporary program folder with a real
// Settings/AppSettings.xml, texts that name their own number ("t31"), a view
// that holds the controls' contents and notes the focus, and a message box
// answered from a script that keeps a journal of what was shown.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "ProgramFolderFixture.h"
#include "foundation/IDCreater.h"
#include "options/DlgOptionPage.h"
#include "shell/AppFolders.h"
#include "shell/LocalAppSettings.h"

// Text n reads "t<n>".
class NumberTexts : public ILangTexts {
 public:
  std::string GetText(int index) const override { return "t" + std::to_string(index); }
};

class FakePageView : public IOptionPageView {
 public:
  std::string GetFieldText(int id) override { return texts[id]; }
  void SetFieldText(int id, const std::string& text) override { texts[id] = text; }
  int GetFieldIndex(int id) override { return indexes.count(id) ? indexes[id] : -1; }
  void SetFieldIndex(int id, int index) override { indexes[id] = index; }
  void FocusField(int id) override { focus = id; }
  void SetInputsEnabled(bool on) override { enabled = on; }

  std::map<int, std::string> texts;
  std::map<int, int> indexes;
  int focus = 0;
  bool enabled = true;
};

// Shown boxes as "<text>|<caption>|error" or "...|question"; questions take
// the next scripted answer (No when none is left).
class ScriptedMessages : public IOptionMessageBox {
 public:
  bool ShowMessage(const std::string& text, const std::string& caption, OptionMessageKind kind) override {
    shown.push_back(text + "|" + caption + (kind == OptionMessageKind::Error ? "|error" : "|question"));
    if (kind == OptionMessageKind::Error) return true;
    if (answers.empty()) return false;
    bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::deque<bool> answers;
  std::vector<std::string> shown;
};

// Counts the writes of the settings file.
class CountingSettings : public CLocalAppSettings {
 public:
  bool Save(const std::string& path) override {
    ++saves;
    return CLocalAppSettings::Save(path);
  }
  int saves = 0;
};

class OptionPageFixture : public ProgramFolderFixture {
 protected:
  void SetUp() override {
    ProgramFolderFixture::SetUp();
    settings_.Load(GetAppSettingsFilePath());
    CIDCreater::GetInstance()->SetCurrentID("GATEMANAGER_ID", 100);
  }
  // Binds `page` to the fake view and messages and loads it.
  void Open(CDlgOptionPage& page) {
    page.CreatePage(&view_, &messages_);
    page.LoadItems();
  }
  // Selects `rows` with the focus on `focused`, as a user's clicks do.
  static void Select(CDlgOptionPage& page, const std::vector<int>& rows, int focused) {
    CListCtrlEx* list = page.GetList();
    for (int row = 0; row < list->GetItemCount(); ++row) list->SetItemSelected(row, false);
    for (int row : rows) list->SetItemSelected(row, true);
    list->SetFocusedItem(focused);
    page.OnItemChangedList();
  }
  static std::vector<std::string> Row(CDlgOptionPage& page, int row) {
    std::vector<std::string> cells;
    CListCtrlEx* list = page.GetList();
    for (int c = 0; c < list->GetColumnCount(); ++c) cells.push_back(list->GetItemText(row, c));
    return cells;
  }
  // The settings as a fresh reader of the file sees them.
  static std::string StoredList(const char* key) {
    CLocalAppSettings reread;
    reread.Load(GetAppSettingsFilePath());
    return reread.GetValue(CLocalAppSettings::kJobCategory, key);
  }

  NumberTexts texts_;
  CountingSettings settings_;
  FakePageView view_;
  ScriptedMessages messages_;
};
