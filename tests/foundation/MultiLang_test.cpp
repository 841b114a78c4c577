#include "foundation/MultiLang.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/Folders.h"
#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

namespace {

// Sets LC_ALL/LC_MESSAGES/LANG for the test and restores them after.
class ScopedLanguageEnvironment {
 public:
  explicit ScopedLanguageEnvironment(const char* lang) {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = getenv(name);
      saved_.push_back(value ? std::make_pair(true, std::string(value)) : std::make_pair(false, std::string()));
      unsetenv(name);
    }
    if (lang) setenv("LANG", lang, 1);
  }
  ~ScopedLanguageEnvironment() {
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (size_t i = 0; i < 3; ++i) {
      if (saved_[i].first) {
        setenv(names[i], saved_[i].second.c_str(), 1);
      } else {
        unsetenv(names[i]);
      }
    }
  }

 private:
  std::vector<std::pair<bool, std::string>> saved_;
};

std::string Lines(int count, const std::string& tag) {
  std::string text;
  for (int i = 0; i < count; ++i) text += tag + std::to_string(i) + "\r\n";
  return text;
}

TEST(MultiLang, LanguageNumbersAndCodes) {
  EXPECT_EQ(GetLanguageCode(1), "ENG");
  EXPECT_EQ(GetLanguageCode(2), "KOR");
  EXPECT_EQ(GetLanguageCode(9), "POL");
  EXPECT_EQ(GetLanguageCode(0), "");
  EXPECT_EQ(GetLanguageCode(10), "");
  struct Case {
    const char* locale;
    int language;
  } cases[] = {{"ko_KR.UTF-8", 2}, {"ko_KR.EUC-KR", 2}, {"ja_JP", 3}, {"de_DE.UTF-8", 4}, {"de_AT.UTF-8", 1},
               {"zh_SG", 8},       {"zh_TW", 1},        {"C", 1},     {"POSIX", 1},       {"fr", 5}};
  for (const Case& c : cases) EXPECT_EQ(LanguageFromLocaleName(c.locale), c.language) << c.locale;
  EXPECT_EQ(LanguageFromSetting("korean"), 2);
  EXPECT_EQ(LanguageFromSetting("ENGLISH"), 1);
  EXPECT_EQ(LanguageFromSetting("Chinese"), 8);
  EXPECT_EQ(LanguageFromSetting("Auto"), 0);
  EXPECT_EQ(LanguageFromSetting("French"), 0);
  ScopedLanguageEnvironment env("ko_KR.UTF-8");
  EXPECT_EQ(GetSystemLanguage(), 2);
  setenv("LC_ALL", "de_AT.UTF-8", 1);
  EXPECT_EQ(GetSystemLanguage(), 1);
}

TEST(MultiLang, ReadsLinesWithBreaksAndKeepsEmptyLinesInPlace) {
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.Join("App_ENG.txt"),
                            "first\r\n\r\ntwo\\r\\nlines\r\n\\r\\n\\r\\nx\\r\\n\\r\\n\r\n\\r\\n\nlast"));
  CMultiLang lang;
  ASSERT_EQ(lang.Load(dir.path(), "App", CMultiLang::kMainTable, 1), 1);
  EXPECT_EQ(lang.GetTextCount(CMultiLang::kMainTable), 6);
  EXPECT_EQ(lang.GetText(0), "first");
  EXPECT_EQ(lang.GetText(1), "");
  EXPECT_EQ(lang.GetText(2), "two\r\nlines");
  EXPECT_EQ(lang.GetText(3), "x");  // doubled or trailing sequences add no empty line
  EXPECT_EQ(lang.GetText(4), "");
  EXPECT_EQ(lang.GetText(5), "last");
  EXPECT_EQ(lang.GetText(6), "");
  EXPECT_EQ(lang.GetText(-1), "");
}

