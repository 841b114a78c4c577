#include "foundation/XmlCfg.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ProcessLogCapture.h"
#include "XmlTexts.h"
#include "foundation/FileUtil.h"
#include "foundation/StrList.h"
#include "foundation/StringUtil.h"
#include "support/TempDir.h"

namespace {

CStrList Names(std::initializer_list<const char*> names) {
  CStrList list;
  for (const char* name : names) list.Add(name);
  return list;
}

std::vector<std::pair<std::string, std::string>> Tokens(const CXmlCfg& cfg) {
  std::vector<std::pair<std::string, std::string>> out;
  for (const CToken& t : cfg.GetTokens().GetTokens()) out.emplace_back(t.GetName(), t.GetValue());
  return out;
}

const char kSettings[] =
    "<Settings>\r\n"
    "\t<Setting><Name>a</Name></Setting>\r\n"
    "\t<Setting><Name>b</Name></Setting>\r\n"
    "\t<Setting><Name>c</Name></Setting>\r\n"
    "</Settings>\r\n";

TEST(XmlCfgTest, RepeatedNamesAreNumberedPerParent) {
  CXmlCfg cfg;
  CStrList repeated = Names({"Setting", "Item"});
  ASSERT_TRUE(cfg.ToCfg(kSettings, &repeated));
  EXPECT_EQ(cfg.GetValue("$Settings$$Setting%2$$Name$"), "b");
  EXPECT_EQ(cfg.GetValue("$Settings$$Setting%3$$Name$"), "c");
  EXPECT_EQ(cfg.GetCount("$Settings$$Setting$"), 3);
  EXPECT_EQ(cfg.GetCount("$Settings$$Other$"), 0);

  // Without the list every Setting has one key: all tokens stay, the map keeps the last.
  ASSERT_TRUE(cfg.ToCfg(kSettings));
  EXPECT_EQ(cfg.GetTokens().GetCount(), 7);
  EXPECT_EQ(cfg.GetValue("$Settings$$Setting$$Name$"), "c");
  EXPECT_EQ(cfg.GetCount("$Settings$$Setting$"), 0);

  // Numbering restarts under each parent key.
  ASSERT_TRUE(cfg.ToCfg("<R><A><Item>1</Item><Item>2</Item></A><B><Item>3</Item></B></R>", &repeated));
  EXPECT_EQ(cfg.GetValue("$R$$A$$Item%2$"), "2");
  EXPECT_EQ(cfg.GetValue("$R$$B$$Item%1$"), "3");
  EXPECT_EQ(cfg.GetCount("$R$$A$$Item$"), 2);
  EXPECT_EQ(cfg.GetCount("$R$$B$$Item$"), 1);
}

TEST(XmlCfgTest, EveryElementIsAKeyWithItsTrimmedText) {
  CXmlCfg cfg;
  ASSERT_TRUE(cfg.ToCfg(
      "<?xml version=\"1.0\" encoding=\"euc-kr\"?>\r\n"
      "<Hidden attr='ignored'>\r\n"
      "\t<EventServer>\r\n"
      "\t\t<HttpPort>8085</HttpPort>\r\n"
      "\t\t<Prefix>\r\n  blanks stay  \r\n\t</Prefix>\r\n"
      "\t\t<Breaks>\r\n\t\r\n</Breaks>\r\n"
      "\t\t<Escaped>a &lt; b &amp; c</Escaped>\r\n"
      "\t\t<Empty/>\r\n"
      "\t</EventServer>\r\n"
      "</Hidden>\r\n"));
  EXPECT_EQ(Tokens(cfg), (std::vector<std::pair<std::string, std::string>>{
                             {"$Hidden$", ""},
                             {"$Hidden$$EventServer$", ""},
                             {"$Hidden$$EventServer$$HttpPort$", "8085"},
                             {"$Hidden$$EventServer$$Prefix$", "  blanks stay  "},
                             {"$Hidden$$EventServer$$Breaks$", ""},
                             {"$Hidden$$EventServer$$Escaped$", "a < b & c"},
                             {"$Hidden$$EventServer$$Empty$", ""},
                         }));
  std::string value = "old";
  EXPECT_TRUE(cfg.Lookup("$Hidden$$EventServer$$Empty$", &value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(cfg.Lookup("$Hidden$$EventServer$$Missing$", &value));
  EXPECT_FALSE(cfg.Lookup("$hidden$$eventserver$$httpport$", &value));  // keys are case-sensitive
  EXPECT_EQ(cfg.GetValue("$Hidden$$Missing$"), "");
}

TEST(XmlCfgTest, BrokenAfterTheRootKeepsWhatWasReadAndNoRootFails) {
  ProcessLogCapture log;
  CXmlCfg cfg;
  ASSERT_TRUE(cfg.ToCfg("<Result><Code>0</Code><Comment>ok</Comm"));
  EXPECT_EQ(cfg.GetValue("$Result$$Code$"), "0");

  EXPECT_FALSE(cfg.ToCfg("not xml"));
  EXPECT_EQ(cfg.GetTokens().GetCount(), 0);  // left empty
  // The break is logged too; a text without root gets only its own line.
  std::string text = log.Text();
  EXPECT_EQ(text.rfind("ERROR - Malformed xml [error near line 1]: ", 0), 0u) << text;
  EXPECT_NE(text.find("; what came before it is kept.\r\nERROR - Not found tag name from xml.\r\n"), std::string::npos)
      << text;
  EXPECT_EQ(text.find("Malformed", 9), std::string::npos) << text;  // once
}

TEST(XmlCfgTest, WritesTabIndentedLinesWithBareClosingTags) {
  CXmlCfg cfg;
  cfg.Add("$A$", "");
  cfg.Add("$A$$B$", "1");
  cfg.Add("$A$$C$", "");
  cfg.Add("$A$$C$$D$", "x");
  std::string text;
  EXPECT_TRUE(cfg.ToXml2(&text));
  EXPECT_EQ(text, "<A>\r\n\t<B>1</B>\r\n\t<C>\r\n\t\t<D>x</D>\r\n\t</C>\r\n</A>\r\n");

  CStrList repeated = Names({"Setting"});
  ASSERT_TRUE(cfg.ToCfg(kSettings, &repeated));
  EXPECT_TRUE(cfg.ToXml2(&text));
  EXPECT_EQ(text,
            "<Settings>\r\n"
            "\t<Setting>\r\n\t\t<Name>a</Name>\r\n\t</Setting>\r\n"
            "\t<Setting>\r\n\t\t<Name>b</Name>\r\n\t</Setting>\r\n"
            "\t<Setting>\r\n\t\t<Name>c</Name>\r\n\t</Setting>\r\n"
            "</Settings>\r\n");

  // An empty token with nothing under it: start tag, line end, indentation, end tag.
  CXmlCfg empty;
  empty.Add("$R$", "");
  empty.Add("$R$$E$", "  ");
  EXPECT_TRUE(empty.ToXml2(&text));
  EXPECT_EQ(text, "<R>\r\n\t<E>\r\n\t</E>\r\n</R>\r\n");
}

TEST(XmlCfgTest, ValuesAreTrimmedAndEscapedAndReadBackUnchanged) {
  CXmlCfg cfg;
  cfg.Add("$R$", "");
  cfg.Add("$R$$V$", "  a<b & \"c\" 'd' >e  ");
  cfg.Add("$R$$K$", "\xB0\xA1\xB3\xAA");  // legacy code page bytes pass as they are
  std::string text;
  cfg.ToXml2(&text);
  EXPECT_EQ(text,
            "<R>\r\n\t<V>a&lt;b &amp; &quot;c&quot; &apos;d&apos; &gt;e</V>\r\n"
            "\t<K>\xB0\xA1\xB3\xAA</K>\r\n</R>\r\n");
  CXmlCfg back;
  ASSERT_TRUE(back.ToCfg(text));
  EXPECT_EQ(back.GetValue("$R$$V$"), "a<b & \"c\" 'd' >e");
  EXPECT_EQ(back.GetValue("$R$$K$"), "\xB0\xA1\xB3\xAA");
}

TEST(XmlCfgTest, SaveAndLoadRoundTripThroughAFile) {
  TempDir dir;
  const std::string path = dir.Join("Hidden.xml");
  ASSERT_TRUE(WriteTestFile(path,
                            "<Hidden>\r\n\t<EventServer>\r\n\t\t<HttpPort> 85 </HttpPort>\r\n"
                            "\t</EventServer>\r\n\t<List><Item>1</Item><Item>2</Item></List>\r\n"
                            "\t<Debug><UseLogFile>1</UseLogFile></Debug>\r\n</Hidden>\r\n"));
  CStrList repeated = Names({"Item"});
  CXmlCfg cfg;
  ASSERT_TRUE(cfg.Load(path, &repeated));
  EXPECT_EQ(cfg.GetPath(), path);
  auto first = Tokens(cfg);
  ASSERT_TRUE(cfg.Save());  // to the remembered path
  CXmlCfg again;
  ASSERT_TRUE(again.Load(path, &repeated));
  auto second = Tokens(again);
  ASSERT_EQ(first.size(), second.size());
  for (size_t i = 0; i < first.size(); ++i) {
    EXPECT_EQ(first[i].first, second[i].first);
    EXPECT_EQ(StrTrim(first[i].second), second[i].second);
  }
  EXPECT_EQ(again.GetValue("$Hidden$$EventServer$$HttpPort$"), "85");
  EXPECT_EQ(again.GetValue("$Hidden$$List$$Item%2$"), "2");
  // Nothing but the file itself is left in the folder.
  std::vector<std::string> files;
  FindFilesRecursive(dir.path(), "*", false, &files);
  EXPECT_EQ(files, std::vector<std::string>{path});
}

TEST(XmlCfgTest, FileFailuresAreLoggedAndLeaveTheStore) {
  TempDir dir;
  ProcessLogCapture log;
  CXmlCfg cfg;
  ASSERT_TRUE(cfg.ToCfg("<A><B>1</B></A>"));

  const std::string missing = dir.Join("missing.xml");
  EXPECT_FALSE(cfg.Load(missing));
  EXPECT_EQ(cfg.GetPath(), missing);  // kept although the load failed
  EXPECT_EQ(cfg.GetValue("$A$$B$"), "1");  // store unchanged
  ASSERT_TRUE(WriteTestFile(dir.Join("empty.xml"), ""));
  EXPECT_FALSE(cfg.ToCfgCore(dir.Join("empty.xml")));

  CXmlCfg nothing;
  EXPECT_FALSE(nothing.Save());  // no path given, none remembered: no line, no file

  const std::string unwritable = dir.Join("no/such/folder/x.xml");
  EXPECT_FALSE(cfg.Save(unwritable));
  EXPECT_EQ(log.Text(),
            "ERROR - Error raised when read '" + missing + "' xml.\r\n"
            "ERROR - Error raised when read '" + dir.Join("empty.xml") + "' xml.\r\n"
            "ERROR - Error raised when create '" + unwritable + "' file. the error is 2\r\n"
            "ERROR - Error raised when write to '" + unwritable + "' file.\r\n");
}

TEST(XmlCfgTest, SaveReplacesTheWholeFile) {
  TempDir dir;
  const std::string path = dir.Join("s.xml");
  ASSERT_TRUE(WriteTestFile(path, std::string(10000, 'x')));  // a longer old file
  CXmlCfg cfg;
  cfg.Add("$S$", "v");
  ASSERT_TRUE(cfg.Save(path));
  EXPECT_EQ(ReadTestFile(path), "<S>v</S>\r\n");
}

TEST(TokenListTest, BuildsFromQueryPieces) {
  CStrList items;
  items.Split("a=1&b&c=2=3&=&==x&a=4", "&");
  CTokenList list(items, "=");
  std::vector<std::pair<std::string, std::string>> tokens;
  for (const CToken& t : list.GetTokens()) tokens.emplace_back(t.GetName(), t.GetValue());
  EXPECT_EQ(tokens, (std::vector<std::pair<std::string, std::string>>{
                        {"a", "1"}, {"b", ""}, {"c", "2"}, {"x", ""}, {"a", "4"}}));
  EXPECT_EQ(list.GetValue("a"), "4");  // the later value
  EXPECT_EQ(list.GetValue("A"), "");
  std::string value;
  EXPECT_TRUE(list.Lookup("b", &value));
  EXPECT_FALSE(list.Lookup("z", &value));
}

TEST(XmlCfgTest, KeyBuilders) {
  EXPECT_EQ(MakeKey("Hidden"), "$Hidden$");
  EXPECT_EQ(MakeIndexedKey("Setting", 2), "$Setting%2$");
  EXPECT_EQ(MakeIndexedKey("Setting", 0), "$Setting$");
  EXPECT_EQ(JoinKeyPath("$Hidden$", "Debug"), "$Hidden$$Debug$");
  EXPECT_EQ(JoinKeyPath("$Hidden$", "$Debug$"), "$Hidden$$Debug$");
  EXPECT_EQ(JoinKeyPath(JoinKeyPath(MakeKey("Settings"), MakeIndexedKey("Setting", 2)), "Name"),
            "$Settings$$Setting%2$$Name$");
}

}  // namespace

namespace {

size_t StoreBytes(const CXmlCfg& cfg) {
  size_t bytes = 0;
  for (const CToken& t : cfg.GetTokens().GetTokens()) bytes += t.GetName().size() + t.GetValue().size();
  return bytes;
}

}  // namespace

// Keys hold their parents' keys: deep nesting of long names made a 2 MB reply
// take gigabytes. Reading now stops at the first key past the limit, with the
// parse error line, and keeps what came before.
TEST(XmlCfgTest, LongKeysEndTheReadingWithTheParseErrorLine) {
  const std::string name(100, 'n');
  std::string deep;
  for (int i = 0; i < 1000; ++i) deep += "<" + name + ">";
  ProcessLogCapture log;
  CXmlCfg cfg;
  ASSERT_TRUE(cfg.ToCfg("<r>" + deep));
  EXPECT_EQ(cfg.GetTokens().GetCount(), 1 + static_cast<int>((kXmlCfgMaxKeyLength - 3) / (name.size() + 2)));
  for (const CToken& t : cfg.GetTokens().GetTokens()) EXPECT_LE(t.GetName().size(), kXmlCfgMaxKeyLength);
  EXPECT_NE(log.Text().find("ERROR - Malformed xml [error near line 1]: key too long <nnnn"), std::string::npos)
      << log.Text();

  // One name longer than a key may be is refused before it is copied.
  ASSERT_TRUE(cfg.ToCfg("<r><a>1</a><" + std::string(size_t{1} << 20, 'x') + ">2</x></r>"));
  EXPECT_EQ(Tokens(cfg), (std::vector<std::pair<std::string, std::string>>{{"$r$", ""}, {"$r$$a$", "1"}}));
}

// Many siblings under a long key each store that key: the store stops at 8
// bytes per input byte plus 1 MiB ("document too large"), while a plain reply
// of the same size whose records repeat (each key distinct) is read whole.
TEST(XmlCfgTest, StoreSizeIsBoundedByTheDocumentSize) {
  const std::string name(200, 'p');
  std::string open;
  std::string close;
  for (int i = 0; i < 19; ++i) {
    open += "<" + name + ">";
    close = "</" + name + ">" + close;
  }
  std::string siblings;
  for (int i = 0; i < 200000; ++i) siblings += "<b/>";
  const std::string xml = "<r>" + open + siblings + close + "</r>";
  ProcessLogCapture log;
  CXmlCfg cfg;
  ASSERT_TRUE(cfg.ToCfg(xml));
  EXPECT_NE(log.Text().find("]: document too large; what came before it is kept."), std::string::npos) << log.Text();
  EXPECT_GT(cfg.GetTokens().GetCount(), 1000);
  EXPECT_LE(StoreBytes(cfg), 8 * xml.size() + (size_t{1} << 20));

  size_t items = 0;
  const std::string plain = PlainRecordsText(xml.size(), &items);
  CStrList repeated;
  repeated.Add("Item");
  const std::string before = log.Text();
  ASSERT_TRUE(cfg.ToCfg(plain, &repeated));
  EXPECT_EQ(log.Text(), before);
  EXPECT_EQ(cfg.GetCount("$Result$$Item$"), static_cast<int>(items));
  EXPECT_EQ(cfg.GetValue("$Result$$Item%" + std::to_string(items) + "$$Value$"), "some text value of the item");
}

// The writer examined only the first 4,094 bytes of a key and wrote a longer
// one as "<>x</>". It now writes whole keys up to the reader's limit and
// leaves out, with a log line, a token it could not write so that it reads back.
TEST(XmlCfgTest, WriterWritesWholeKeysOrRefusesThem) {
  const std::string long_name(4000, 'k');
  CXmlCfg cfg;
  cfg.Add("$r$", "");
  cfg.Add("$r$$" + long_name + "$", "x");
  cfg.Add("$r$$" + std::string(kXmlCfgMaxKeyLength, 'z') + "$", "too long");
  cfg.Add("$r$$two words$", "blank");
  cfg.Add("$r$$$", "empty");
  cfg.Add("$r$$b%2$", "y");
  ProcessLogCapture log;
  std::string text;
  EXPECT_FALSE(cfg.ToXml2(&text));
  EXPECT_EQ(text, "<r>\r\n\t<" + long_name + ">x</" + long_name + ">\r\n\t<b>y</b>\r\n</r>\r\n");
  std::string lines = log.Text();
  EXPECT_NE(lines.find("ERROR - Key '$r$$zzzz"), std::string::npos) << lines;
  EXPECT_NE(lines.find("ERROR - Key '$r$$two words$' is too long or names no element; it is not written.\r\n"),
            std::string::npos)
      << lines;
  EXPECT_NE(lines.find("ERROR - Key '$r$$$'"), std::string::npos) << lines;

  CXmlCfg again;
  ASSERT_TRUE(again.ToCfg(text));
  EXPECT_EQ(Tokens(again), (std::vector<std::pair<std::string, std::string>>{
                               {"$r$", ""}, {"$r$$" + long_name + "$", "x"}, {"$r$$b$", "y"}}));
}
