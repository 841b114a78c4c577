// CMultiLang: the user-interface texts of one language, looked up by number.
// The texts come from "<folder>/<application>_<code>.txt", one text per line
// in the legacy code page, the line number (from 0) being the text's number.
// Load before other threads read; GetText is then safe from any thread.
#pragma once

#include <string>
#include <vector>

// Language numbers: 0 the system's language, 1 English ("ENG"), 2 Korean
// ("KOR"), 3 Japanese ("JAP"), 4 German ("GER"), 5 French ("FRA"), 6 Spanish
// ("SPA"), 7 Italian ("ITA"), 8 Chinese ("CHI"), 9 Polish ("POL").
constexpr int kLanguageSystem = 0;
constexpr int kLanguageEnglish = 1;
constexpr int kLanguageKorean = 2;
constexpr int kLanguageChinese = 8;

// The code of language 1-9 ("ENG", ...); "" for any other number.
std::string GetLanguageCode(int language);
// The language of the environment (LC_ALL, LC_MESSAGES, LANG, first set one).
int GetSystemLanguage();
// The language of a locale name such as "ko_KR.UTF-8": Korean for ko_KR,
// Japanese ja_JP, German de_DE, French fr_FR, Spanish es_ES, Italian it_IT,
// Chinese zh_CN or zh_SG, Polish pl_PL (a name without a territory counts as
// that territory); English for anything else (de_AT included).
int LanguageFromLocaleName(const std::string& locale);
// The language of the UILanguage setting, letters compared without regard to
// case: "" or "Auto" 0, "English" 1, "Korean" 2, "Chinese" 8, anything else 0.
int LanguageFromSetting(const std::string& setting);

class CMultiLang {
 public:
  enum Table { kMainTable, kFallbackTable };

  CMultiLang() = default;
  virtual ~CMultiLang() = default;
  CMultiLang(const CMultiLang&) = delete;
  CMultiLang& operator=(const CMultiLang&) = delete;

  // Clears `table` and reads the first readable file of: `language`, the
  // system's language, English. Returns the language read, or 0 (table empty)
  // when none is readable or the chosen file cannot be opened.
  int Load(const std::string& folder, const std::string& application, Table table, int language);
  // The start-up step: clears both tables, loads the language of `setting`
  // from "<program folder>/Language" into the main table and, unless that gave
  // English, English into the fallback table. Returns the loaded language.
  int LoadForSetting(const std::string& setting);

  // The main table's text, else the fallback table's, else "" (also for a
  // negative number).
  const std::string& GetText(int number) const;
  // "<folder>/<application>_<code>.txt"; "" for a language without a code.
  // An empty folder stands for the program folder.
  static std::string GetLanguageFilePath(const std::string& folder, const std::string& application,
                                         int language);

  int GetLoadedLanguage() const { return loadedLanguage_; }
  int GetTextCount(Table table) const;
  void Clear();

 private:
  std::vector<std::string> fallback_;
  std::vector<std::string> main_;
  int loadedLanguage_ = 0;
};

// The application's language texts that GetLangText answers from; null (as
// at start) makes every text "". The application sets them once its texts are
// loaded, before windows ask for texts; the texts must outlive their use.
void SetAppLanguageTexts(const CMultiLang* texts);
// Sets them back to null when they are `texts`, as their owner goes; texts set
// by another owner stay.
void ReleaseAppLanguageTexts(const CMultiLang* texts);
// The text of `number` in the application's language texts (CMultiLang::GetText),
// "" when they hold none for it or none are set. Valid while the texts stay loaded.
const std::string& GetLangText(int number);
