#include "entities/operations/PwdCreationRule.h"

int CTBLPwdCreationRuleBase::GetPasswordLength() const {
  return static_cast<int>(GetPrefixString().size() + GetSuffixString().size()) + GetUppercaseLength() +
         GetLowercaseLength() + GetNumberLength() + GetSpecialcharLength();
}

GATE_REGISTER_ENTITY(CTBLPwdCreationRule);
