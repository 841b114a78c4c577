#include "foundation/XmlSerializer.h"

#include <string>

#include <gtest/gtest.h>

#include "ProcessLogCapture.h"
#include "TestRecords.h"
#include "XmlTexts.h"
#include "support/TempDir.h"

namespace {

std::string FromText(std::string_view xml) {
  TreeCopy copy;
  EXPECT_TRUE(CXmlSerializer::FromXml(xml, &copy)) << xml;
  return copy.text;
}

std::string FromFile(const std::string& path) {
  TreeCopy copy;
  EXPECT_TRUE(CXmlSerializer::FromXmlFile(path, &copy)) << path;
  return copy.text;
}

TEST(XmlWriterTest, StatusRecordIsOneLinePerValue) {
  TestStatus status;
  status.id = 7;
  status.last_executed = "2024-05-01 10:00:00";
  status.last_error = -3;
  EXPECT_EQ(CXmlSerializer::ToXml(status),
            "<?xml version=\"1.0\"?>\r\n"
            "<TestItemStatus>\r\n"
            "\t<ID>7</ID>\r\n"
            "\t<LastDateTimeExecuted>2024-05-01 10:00:00</LastDateTimeExecuted>\r\n"
            "\t<LastErrorCode>-3</LastErrorCode>\r\n"
            "</TestItemStatus>\r\n");
  EXPECT_EQ(CXmlSerializer::Serialize(status), CXmlSerializer::ToXml(status));

  TestItems empty;
  EXPECT_EQ(CXmlSerializer::ToXml(empty), "<?xml version=\"1.0\"?>\r\n");
}

TEST(XmlWriterTest, NestedListsIndentByDepth) {
  TestItems list;
  list.Resize(1);
  list.items[0]->id = 1;
  list.items[0]->name = "a<b>&\"c'";
  list.items[0]->targets = {{"u", 2}};
  EXPECT_EQ(CXmlSerializer::ToXml(list),
            "<?xml version=\"1.0\"?>\r\n"
            "<TestItems>\r\n"
            "\t<TestItem>\r\n"
            "\t\t<ID>1</ID>\r\n"
            "\t\t<Name>a&lt;b&gt;&amp;&quot;c&apos;</Name>\r\n"
            "\t\t<Enabled>0</Enabled>\r\n"
            "\t\t<TargetSites>\r\n"
            "\t\t\t<TargetSite>\r\n"
            "\t\t\t\t<Url>u</Url>\r\n"
            "\t\t\t\t<Port>2</Port>\r\n"
            "\t\t\t</TargetSite>\r\n"
            "\t\t</TargetSites>\r\n"
            "\t</TestItem>\r\n"
            "</TestItems>\r\n");
}

TEST(XmlTextReaderTest, LowerCasesNamesAndTurnsLeavesIntoValues) {
  EXPECT_EQ(FromText("<Status><ID>5</ID><Empty></Empty><Self/><Group><X>1</X></Group>"
                     "<Group><X>2</X></Group>text beside</Status>"),
            "status{id=5;empty=;self=;}[group{x=1;}group{x=2;}]");
  EXPECT_EQ(FromText("<a><v>&amp;lt; &lt;&gt;&amp;&quot;&apos; <![CDATA[<raw>]]></v></a>"),
            "a{v=&lt; <>&\"' <raw>;}");
  // Broken after the root: what was read before the break, and a log line.
  ProcessLogCapture log;
  EXPECT_EQ(FromText("<a><v>1</v><w>2</x><y>3</y></a>"), "a{v=1;w=2;}");
  EXPECT_EQ(log.Text().rfind("ERROR - Malformed xml [error near line 1]: ", 0), 0u) << log.Text();
  // Nodes keep document order; elements open at the break keep their text.
  EXPECT_EQ(FromText("<r><n><b>2</b></n><v>1</v><m><c>3</c><d>4"), "r{v=1;}[n{b=2;}m{c=3;d=4;}]");
  TestStatus status;
  EXPECT_FALSE(CXmlSerializer::FromXml("no root", &status));
  EXPECT_NE(log.Text().find("root tag missing"), std::string::npos) << log.Text();
  EXPECT_TRUE(CXmlSerializer::FromXml("<r/>", nullptr));
}

// A text of nested tags only makes a node per few bytes: the tree stops at
// what XmlTreeLimit allows (near the size of a plain document's tree), with
// what came before kept; a plain document of records of that size is read whole.
TEST(XmlTextReaderTest, TreeOfATextOfTagsOnlyIsBounded) {
  ProcessLogCapture log;
  TreeCopy copy;
  EXPECT_TRUE(CXmlSerializer::FromXml(NestedTagsText(size_t{1} << 20), &copy));
  EXPECT_NE(log.Text().find("]: document too large"), std::string::npos) << log.Text().substr(0, 200);
  EXPECT_EQ(copy.text.rfind("r{}[e{}[e{}[", 0), 0u);

  size_t items = 0;
  const std::string plain = PlainRecordsText(size_t{1} << 20, &items);
  const std::string before = log.Text();
  EXPECT_TRUE(CXmlSerializer::FromXml(plain, &copy));
  EXPECT_EQ(log.Text(), before);
  size_t read = 0;
  for (size_t at = copy.text.find("item{id=123456;"); at != std::string::npos; at = copy.text.find("item{id=", at + 1)) {
    ++read;
  }
  EXPECT_EQ(read, items);
}

TEST(XmlTextReaderTest, RecordsRoundTrip) {
  TestItems list;
  list.Resize(2);
  list.items[0]->id = 4;
  list.items[0]->name = "x &amp; <y>";
  list.items[0]->enabled = true;
  list.items[0]->targets = {{"http://a", 1}, {"", 2}};
  TestItems back;
  ASSERT_TRUE(CXmlSerializer::FromXml(CXmlSerializer::ToXml(list), &back));
  ASSERT_EQ(back.items.size(), 2u);
  EXPECT_TRUE(*back.items[0] == *list.items[0]);
  EXPECT_TRUE(*back.items[1] == *list.items[1]);
}

class XmlFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& bytes) {
    std::string path = dir_.Join(name);
    EXPECT_TRUE(WriteTestFile(path, bytes));
    return path;
  }
  TempDir dir_;
};

