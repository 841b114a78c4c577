#include "shell/JobRecord.h"

#include "foundation/Aria.h"
#include "foundation/StringUtil.h"

void WriteJobField(CSerializationInfo& node, const char* key, int32_t value) { node.AddInt(key, value); }

void WriteJobField(CSerializationInfo& node, const char* key, const std::string& value) {
  node.AddValue(key, value);
}

void WriteJobField(CSerializationInfo& node, const char* key, bool value) { node.AddValue(key, value ? "1" : "0"); }

void ReadJobField(const CSerializationInfo& node, const char* key, int32_t* value) {
  *value = node.GetInt(StrToLower(key));
}

void ReadJobField(const CSerializationInfo& node, const char* key, std::string* value) {
  *value = node.GetValue(StrToLower(key));
}

void ReadJobField(const CSerializationInfo& node, const char* key, bool* value) {
  *value = node.GetBool(StrToLower(key));
}

std::string DecipherJobPassword(const std::string& stored) { return AriaDecryptString(stored); }

std::string EncipherJobPassword(const std::string& plain) { return AriaEncryptString(plain); }

bool IsJobNodeOfType(const CSerializationInfo& node, const char* typeName) {
  return StrEqualNoCase(node.GetName(), typeName);
}