TEST(MultiLang, FallsBackToTheSystemLanguageThenEnglish) {
  ScopedLanguageEnvironment env("ja_JP.UTF-8");
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.Join("App_ENG.txt"), "eng\r\n"));
  CMultiLang lang;
  EXPECT_EQ(lang.Load(dir.path(), "App", CMultiLang::kMainTable, 2), 1);  // no KOR, no JAP
  EXPECT_EQ(lang.GetText(0), "eng");
  ASSERT_TRUE(WriteTestFile(dir.Join("App_JAP.txt"), "jap\r\n"));
  EXPECT_EQ(lang.Load(dir.path(), "App", CMultiLang::kMainTable, 2), 3);
  EXPECT_EQ(lang.GetText(0), "jap");
  EXPECT_EQ(lang.Load(dir.path(), "Missing", CMultiLang::kMainTable, 2), 0);
  EXPECT_EQ(lang.GetTextCount(CMultiLang::kMainTable), 0);
  EXPECT_EQ(CMultiLang::GetLanguageFilePath(dir.path(), "App", 0), "");
  EXPECT_EQ(CMultiLang::GetLanguageFilePath(dir.path(), "App", 8), dir.Join("App_CHI.txt"));
}

TEST(MultiLang, MainTableThenFallbackTable) {
  ScopedLanguageEnvironment env("C");
  TempDir dir;
  std::string folder = dir.Join("Language");
  ASSERT_TRUE(platform::CreateFolderTree(folder));
  ASSERT_TRUE(WriteTestFile(folder + "/TorvaneGateManager_KOR.txt", Lines(100, "k")));
  ASSERT_TRUE(WriteTestFile(folder + "/TorvaneGateManager_ENG.txt", Lines(120, "e")));
  platform::SetProgramFolderOverride(dir.path());
  CMultiLang lang;
  EXPECT_EQ(lang.LoadForSetting("Korean"), 2);
  EXPECT_EQ(lang.GetText(99), "k99");
  EXPECT_EQ(lang.GetText(100), "e100");
  EXPECT_EQ(lang.GetText(119), "e119");
  EXPECT_EQ(lang.GetText(120), "");
  EXPECT_EQ(lang.LoadForSetting("English"), 1);
  EXPECT_EQ(lang.GetTextCount(CMultiLang::kFallbackTable), 0);
  platform::SetProgramFolderOverride("");
}

TEST(MultiLang, ShippedFilesHoldTheUserInterfaceTexts) {
  std::string folder = std::string(GATE_SOURCE_DIR) + "/dist/Language";
  CMultiLang eng, kor;
  ASSERT_EQ(eng.Load(folder, "TorvaneGateManager", CMultiLang::kMainTable, 1), 1);
  ASSERT_EQ(kor.Load(folder, "TorvaneGateManager", CMultiLang::kMainTable, 2), 2);
  EXPECT_EQ(eng.GetTextCount(CMultiLang::kMainTable), kor.GetTextCount(CMultiLang::kMainTable));
  EXPECT_EQ(eng.GetText(2), "Start");
  EXPECT_EQ(kor.GetText(2), "\xBD\xC3\xC0\xDB");  // "Start" in Korean, CP949
  // Every number the windows ask for has a text in both languages.
  for (int n : {1, 2, 3, 4, 5, 6, 7, 8, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28,
                29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51, 52,
                53, 54, 55, 56, 57, 58, 59, 60, 61}) {
    EXPECT_FALSE(eng.GetText(n).empty()) << n;
    EXPECT_FALSE(kor.GetText(n).empty()) << n;
  }
  EXPECT_NE(eng.GetText(28).find("\r\n"), std::string::npos);
}

// The free look-up reads the application's texts once they are set: the
// main table, then the fallback table, else "".
TEST(MultiLang, GetLangTextAnswersFromTheApplicationTexts) {
  EXPECT_EQ(GetLangText(0), "");  // nothing set
  TempDir dir;
  ASSERT_TRUE(WriteTestFile(dir.Join("App_KOR.txt"), "kor0\r\nkor1\r\n"));
  ASSERT_TRUE(WriteTestFile(dir.Join("App_ENG.txt"), "eng0\r\neng1\r\neng2\r\n"));
  CMultiLang texts;
  ASSERT_EQ(texts.Load(dir.path(), "App", CMultiLang::kMainTable, kLanguageKorean), kLanguageKorean);
  ASSERT_EQ(texts.Load(dir.path(), "App", CMultiLang::kFallbackTable, kLanguageEnglish), kLanguageEnglish);
  SetAppLanguageTexts(&texts);
  EXPECT_EQ(GetLangText(1), "kor1");
  EXPECT_EQ(GetLangText(2), "eng2");
  EXPECT_EQ(GetLangText(3), "");
  EXPECT_EQ(GetLangText(-1), "");
  SetAppLanguageTexts(nullptr);
  EXPECT_EQ(GetLangText(1), "");
}

}  // namespace