TEST_F(XmlFileTest, FileReaderKeepsNodeNamesAndDropsEmptyElements) {
  std::string path = Write("s.xml",
                           "<?xml version=\"1.0\"?>\r\n<Status>\r\n\t<Group>\r\n\t\t<X>1</X>\r\n\t</Group>\r\n"
                           "\t<Mixed>A<![CDATA[skip]]></Mixed>\r\n\t<Empty></Empty>\r\n\t<Self/>\r\n"
                           "\t<ns:Name xmlns:ns=\"urn:x\">&lt;v&amp;&quot;&gt;</ns:Name>\r\n</Status>\r\n");
  EXPECT_EQ(FromFile(path), "Status{mixed=A;name=<v&\">;}[Group{x=1;}]");
}

TEST_F(XmlFileTest, WrittenFileReadsBackThroughBothReaders) {
  TestItems list;
  list.Resize(1);
  list.items[0]->id = 1;
  list.items[0]->name = "a<b>&\"c' &amp;";
  list.items[0]->targets = {{"u1", 1}, {"u2", 2}};
  std::string path = dir_.Join("items.dat");
  std::string text = CXmlSerializer::ToXmlFile(path, list);
  EXPECT_EQ(text, CXmlSerializer::ToXml(list));
  EXPECT_EQ(ReadTestFile(path), text);
  EXPECT_EQ(FromFile(path),
            "TestItems{}[TestItem{id=1;name=a<b>&\"c' &amp;;enabled=0;}"
            "[TargetSites{}[TargetSite{url=u1;port=1;}TargetSite{url=u2;port=2;}]]]");
  TestItems back;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &back));
  ASSERT_EQ(back.items.size(), 1u);
  EXPECT_TRUE(*back.items[0] == *list.items[0]);
}

TEST_F(XmlFileTest, EmptyValueIsAbsentThroughTheFileReader) {
  TestStatus status;
  status.id = 3;
  std::string path = dir_.Join("status.dat");
  ASSERT_FALSE(CXmlSerializer::ToXmlFile(path, status).empty());
  EXPECT_EQ(FromFile(path), "TestItemStatus{id=3;lasterrorcode=0;}");
  EXPECT_EQ(FromText(ReadTestFile(path)), "testitemstatus{id=3;lastdatetimeexecuted=;lasterrorcode=0;}");
}

TEST_F(XmlFileTest, LegacyCodePageStatusFilesReadBackWhole) {
  // Written in the legacy code page with no encoding declared: a non-ASCII
  // value must not end the walk before the later fields.
  TestStatus status;
  status.id = 12;
  status.last_executed = "\xC7\xD1\xB1\xDB \xBD\xC3\xB0\xA3";  // CP949
  status.last_error = 5;
  std::string path = dir_.Join("korean.dat");
  std::string text = CXmlSerializer::ToXmlFile(path, status);
  EXPECT_NE(text.find("\xC7\xD1\xB1\xDB"), std::string::npos);  // bytes as they are
  EXPECT_EQ(ReadTestFile(path), text);
  TestStatus back;
  ASSERT_TRUE(CXmlSerializer::FromXmlFile(path, &back));
  EXPECT_EQ(back.id, 12);
  EXPECT_EQ(back.last_executed, status.last_executed);
  EXPECT_EQ(back.last_error, 5);
}

TEST_F(XmlFileTest, DeclaredEncodingsAreConvertedToTheLegacyCodePage) {
  const std::string hangul_cp949 = "\xC7\xD1\xB1\xDB";
  const std::string hangul_utf8 = "\xED\x95\x9C\xEA\xB8\x80";
  EXPECT_EQ(FromFile(Write("euckr.xml", "<?xml version=\"1.0\" encoding=\"euc-kr\"?><r><v>" + hangul_cp949 +
                                            "</v><w>1</w></r>")),
            "r{v=" + hangul_cp949 + ";w=1;}");
  EXPECT_EQ(FromFile(Write("utf8.xml", "\xEF\xBB\xBF<r><v>" + hangul_utf8 + "</v><w>1</w></r>")),
            "r{v=" + hangul_cp949 + ";w=1;}");
  EXPECT_EQ(FromFile(Write("plain.xml", "<r><v>" + hangul_utf8 + "</v><w>1</w></r>")),
            "r{v=" + hangul_cp949 + ";w=1;}");
}

