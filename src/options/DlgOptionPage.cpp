#include "options/DlgOptionPage.h"

#include "foundation/StringUtil.h"
#include "shell/StringToIntDef.h"

namespace {

bool HasValue(OptionFieldKind kind) { return kind != OptionFieldKind::Group && kind != OptionFieldKind::Note; }

// Whether `text` is a whole decimal integer (optional blanks around it).
bool ParseWholeInteger(const std::string& text, long long* value) {
  std::string trimmed = StrTrim(text);
  if (trimmed.empty() || trimmed.size() > 12) return false;
  size_t i = (trimmed[0] == '-' || trimmed[0] == '+') ? 1 : 0;
  if (i == trimmed.size()) return false;
  long long result = 0;
  for (; i < trimmed.size(); ++i) {
    if (trimmed[i] < '0' || trimmed[i] > '9') return false;
    result = result * 10 + (trimmed[i] - '0');
  }
  *value = trimmed[0] == '-' ? -result : result;
  return true;
}

}  // namespace

CDlgOptionPage::CDlgOptionPage(const ILangTexts* texts, CLocalAppSettings* settings)
    : texts_(texts), settings_(settings) {}

void CDlgOptionPage::CreatePage(IOptionPageView* view, IOptionMessageBox* messages) {
  view_ = view;
  messages_ = messages;
}

COptionField& CDlgOptionPage::AddField(int id, OptionFieldKind kind, int labelText, int row,
                                       OptionRequirement required, const char* format) {
  COptionField field;
  field.id = id;
  field.kind = kind;
  field.row = row;
  field.required = required;
  if (labelText > 0) field.label = StrFormat(format, Text(labelText).c_str());
  fields_.push_back(field);
  values_.emplace_back();
  if (kind == OptionFieldKind::Choice) values_.back().number = 0;  // the first entry selected
  return fields_.back();
}

const COptionField* CDlgOptionPage::FindField(int id) const {
  for (const COptionField& field : fields_)
    if (field.id == id) return &field;
  return nullptr;
}

const COptionFieldValue& CDlgOptionPage::Value(int id) const {
  static const COptionFieldValue kNone;
  for (size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].id == id) return values_[i];
  return kNone;
}

COptionFieldValue& CDlgOptionPage::MutableValue(int id) {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (fields_[i].id == id) return values_[i];
  static COptionFieldValue scratch;
  scratch = COptionFieldValue();
  return scratch;
}

COptionFieldCheck CDlgOptionPage::ReadFields() {
  COptionFieldCheck result;
  if (view_ == nullptr) return result;
  for (size_t i = 0; i < fields_.size(); ++i) {
    const COptionField& field = fields_[i];
    COptionFieldValue& value = values_[i];
    switch (field.kind) {
      case OptionFieldKind::Text:
        value.text = StrTrim(view_->GetFieldText(field.id));
        break;
      case OptionFieldKind::RawText:
      case OptionFieldKind::Password:
        value.text = view_->GetFieldText(field.id);
        break;
      case OptionFieldKind::Number:
        value.text = view_->GetFieldText(field.id);
        value.number = StringToIntDef(value.text.c_str(), 0);
        break;
      case OptionFieldKind::DigitText:
        value.text = StrTrim(view_->GetFieldText(field.id));
        value.number = StringToIntDef(value.text.c_str(), 0);
        break;
      case OptionFieldKind::Ranged: {
        // The member keeps its last good value when the text is refused.
        long long number = 0;
        std::string text = view_->GetFieldText(field.id);
        if (ParseWholeInteger(text, &number) && number >= field.minValue && number <= field.maxValue) {
          value.text = text;
          value.number = static_cast<int>(number);
        } else if (result.ok) {
          result = COptionFieldCheck::Fail(field.id, kIntegerPromptText);
        }
        break;
      }
      case OptionFieldKind::Choice:
      case OptionFieldKind::Check:
        value.number = view_->GetFieldIndex(field.id);
        break;
      case OptionFieldKind::Group:
      case OptionFieldKind::Note:
        break;
    }
  }
  return result;
}

void CDlgOptionPage::WriteField(const COptionField& field, const COptionFieldValue& value) {
  if (view_ == nullptr) return;
  switch (field.kind) {
    case OptionFieldKind::Number:
    case OptionFieldKind::Ranged:
      view_->SetFieldText(field.id, std::to_string(value.number));
      break;
    case OptionFieldKind::Choice:
    case OptionFieldKind::Check:
      view_->SetFieldIndex(field.id, value.number);
      break;
    case OptionFieldKind::Group:
    case OptionFieldKind::Note:
      break;
    default:
      view_->SetFieldText(field.id, value.text);
      break;
  }
}

void CDlgOptionPage::WriteFields() {
  for (size_t i = 0; i < fields_.size(); ++i)
    if (HasValue(fields_[i].kind)) WriteField(fields_[i], values_[i]);
}

COptionFieldCheck CDlgOptionPage::CheckRequiredFields() const {
  for (size_t i = 0; i < fields_.size(); ++i) {
    const COptionFieldValue& value = values_[i];
    bool failed = false;
    switch (fields_[i].required) {
      case OptionRequirement::None:
        break;
      case OptionRequirement::NotEmpty:
        failed = value.text.empty();
        break;
      case OptionRequirement::AboveZero:
        failed = value.number <= 0;
        break;
      case OptionRequirement::Port:
        // A port outside 1..65535 would be cut to 16 bits by the services and reach another port.
        failed = value.number <= 0 || value.number > 65535;
        break;
    }
    if (failed) return COptionFieldCheck::Fail(fields_[i].id, kRequiredFieldText);
  }
  return COptionFieldCheck::Ok();
}

void CDlgOptionPage::ShowFieldFailure(const COptionFieldCheck& check) {
  if (check.ok) return;
  if (view_ != nullptr) view_->FocusField(check.field);
  if (messages_ != nullptr) {
    messages_->ShowMessage(Text(check.textNumber), Text(kCaptionText), OptionMessageKind::Error);
  }
}

bool CDlgOptionPage::ReadAndCheckFields() {
  COptionFieldCheck check = ReadFields();
  if (check.ok) check = CheckRequiredFields();
  ShowFieldFailure(check);
  return check.ok;
}

bool CDlgOptionPage::AskToSave() {
  return messages_ != nullptr &&
         messages_->ShowMessage(Text(kSaveQuestionText), Text(kCaptionText), OptionMessageKind::Question);
}
