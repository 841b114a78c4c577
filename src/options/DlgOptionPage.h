// CDlgOptionPage: the base of every option page. A page describes its fields
// once (COptionField), reads them from its view into its members, checks the
// required ones in page order, writes members or a record back, and asks its
// questions through the message box. The dialog calls LoadItems on every
// show, QueryClose before another page is shown, SaveItems on Save and
// RevertItems on Close. All calls on the user-interface thread.
#pragma once

#include <string>
#include <vector>

#include "options/OptionPageView.h"
#include "shell/LangTexts.h"
#include "shell/ListCtrlEx.h"

class CLocalAppSettings;

class CDlgOptionPage {
 public:
  // Text numbers every page uses.
  static constexpr int kCaptionText = 1;
  static constexpr int kSaveQuestionText = 28;
  static constexpr int kRequiredFieldText = 31;
  static constexpr int kAddText = 34;
  static constexpr int kModifyText = 49;
  static constexpr int kDeleteText = 35;
  // The prompt for an integer within a range (channel 1 to 64).
  static constexpr int kIntegerPromptText = 62;

  // `texts` and `settings` must outlive the page.
  CDlgOptionPage(const ILangTexts* texts, CLocalAppSettings* settings);
  virtual ~CDlgOptionPage() = default;
  CDlgOptionPage(const CDlgOptionPage&) = delete;
  CDlgOptionPage& operator=(const CDlgOptionPage&) = delete;

  // Binds the page to its controls (not owned; both must outlive their use).
  // The toolkit layer builds the controls from GetFields first.
  void CreatePage(IOptionPageView* view, IOptionMessageBox* messages);

  // Fills the page from the application settings.
  virtual void LoadItems() = 0;
  // After another page was shown: nothing on every page.
  virtual void OnPageHidden() {}
  // Non-zero when the page may be left (it may ask to save first).
  virtual int QueryClose() = 0;
  // Writes the page's settings; non-zero on success.
  virtual int SaveItems() = 0;
  // Drops unsaved edits: LoadItems.
  virtual void RevertItems() { LoadItems(); }

  // The job-list handlers; a page without a list ignores them.
  virtual void OnBnClickedAdd() {}
  virtual void OnBnClickedModify() {}
  virtual void OnBnClickedDelete() {}
  virtual void OnItemChangedList() {}
  // A check box of the page was clicked.
  virtual void OnCheckClicked(int /*id*/) {}

  const std::vector<COptionField>& GetFields() const { return fields_; }
  // The page's report list, or null (the General page has none).
  virtual CListCtrlEx* GetList() { return nullptr; }
  // The layout row whose end takes the Add button; -1 without a list.
  virtual int GetAddButtonRow() const { return -1; }
  // The language text of `number`, "" when there is none.
  std::string Text(int number) const { return texts_->GetText(number); }
  // The current value of a field as last read (or as set by the page).
  const COptionFieldValue& Value(int id) const;

 protected:
  // Adds a field; its label is `labelText` through `format` ("%s : ", "%s", "* %s").
  COptionField& AddField(int id, OptionFieldKind kind, int labelText, int row,
                         OptionRequirement required = OptionRequirement::None, const char* format = "%s : ");
  COptionFieldValue& MutableValue(int id);

  // The data exchange: every field's control into its member; Ranged fields
  // out of range fail (first failure reported, the rest still read).
  COptionFieldCheck ReadFields();
  // Every member into its control.
  void WriteFields();
  // One value into its control by the field's kind.
  void WriteField(const COptionField& field, const COptionFieldValue& value);
  // The required fields in page order: the first that fails, with text 31.
  COptionFieldCheck CheckRequiredFields() const;
  // A failed read or check: focus on its field, its text in an error box.
  void ShowFieldFailure(const COptionFieldCheck& check);
  // Read, then check: the first failure is shown; false when there was one.
  bool ReadAndCheckFields();
  // Text 28 as a question; true for Yes.
  bool AskToSave();
  const COptionField* FindField(int id) const;

  const ILangTexts* texts_;
  CLocalAppSettings* settings_;
  IOptionPageView* view_ = nullptr;
  IOptionMessageBox* messages_ = nullptr;

 private:
  std::vector<COptionField> fields_;
  std::vector<COptionFieldValue> values_;  // parallel to fields_
};
