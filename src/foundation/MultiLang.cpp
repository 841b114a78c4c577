#include "foundation/MultiLang.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>

#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "platform/ProgramFolder.h"

namespace {

const char* const kCodes[] = {"ENG", "KOR", "JAP", "GER", "FRA", "SPA", "ITA", "CHI", "POL"};
const char* const kApplicationName = "TorvaneGateManager";

std::atomic<const CMultiLang*> g_appTexts{nullptr};

const std::string& EmptyCaption() {
  static const std::string* empty = new std::string();  // never destroyed
  return *empty;
}

// A file line as the text it holds: the line end (LF or CR LF) removed and
// each "\r\n" written as four characters turned into a real line break.
std::string TextOfLine(std::string line) {
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.find("\\r\\n") == std::string::npos) return line;
  CStrList pieces;
  pieces.Split(line, "\\r\\n");
  return pieces.Join("\r\n");
}

bool ReadLines(const std::string& path, std::vector<std::string>* table) {
  FILE* file = fopen(path.c_str(), "re");
  if (!file) return false;
  char* buffer = nullptr;
  size_t capacity = 0;
  ssize_t n;
  while ((n = getline(&buffer, &capacity, file)) >= 0) {
    table->push_back(TextOfLine(std::string(buffer, static_cast<size_t>(n))));
  }
  free(buffer);
  fclose(file);
  return true;
}

}  // namespace

std::string GetLanguageCode(int language) {
  if (language < 1 || language > 9) return std::string();
  return kCodes[language - 1];
}

int LanguageFromLocaleName(const std::string& locale) {
  std::string name = locale.substr(0, locale.find_first_of(".@"));
  static const struct {
    const char* name;
    int language;
  } kLocales[] = {{"ko_KR", 2}, {"ko", 2}, {"ja_JP", 3}, {"ja", 3}, {"de_DE", 4}, {"de", 4},
                  {"fr_FR", 5}, {"fr", 5}, {"es_ES", 6}, {"es", 6}, {"it_IT", 7}, {"it", 7},
                  {"zh_CN", 8}, {"zh_SG", 8}, {"zh", 8}, {"pl_PL", 9}, {"pl", 9}};
  for (const auto& entry : kLocales) {
    if (name == entry.name) return entry.language;
  }
  return kLanguageEnglish;
}

int GetSystemLanguage() {
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = getenv(variable);
    if (value && *value) return LanguageFromLocaleName(value);
  }
  return kLanguageEnglish;
}

int LanguageFromSetting(const std::string& setting) {
  if (StrEqualNoCase(setting, "English")) return kLanguageEnglish;
  if (StrEqualNoCase(setting, "Korean")) return kLanguageKorean;
  if (StrEqualNoCase(setting, "Chinese")) return kLanguageChinese;
  return kLanguageSystem;
}

std::string CMultiLang::GetLanguageFilePath(const std::string& folder, const std::string& application,
                                            int language) {
  std::string code = GetLanguageCode(language);
  if (code.empty()) return std::string();
  std::string base = folder.empty() ? platform::GetProgramFolder() : folder;
  return StrFormat("%s/%s_%s.txt", base.c_str(), application.c_str(), code.c_str());
}

int CMultiLang::Load(const std::string& folder, const std::string& application, Table table, int language) {
  std::vector<std::string>& target = table == kMainTable ? main_ : fallback_;
  target.clear();
  for (int candidate : {language, GetSystemLanguage(), kLanguageEnglish}) {
    std::string path = GetLanguageFilePath(folder, application, candidate);
    if (path.empty() || access(path.c_str(), R_OK) != 0) continue;
    if (!ReadLines(path, &target)) {
      target.clear();
      return 0;
    }
    return candidate;
  }
  return 0;
}

int CMultiLang::LoadForSetting(const std::string& setting) {
  Clear();
  std::string folder = platform::ProgramPath("Language");
  loadedLanguage_ = Load(folder, kApplicationName, kMainTable, LanguageFromSetting(setting));
  if (loadedLanguage_ != kLanguageEnglish) Load(folder, kApplicationName, kFallbackTable, kLanguageEnglish);
  return loadedLanguage_;
}

const std::string& CMultiLang::GetText(int number) const {
  if (number < 0) return EmptyCaption();
  size_t index = static_cast<size_t>(number);
  if (index < main_.size()) return main_[index];
  if (index < fallback_.size()) return fallback_[index];
  return EmptyCaption();
}

int CMultiLang::GetTextCount(Table table) const {
  return static_cast<int>(table == kMainTable ? main_.size() : fallback_.size());
}

void CMultiLang::Clear() {
  main_.clear();
  fallback_.clear();
  loadedLanguage_ = 0;
}

void SetAppLanguageTexts(const CMultiLang* texts) { g_appTexts.store(texts); }

void ReleaseAppLanguageTexts(const CMultiLang* texts) { g_appTexts.compare_exchange_strong(texts, nullptr); }

const std::string& GetLangText(int number) {
  const CMultiLang* texts = g_appTexts.load();
  return texts ? texts->GetText(number) : EmptyCaption();
}
