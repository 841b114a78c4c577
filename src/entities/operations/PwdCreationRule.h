// The password creation rule row (TBL_PwdCreationRule): how camera passwords
// are composed (prefix, suffix and counts of upper-case, lower-case, digit and
// special characters). Deleted by marking; the device rows that name a
// deleted rule are left without one.
#pragma once

#include "entities/base/RowClass.h"

// clang-format off
#define TBL_PWD_CREATION_RULE_COLUMNS(C)                  \
  C(Int, "No", No, 0)                                     \
  C(String, "RuleName", RuleName, "")                     \
  C(String, "PrefixString", PrefixString, "")             \
  C(String, "SuffixString", SuffixString, "")             \
  C(Int, "UppercaseLength", UppercaseLength, 0)           \
  C(Int, "LowercaseLength", LowercaseLength, 0)           \
  C(Int, "NumberLength", NumberLength, 0)                 \
  C(Int, "SpecialcharLength", SpecialcharLength, 0)       \
  C(String, "SpecialcharList", SpecialcharList, "")       \
  C(Bool, "IsDeleted", IsDeleted, 0)                      \
  C(DateTime, "DateTimeAdded", DateTimeAdded, "")
// clang-format on

class CTBLPwdCreationRuleBase : public CDBEntity {
  GATE_ENTITY_TABLE(CTBLPwdCreationRuleBase, "TBL_PwdCreationRule", TBL_PWD_CREATION_RULE_COLUMNS, AutoIncrement,
                    "No", kEntityNoFlags)
  GATE_ENTITY_RELATIONS({"TBL_PwdDevice", "CreationRuleNo", 0, kRelationModeSetZero})

  // The length of a password the rule makes: the byte lengths of prefix and
  // suffix plus the four counts as stored (negative ones included); the
  // special-character list takes no part.
  virtual int GetPasswordLength() const;
};

class CTBLPwdCreationRule : public CTBLPwdCreationRuleBase {};
