// What an option page needs of the toolkit: its fields (described once by the
// page, built by the toolkit layer), read and written by control id, and a
// message box. The page logic never sees a widget. All calls on the
// user-interface thread.
#pragma once

#include <string>
#include <vector>

// How a field's control reads and writes.
enum class OptionFieldKind {
  Text,       // edit; trimmed of white space at both ends on read
  RawText,    // edit; taken as typed
  Password,   // password edit; taken as typed
  Number,     // digits-only edit; read as its leading decimal number (0 without one)
  DigitText,  // digits-only edit; the trimmed text is kept, its number beside it
  Ranged,     // digits-only edit; must hold an integer within [minValue, maxValue]
  Choice,     // drop-down list; the selected index, -1 when none
  Check,      // check box; 1 ticked, 0 not
  Group,      // a titled group (no value)
  Note,       // a line of text (no value)
};

// What a field must hold before Add, Modify or a save goes on.
enum class OptionRequirement {
  None,
  NotEmpty,   // text not empty after reading
  AboveZero,  // number above 0
  Port,       // number within 1..65535 (empty text reads as 0)
};

// One control of a page. `label` and `choices` are already in the legacy code
// page, taken from the language texts.
struct COptionField {
  int id = 0;
  OptionFieldKind kind = OptionFieldKind::Text;
  std::string label;  // "%s : " label, the check box's or group's caption, or the note
  int row = 0;        // layout row, from 0
  OptionRequirement required = OptionRequirement::None;
  std::vector<std::string> choices;  // Choice entries in index order
  int minValue = 0;                  // Ranged bounds
  int maxValue = 0;
};

// A field's value as the page reads it: the text, and its number (number
// kinds), its index (Choice) or its state (Check).
struct COptionFieldValue {
  std::string text;
  int number = 0;
};

// The result of reading or checking fields: ok, or the field that failed and
// the number of the text to show.
struct COptionFieldCheck {
  bool ok = true;
  int field = 0;
  int textNumber = 0;
  static COptionFieldCheck Ok() { return {}; }
  static COptionFieldCheck Fail(int field, int textNumber) { return {false, field, textNumber}; }
};

class IOptionPageView {
 public:
  virtual ~IOptionPageView() = default;
  // Edits: the text as shown (legacy code page); "" for an unknown id.
  virtual std::string GetFieldText(int id) = 0;
  virtual void SetFieldText(int id, const std::string& text) = 0;
  // Choices: the selected index (-1 none); check boxes: 1 ticked, 0 not.
  virtual int GetFieldIndex(int id) = 0;
  // -1 clears a choice's selection.
  virtual void SetFieldIndex(int id, int index) = 0;
  virtual void FocusField(int id) = 0;
  // Enables or disables every control of the page but its check boxes and groups.
  virtual void SetInputsEnabled(bool enabled) = 0;
};

enum class OptionMessageKind {
  Error,     // error icon, OK button
  Question,  // question icon, Yes and No buttons
};

class IOptionMessageBox {
 public:
  virtual ~IOptionMessageBox() = default;
  // Shows the box modally; true for Yes (and for OK), false for No.
  virtual bool ShowMessage(const std::string& text, const std::string& caption, OptionMessageKind kind) = 0;
};
