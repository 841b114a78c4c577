// The guide of the row-class pattern (RowClass.h) shows a real table: its
// example must read as the table's own header declares it.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

std::string ReadSource(const std::string& path) {
  std::ifstream in(std::string(GATE_SOURCE_DIR) + "/" + path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The text from the column list's #define to the end of the final class,
// without clang-format markers, with every run of blanks as one space.
std::string Declaration(const std::string& source) {
  const std::string first = "#define TBL_NAS_STORAGE_COLUMNS(C)";
  const std::string last = "class CTBLNasStorage : public CTBLNasStorageBase {};";
  size_t begin = source.find(first);
  size_t end = source.find(last, begin == std::string::npos ? 0 : begin);
  if (begin == std::string::npos || end == std::string::npos) return "<not found>";
  std::istringstream lines(source.substr(begin, end + last.size() - begin));
  std::string declaration;
  for (std::string line; std::getline(lines, line);) {
    if (line.find("// clang-format") != std::string::npos) continue;
    for (char c : line) {
      bool blank = c == ' ' || c == '\t' || c == '\r';
      if (blank && (declaration.empty() || declaration.back() == ' ')) continue;
      declaration.push_back(blank ? ' ' : c);
    }
    if (!declaration.empty() && declaration.back() != ' ') declaration.push_back(' ');
  }
  return declaration;
}

TEST(RowClassGuide, ExampleIsTheNasStorageTableAsDeclared) {
  std::string guide = Declaration(ReadSource("src/entities/base/RowClass.h"));
  std::string table = Declaration(ReadSource("src/entities/NasStorage.h"));
  ASSERT_NE(table, "<not found>");
  EXPECT_EQ(guide, table);
}

}  // namespace