TEST_F(XmlFileTest, MalformedFilesGiveWhatWasReadBeforeTheFault) {
  {
    ProcessLogCapture log;
    std::string path = Write("broken.xml", "<r><a>1</a><g><b>2</b></g><c>3</x></r>");
    EXPECT_EQ(FromFile(path), "r{a=1;}[g{b=2;}]");
    EXPECT_EQ(log.Text(), "ERROR - Malformed xml in '" + path + "'; what came before the fault is kept.\r\n");
  }
  // Entities are not expanded.
  std::string laughs = "<!DOCTYPE r [<!ENTITY l0 'lol'>";
  for (int i = 1; i <= 10; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " '";
    for (int k = 0; k < 10; ++k) laughs += "&l" + std::to_string(i - 1) + ";";
    laughs += "'>";
  }
  laughs += "]><r><a>1</a><b>&l10;</b></r>";
  EXPECT_EQ(FromFile(Write("laughs.xml", laughs)).rfind("r{a=1;", 0), 0u);

  // An empty file: true, and the record gets an empty root.
  EXPECT_EQ(FromFile(Write("empty.xml", "")), "{}");
}

// A malformed status file gives what came before the fault, found in linear
// time: the retry hands the reader only the bytes just before the fault one
// at a time (it retried the whole file byte by byte: 1 MB of '&' took
// minutes), and what the reader would take quadratic time over ends the walk
// before the reader sees it.
TEST_F(XmlFileTest, MalformedFilesAreReadInLinearTime) {
  const std::string head = "<?xml version=\"1.0\"?>\r\n<Status>\r\n\t<A>1</A>\r\n\t<B>x &amp; y</B>\r\n";
  std::string attributes;
  for (int i = 0; i < 2000; ++i) attributes += " a" + std::to_string(i) + "='1'";
  std::string values;
  for (int i = 0; i < 40000; ++i) values += "\t<V" + std::to_string(i) + ">" + std::to_string(i) + "</V" + std::to_string(i) + ">\r\n";
  struct Case {
    const char* name;
    std::string bytes;
    std::string read;
  } cases[] = {
      {"ampersands", head + "\t<C>" + std::string(size_t{1} << 20, '&') + "</C>\r\n</Status>\r\n", "Status{a=1;b=x & y;}"},
      {"character references", head + "\t<C>" + std::string(size_t{1} << 20, '&') + "#</C>", "Status{a=1;b=x & y;}"},
      {"attribute ampersands", head + "\t<C x='" + std::string(size_t{1} << 20, '&') + "'>2</C>", "Status{a=1;b=x & y;}"},
      {"unclosed comment", head + "\t<!--" + std::string(size_t{1} << 20, '-'), "Status{a=1;b=x & y;}"},
      {"unclosed cdata", head + "\t<C><![CDATA[" + std::string(size_t{1} << 20, 'c'), "Status{a=1;b=x & y;}"},
      {"many attributes", head + "\t<C" + attributes + ">2</C>\r\n</Status>", "Status{a=1;b=x & y;}"},
      {"cut mid-value", head + "\t<C>2</C>\r\n\t<D>3", "Status{a=1;b=x & y;c=2;}"},
      {"wrong end tag", head + "\t<C>2</X>\r\n</Status>", "Status{a=1;b=x & y;}"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ProcessLogCapture log;
    std::string path = Write("broken.dat", c.bytes);
    EXPECT_EQ(FromFile(path), c.read);
    EXPECT_EQ(log.Text(), "ERROR - Malformed xml in '" + path + "'; what came before the fault is kept.\r\n");
  }
  // A large file broken near its end keeps every value before the break (the
  // last piece read in one go was lost for files above 1 MiB).
  std::string read = FromFile(Write("large.dat", head + values + "\t<C>2</X>"));
  EXPECT_NE(read.find("v39999=39999;"), std::string::npos) << read.substr(read.size() - 100);
}

TEST_F(XmlFileTest, FileFailuresAreLogged) {
  ProcessLogCapture log;
  TestStatus status;
  std::string missing = dir_.Join("missing.dat");
  EXPECT_FALSE(CXmlSerializer::FromXmlFile(missing, &status));
  std::string nowhere = dir_.Join("no/folder/s.dat");
  EXPECT_EQ(CXmlSerializer::ToXmlFile(nowhere, status), "");
  EXPECT_EQ(log.Text(), "ERROR - Can't open file(Path: " + missing + ", Error: 2)\r\n"
                        "ERROR - Can't create file.(File: " + nowhere + ", Error: 2)\r\n");
}

}  // namespace
