#include "foundation/XmlParser.h"

#include <chrono>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "XmlTexts.h"

namespace {

// The element's child at `index` (from 0), or null.
const XmlElement* Child(const XmlElement& element, size_t index) {
  const XmlElement* child = element.FirstChild();
  for (; child && index > 0; --index) child = child->next_sibling;
  return child;
}

struct ErrorCase {
  std::string text;
  std::string root_name;  // "" when no root tag was found
  std::string error;      // "" when the parse succeeded
};

TEST(XmlParserTest, RootAndErrorOfEachDocumentShape) {
  const ErrorCase cases[] = {
      {"", "", "[error near line 1]: root tag missing"},
      {"no markup at all", "", "[error near line 1]: root tag missing"},
      {"<!-- only --><!-- comments -->", "", "[error near line 1]: root tag missing"},
      {"<a>x</a>", "a", ""},  // the last byte is the root's '>'
      {"\xEF\xBB\xBF  <?xml version=\"1.0\"?>\r\n<a>x</a>\r\n", "a", ""},
      {"junk before <a/>", "a", ""},
      {"<a>\n<b>\n</c></a>", "a", "[error near line 3]: unexpected closing tag </c>"},
      {"<a><b>text", "a", "[error near line 1]: unclosed tag <b>"},
      {"<a/><b/>", "a", "[error near line 1]: markup outside of root element"},
      {"<a></a></a>", "a", "[error near line 1]: unexpected closing tag </a>"},
      {"<a x='1>", "", "[error near line 1]: missing '"},
      {"<a x=\"1>", "", "[error near line 1]: missing \""},
      {"<a", "", "[error near line 1]: missing >"},
      {"<a/x>", "", "[error near line 1]: missing >"},
      {"<a></a", "a", "[error near line 1]: missing >"},
      {"<a><!-- x -- y --></a>", "a", "[error near line 1]: unclosed <!--"},
      {"<a><![CDATA[x</a>", "a", "[error near line 1]: unclosed <![CDATA["},
      {"<a><?pi x</a>", "a", "[error near line 1]: unclosed <?"},
      {"<!DOCTYPE a [ <!ENTITY e 'x'> <a/>", "", "[error near line 1]: unclosed <!DOCTYPE"},
      {"<a>< b/></a>", "a", "[error near line 1]: unexpected <"},
      {"<a><!ELEMENT></a>", "a", "[error near line 1]: unexpected <"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.text);
    auto doc = XmlParseText(c.text);
    ASSERT_NE(doc, nullptr);
    EXPECT_EQ(doc->root.name, c.root_name);
    EXPECT_EQ(doc->error, c.error);
  }
}

TEST(XmlParserTest, TextGathersAroundChildrenInDocumentOrder) {
  auto doc = XmlParseText("<a><b>1</b>x<c></c>y</a>");
  EXPECT_EQ(doc->error, "");
  EXPECT_EQ(doc->root.text, "xy");
  ASSERT_EQ(doc->root.ChildCount(), 2u);
  EXPECT_EQ(Child(doc->root, 0)->name, "b");
  EXPECT_EQ(Child(doc->root, 0)->text, "1");
  EXPECT_EQ(Child(doc->root, 0)->offset, 0u);
  EXPECT_EQ(Child(doc->root, 1)->name, "c");
  EXPECT_EQ(Child(doc->root, 1)->text, "");
  EXPECT_EQ(Child(doc->root, 1)->offset, 1u);
  EXPECT_EQ(Child(doc->root, 1)->parent, &doc->root);
  EXPECT_EQ(doc->root.FirstChild(), Child(doc->root, 0));
}

TEST(XmlParserTest, BrokenDocumentKeepsWhatWasRead) {
  auto doc = XmlParseText("<r><a>1</a><b>2</b><c>3</x></r>");
  EXPECT_EQ(doc->error, "[error near line 1]: unexpected closing tag </x>");
  ASSERT_EQ(doc->root.ChildCount(), 3u);
  EXPECT_EQ(Child(doc->root, 1)->text, "2");
  EXPECT_EQ(Child(doc->root, 2)->text, "3");
}

struct XmlDecodeCase {
  std::string body;  // inside <a>...</a>
  std::string text;
};

TEST(XmlParserTest, DecodesReferencesAndLineEnds) {
  const XmlDecodeCase cases[] = {
      {"&lt;&amp;&#65;&#x42;", "<&AB"},
      {"&gt;&quot;&apos;", ">\"'"},
      {"&undeclared; &#0; &#65 &#xZZ; & alone", "&undeclared; &#0; &#65 &#xZZ; & alone"},
      {"&amp;lt;", "&lt;"},            // decoded once
      {"&#xAC00;&#233;", "\xEA\xB0\x80\xC3\xA9"},
      {"&#x1F600;", "\xF0\x9F\x98\x80"},
      {"<![CDATA[&lt;&#65;<b>]]>", "&lt;&#65;<b>"},  // CDATA stays undecoded
      {"1\r\n2\r3\n4", "1\n2\n3\n4"},
      {"<![CDATA[1\r\n2]]>", "1\n2"},
      {"\xB0\xA1\xB3\xAA", "\xB0\xA1\xB3\xAA"},  // legacy code page bytes pass as they are
  };
  for (const XmlDecodeCase& c : cases) {
    SCOPED_TRACE(c.body);
    auto doc = XmlParseText("<a>" + c.body + "</a>");
    EXPECT_EQ(doc->error, "");
    EXPECT_EQ(doc->root.text, c.text);
  }
}

TEST(XmlParserTest, AttributesInBothQuotesAndDeclaredTokens) {
  auto doc = XmlParseText(
      "<!DOCTYPE a [ <!ATTLIST a id ID #IMPLIED kind CDATA 'plain' mode (x|y) 'x'> ]>"
      "<a one='1' two=\"2 &amp; &lt;\" tab=\"x\ty\" id='  p   q  ' bare></a>");
  EXPECT_EQ(doc->error, "");
  ASSERT_EQ(doc->root.attributes.size(), 5u);
  EXPECT_EQ(*doc->root.FindAttribute("one"), "1");
  EXPECT_EQ(*doc->root.FindAttribute("two"), "2 & <");
  EXPECT_EQ(*doc->root.FindAttribute("tab"), "x y");   // whitespace becomes blanks
  EXPECT_EQ(*doc->root.FindAttribute("id"), "p q");    // token: collapsed and trimmed
  EXPECT_EQ(*doc->root.FindAttribute("bare"), "");
  EXPECT_EQ(doc->root.FindAttribute("none"), nullptr);
  const auto& decls = doc->attribute_declarations["a"];
  ASSERT_EQ(decls.size(), 3u);
  EXPECT_FALSE(decls[0].has_default);
  EXPECT_TRUE(decls[0].token);
  EXPECT_EQ(decls[1].default_value, "plain");
  EXPECT_EQ(decls[2].default_value, "x");
}

TEST(XmlParserTest, InternalEntitiesAndInstructions) {
  auto doc = XmlParseText(
      "<?xml version='1.0' standalone='yes'?>\n"
      "<!DOCTYPE a [\n"
      "  <!ENTITY % pe 'shared'>\n"
      "  <!ENTITY who \"%pe; &lt;world&gt;\">\n"
      "  <!ENTITY greet 'hello &who;'>\n"
      "  <!ENTITY ext SYSTEM 'http://example.invalid/x'>\n"
      "  <!-- a comment -->\n"
      "]>\n"
      "<?app run now?><a>&greet;!&ext;</a>");
  EXPECT_EQ(doc->error, "");
  EXPECT_TRUE(doc->standalone);
  EXPECT_EQ(doc->root.text, "hello shared <world>!&ext;");
  ASSERT_EQ(doc->processing_instructions["app"].size(), 1u);
  EXPECT_EQ(doc->processing_instructions["app"][0], "run now");
}

TEST(XmlParserTest, CircularEntityIsAnError) {
  auto doc = XmlParseText("<!DOCTYPE a [<!ENTITY x '&y;'><!ENTITY y 'a&x;b'>]><a>&x;</a>");
  EXPECT_EQ(doc->error, "[error near line 1]: circular entity declaration &y;");
  EXPECT_EQ(doc->root.name, "");
  doc = XmlParseText("<!DOCTYPE a [<!ENTITY s '&s;'>]><a>&s;</a>");
  EXPECT_EQ(doc->error, "[error near line 1]: circular entity declaration &s;");
}

TEST(XmlParserTest, EntityExpansionIsBounded) {
  // "Billion laughs": ten levels of ten references, 10^10 bytes if expanded.
  std::string dtd = "<!DOCTYPE a [<!ENTITY l0 'lol'>";
  for (int i = 1; i <= 10; ++i) {
    dtd += "<!ENTITY l" + std::to_string(i) + " '";
    for (int k = 0; k < 10; ++k) dtd += "&l" + std::to_string(i - 1) + ";";
    dtd += "'>";
  }
  dtd += "]>";
  auto started = std::chrono::steady_clock::now();
  auto doc = XmlParseText(dtd + "<a><b>before</b>&l10;</a>");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_EQ(doc->error, "[error near line 1]: entity expansion too large");
  EXPECT_EQ(doc->root.name, "a");
  ASSERT_EQ(doc->root.ChildCount(), 1u);
  EXPECT_EQ(Child(doc->root, 0)->text, "before");
  EXPECT_LE(doc->root.text.size(), size_t{2} << 20);

  // Predefined entities cost nothing: a large text of them decodes whole.
  std::string many;
  for (int i = 0; i < 400000; ++i) many += "&lt;";
  doc = XmlParseText("<a>" + many + "</a>");
  EXPECT_EQ(doc->error, "");
  EXPECT_EQ(doc->root.text, std::string(400000, '<'));
}

// Before the entity look-up was bounded, every '&' scanned to the next ';':
// a megabyte of '&' took seconds, 64 MiB hours. Now each look-up stops after
// the longest declared name; the result is the same, literal text.
TEST(XmlParserTest, RunsOfAmpersandsWithoutSemicolonStayLiteral) {
  const std::string run(size_t{1} << 20, '&');
  const std::string short_run(size_t{1} << 18, '&');
  auto doc = XmlParseText("<!DOCTYPE a [<!ENTITY e '" + short_run + "'>]><a x='" + run + "'>" + run + "&e;</a>");
  EXPECT_EQ(doc->error, "");
  EXPECT_EQ(doc->root.text.size(), run.size() + short_run.size());
  ASSERT_NE(doc->root.FindAttribute("x"), nullptr);
  EXPECT_EQ(*doc->root.FindAttribute("x"), run);
  // A reference whose ';' lies beyond the longest name is no reference.
  doc = XmlParseText("<!DOCTYPE a [<!ENTITY ab 'X'>]><a>&ab;&abc;&a" + std::string(10, 'b') + ";</a>");
  EXPECT_EQ(doc->root.text, "X&abc;&a" + std::string(10, 'b') + ";");
}

// Expansion is capped at 1 MiB per document, whatever the document's size
// (it was 8 bytes per input byte: a 64 MiB reply could grow by 512 MiB).
TEST(XmlParserTest, ExpansionCapIsTheSameForLargeDocuments) {
  const std::string value(64 * 1024, 'v');
  const std::string dtd = "<!DOCTYPE a [<!ENTITY big '" + value + "'>]>";
  std::string refs;
  for (int i = 0; i < 15; ++i) refs += "&big;";  // 960 KiB: within the cap
  auto doc = XmlParseText(dtd + "<a>" + refs + "</a>");
  EXPECT_EQ(doc->error, "");
  EXPECT_EQ(doc->root.text.size(), 15 * value.size());

  const std::string literal(size_t{4} << 20, 'x');  // a large document gains no extra expansion
  doc = XmlParseText(dtd + "<a>" + literal + refs + "&big;&big;</a>");
  EXPECT_EQ(doc->error, "[error near line 1]: entity expansion too large");
  EXPECT_LE(doc->root.text.size(), literal.size() + (size_t{1} << 20));

  // Declaring a long entity is literal text: it costs nothing until used.
  doc = XmlParseText("<!DOCTYPE a [<!ENTITY long '" + std::string(size_t{2} << 20, 'l') +
                     "'><!ENTITY other 'o&long;'>]><a>ok</a>");
  EXPECT_EQ(doc->error, "[error near line 1]: entity expansion too large");  // scanning &long; is paid
  doc = XmlParseText("<!DOCTYPE a [<!ENTITY long '" + std::string(size_t{2} << 20, 'l') + "'>]><a>ok</a>");
  EXPECT_EQ(doc->error, "");
  EXPECT_EQ(doc->root.text, "ok");
}

size_t CountElements(const XmlElement& element) {
  size_t count = 1;
  for (const XmlElement* child = element.FirstChild(); child; child = child->next_sibling) {
    count += CountElements(*child);
  }
  return count;
}

TEST(XmlParserTest, TreeSizeIsBounded) {
  // Each "<b/>" costs an element record: about 32 times its four bytes.
  std::string many = "<a>";
  for (int i = 0; i < 300000; ++i) many += "<b/>";
  auto doc = XmlParseText(many + "</a>");
  EXPECT_EQ(doc->error, "[error near line 1]: document too large");
  EXPECT_EQ(doc->root.name, "a");
  EXPECT_GT(doc->root.ChildCount(), 1000u);
  EXPECT_LT(doc->root.ChildCount(), 300000u);
}

// Half a megabyte of nested tags only would make an element per seven bytes:
// the tree stops near what a plain document of that size takes, while a plain
// document of records of the same size is read whole. The whole-document check
// keeps no tree, so it is not bounded by it.
TEST(XmlParserTest, TextOfTagsOnlyStopsNearThePlainTreeSize) {
  const std::string tags = NestedTagsText(size_t{512} << 10);
  auto doc = XmlParseText(tags);
  EXPECT_EQ(doc->error, "[error near line 1]: document too large");
  EXPECT_LE(CountElements(doc->root) * sizeof(XmlElement), XmlTreeLimit(tags.size()));
  EXPECT_TRUE(XmlIsWholeDocument(tags));

  size_t items = 0;
  const std::string plain = PlainRecordsText(tags.size(), &items);
  doc = XmlParseText(plain);
  EXPECT_EQ(doc->error, "");
  EXPECT_EQ(doc->root.ChildCount(), items);
  EXPECT_TRUE(XmlIsWholeDocument(plain));
  EXPECT_FALSE(XmlIsWholeDocument(plain.substr(0, plain.size() - 5)));
  EXPECT_FALSE(XmlIsWholeDocument("no root"));
}

TEST(XmlParserTest, ManyDeclaredAttributesAreLookedUpByName) {
  std::string dtd = "<!DOCTYPE a [<!ATTLIST a";
  std::string tag = "<a";
  for (int i = 0; i < 20000; ++i) {
    if (i == static_cast<int>(kXmlMaxAttributes)) tag += "><b";  // a tag holds at most that many
    dtd += " n" + std::to_string(i) + (i % 2 ? " NMTOKEN #IMPLIED" : " CDATA 'd'");
    tag += " n" + std::to_string(i) + "='  x  y '";
  }
  auto doc = XmlParseText(dtd + ">]>" + tag + "/></a>");
  EXPECT_EQ(doc->error, "[error near line 1]: too many attributes <b>");
  ASSERT_EQ(doc->root.attributes.size(), kXmlMaxAttributes);
  EXPECT_EQ(doc->root.attributes[0].value, "  x  y ");
  EXPECT_EQ(doc->root.attributes[1].value, "x y");
  doc = XmlParseText(dtd + ">]><a" + tag.substr(tag.find("><b") + 3) + "/>");
  EXPECT_EQ(doc->error, "[error near line 1]: too many attributes <a>");
  EXPECT_EQ(doc->root.name, "");
}

// A reader that keeps its own form of the elements sees each one start and
// end in document order, and the tree keeps only the open ones. An element
// the tree no longer keeps is used again for a later one, which starts clean.
TEST(XmlParserTest, SinkSeesElementsAndTreeKeepsOnlyOpenOnes) {
  struct Journal : XmlElementSink {
    std::string Started(const XmlElement& e) override {
      lines.push_back("+" + e.name + (e.attributes.empty() ? "" : "@" + e.attributes[0].name));
      if (!e.text.empty() || e.FirstChild()) lines.push_back("stale " + e.name);
      return e.name == "stop" ? "stopped here" : "";
    }
    std::string Ended(XmlElement& e) override {
      lines.push_back("-" + e.name + "=" + e.text);
      return "";
    }
    std::vector<std::string> lines;
  } journal;
  auto doc = XmlParseText("<a>1<b x='1'>2<i/></b><c/>3<d>4<stop/>", &journal);
  EXPECT_EQ(doc->error, "[error near line 1]: stopped here");
  EXPECT_EQ(journal.lines,
            (std::vector<std::string>{"+a", "+b@x", "+i", "-i=", "-b=2", "+c", "-c=", "+d", "+stop"}));
  EXPECT_EQ(doc->root.text, "13");
  ASSERT_EQ(doc->root.ChildCount(), 1u);  // d, holding the refused element
  EXPECT_EQ(Child(doc->root, 0)->name, "d");
  EXPECT_EQ(Child(doc->root, 0)->text, "4");
  EXPECT_EQ(Child(doc->root, 0)->ChildCount(), 1u);
}

TEST(XmlParserTest, NestingIsBounded) {
  std::string deep;
  for (int i = 0; i < 5000; ++i) deep += "<e>";
  auto doc = XmlParseText(deep);
  EXPECT_EQ(doc->error, "[error near line 1]: element nesting too deep <e>");
  EXPECT_EQ(doc->root.name, "e");
}

TEST(XmlParserTest, Utf16WithByteOrderMarkBecomesUtf8) {
  const std::u16string text = u"<a>\uAC00\U0001F600</a>";
  std::string le = "\xFF\xFE";
  std::string be = "\xFE\xFF";
  for (char16_t c : text) {
    le.push_back(static_cast<char>(c & 0xFF));
    le.push_back(static_cast<char>(c >> 8));
    be.push_back(static_cast<char>(c >> 8));
    be.push_back(static_cast<char>(c & 0xFF));
  }
  for (const std::string& bytes : {le, be}) {
    auto doc = XmlParseText(bytes);
    EXPECT_EQ(doc->error, "");
    EXPECT_EQ(doc->root.name, "a");
    EXPECT_EQ(doc->root.text, "\xEA\xB0\x80\xF0\x9F\x98\x80");
  }
}

TEST(XmlParserTest, TextEndsAtTheFirstZeroByte) {
  auto doc = XmlParseText(std::string("<a>x</a>\0<b/>", 13));
  EXPECT_EQ(doc->error, "");
  doc = XmlParseText(std::string("<a>x\0</a>", 9));
  EXPECT_EQ(doc->error, "[error near line 1]: unclosed tag <a>");
}

}  // namespace
