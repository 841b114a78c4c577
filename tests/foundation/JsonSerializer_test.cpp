#include "foundation/JsonSerializer.h"

#include <stdio.h>
#include <stdlib.h>

#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ProcessLogCapture.h"
#include "TestRecords.h"
#include "support/TempDir.h"

namespace {

std::string Json(const CSerializationInfo& node) {
  std::string out;
  EXPECT_TRUE(CJsonSerializer::Serialize(node, &out));
  return out;
}

std::string Json(const CSerializable& record) {
  CSerializationInfo node;
  record.Serialize(node);
  return Json(node);
}

std::string Tree(std::string_view json) {
  TreeCopy copy;
  EXPECT_TRUE(CJsonSerializer::Deserialize(json, &copy)) << json;
  return copy.text;
}

TEST(JsonWriterTest, WritesThePairsPieceByPiece) {
  CSerializationInfo root;
  root.SetName("Root");
  root.AddValue("a", "1");
  root.AddValue("b", "2");
  CSerializationInfo* c = root.GetOrAddChild();
  c->SetName("C");
  c->AddValue("x", "1");
  CSerializationInfo* list = c->AppendSibling();
  list->SetName("L");
  list->SetArray(true);
  list->GetOrAddChild()->AddValue("y", "1");
  list->GetOrAddChild()->AppendSibling()->AddValue("y", "2");
  EXPECT_EQ(Json(root), "{\"a\":\"1\", \"b\":\"2\", \"C\":{\"x\":\"1\"}, \"L\":[{\"y\":\"1\"}, {\"y\":\"2\"}]}");
}

TEST(JsonWriterTest, RecordsAndLists) {
  TestItem item;
  item.id = 5;
  item.name = "cam \"1\"";
  item.enabled = true;
  EXPECT_EQ(Json(item), "{\"ID\":\"5\", \"Name\":\"cam \\\"1\\\"\", \"Enabled\":\"1\"}");

  item.targets = {{"http://a/b", 80}, {"x", 1}};
  EXPECT_EQ(Json(item),
            "{\"ID\":\"5\", \"Name\":\"cam \\\"1\\\"\", \"Enabled\":\"1\", \"TargetSites\":"
            "[{\"Url\":\"http:\\/\\/a\\/b\", \"Port\":\"80\"}, {\"Url\":\"x\", \"Port\":\"1\"}]}");

  TestItems list;
  EXPECT_EQ(Json(list), "");  // an empty list is the empty text
  list.Resize(2);
  list.items[1]->id = 2;
  EXPECT_EQ(Json(list),
            "[{\"ID\":\"0\", \"Name\":\"\", \"Enabled\":\"0\"}, {\"ID\":\"2\", \"Name\":\"\", \"Enabled\":\"0\"}]");

  CSerializationInfo bare;
  bare.SetName("Bare");
  EXPECT_EQ(Json(bare), "{}");
}

TEST(JsonWriterTest, MapWriterSeparatesWithACommaOnly) {
  std::string out = "stale";
  EXPECT_TRUE(CJsonSerializer::SerializeMap({}, &out));
  EXPECT_EQ(out, "{}");
  EXPECT_TRUE(CJsonSerializer::SerializeMap({{"b", "2"}, {"a", "x\"y"}, {"id", "u"}}, &out));
  EXPECT_EQ(out, "{\"a\":\"x\\\"y\",\"b\":\"2\",\"id\":\"u\"}");
}

// Trees that a record or a round trip through the reader can build, each of
// which must still come out as strict JSON.
std::vector<std::string> OddTrees() {
  std::vector<std::string> texts;
  auto add = [&](const CSerializationInfo& node) { texts.push_back(Json(node)); };
  {
    CSerializationInfo n;  // every byte value in a value, and in a name
    std::string all;
    for (int i = 1; i < 256; ++i) all.push_back(static_cast<char>(i));
    n.AddValue("bytes", all);
    n.AddValue(all, "name");
    n.AddValue("korean", "\xB0\xA1\xB3\xAA \xEA\xB0\x80");
    add(n);
  }
  {
    CSerializationInfo n;  // empty child after values, empty element inside a list
    n.AddValue("a", "1");
    n.GetOrAddChild()->SetName("nothing");
    CSerializationInfo* list = n.GetOrAddChild()->AppendSibling();
    list->SetName("L");
    list->SetArray(true);
    list->GetOrAddChild()->AppendSibling()->AddValue("y", "1");
    list->GetOrAddChild()->AppendSibling();
    add(n);
  }
  {
    CSerializationInfo n;  // a list inside a list, a list node with values of its own
    n.SetArray(true);
    CSerializationInfo* inner = n.GetOrAddChild();
    inner->SetName("Inner");
    inner->SetArray(true);
    inner->GetOrAddChild()->AddValue("z", "1");
    CSerializationInfo* odd = inner->AppendSibling();
    odd->SetArray(true);
    odd->AddValue("v", "1");
    odd->GetOrAddChild()->AddValue("w", "2");
    add(n);
  }
  {
    CSerializationInfo n;  // a root of children only, the first of them empty
    n.GetOrAddChild()->AppendSibling()->AddValue("a", "\"");
    add(n);
  }
  return texts;
}

TEST(JsonWriterTest, EveryTextParsesWithAStrictParser) {
  std::vector<std::string> texts = OddTrees();
  TestItem item;
  item.name = "tab\tline\r\nnull-free \x01\x1f\x7f end\\";
  item.targets = {{"\xC7\xD1\xB1\xDB", 1}};
  texts.push_back(Json(item));

  TempDir dir;
  std::string file = dir.Join("texts");
  std::string all;
  for (const std::string& t : texts) all += t + "\n";
  ASSERT_TRUE(WriteTestFile(file, all));
  // Bytes are read one-to-one as characters: what must hold is the structure.
  std::string command = "python3 -c \"import json,sys\n"
                        "for line in open(sys.argv[1], 'rb').read().split(b'\\\\n')[:-1]:\n"
                        "    json.loads(line.decode('latin-1'))\" " + file;
  EXPECT_EQ(system(command.c_str()), 0) << all;

  // Each reads back through the system's own reader as well.
  for (const std::string& t : texts) {
    if (!t.empty()) {
      EXPECT_TRUE(CJsonSerializer::Deserialize(t, nullptr)) << t;
    }
  }
}

TEST(JsonReaderTest, BuildsTheTreeInNameOrderWithLowerCaseValueNames) {
  EXPECT_EQ(Tree("{\"b\": 1, \"a\": 2}"), "{a=2;b=1;}");
  EXPECT_EQ(Tree("{\"TargetUrl\": \"u\", \"Nested\": {\"Inner\": true}}"), "{targeturl=u;}[Nested{inner=1;}]");
  EXPECT_EQ(Tree("{\"n\": 5, \"s\": \"5\", \"t\": true, \"f\": false}"), "{f=0;n=5;s=5;t=1;}");
  EXPECT_EQ(Tree("{\"x\": null, \"a\": [1, {\"k\": 2}, []]}"), "{}[a{=1;}[{k=2;}{}]x{}]");
  EXPECT_EQ(Tree("{\"big\": 18446744073709551615, \"neg\": -9223372036854775808, \"r\": 0.1, \"e\": 1e300}"),
            "{big=18446744073709551615;e=1.00000000000000005e+300;neg=-9223372036854775808;r=0.100000000000000006;}");
  EXPECT_EQ(Tree("{\"esc\": \"q\\\" b\\\\ s\\/ t\\t n\\n u\\u00e9\"}"), "{esc=q\" b\\ s/ t\t n\n u\xC3\xA9;}");
  EXPECT_EQ(Tree("/* comment */ {\"a\": 1 // trailing\n}"), "{a=1;}");
  EXPECT_EQ(Tree("[1, 2]"), "{=1;=2;}");
  EXPECT_EQ(Tree("7"), "{}");
}

TEST(JsonReaderTest, RecordsRoundTrip) {
  TestItems list;
  list.Resize(3);
  list.items[0]->id = 1;
  list.items[0]->name = "a/b \"c\" \\ \t\r\n";
  list.items[0]->enabled = true;
  list.items[0]->targets = {{"http://x", 80}, {"https://y", 443}};
  list.items[2]->id = 3;
  TestItems back;
  ASSERT_TRUE(CJsonSerializer::Deserialize(Json(list), &back));
  ASSERT_EQ(back.items.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_TRUE(*back.items[i] == *list.items[i]) << i;
}

TEST(JsonReaderTest, BadTextIsLoggedAndLeavesTheTarget) {
  ProcessLogCapture log;
  TestItem item;
  item.id = 9;
  EXPECT_FALSE(CJsonSerializer::Deserialize("{\"ID\": ", &item));
  EXPECT_EQ(item.id, 9);
  std::string text = log.Text();
  EXPECT_EQ(text.rfind("ERROR - Error rarised when parse json data.(* Line 1, Column 8\r\n", 0), 0u) << text;

  std::map<std::string, std::string> map{{"k", "v"}};
  EXPECT_FALSE(CJsonSerializer::Deserialize("not json", &map));
  EXPECT_EQ(map.size(), 1u);
  CSerializationInfo node;
  EXPECT_FALSE(CJsonSerializer::Deserialize("[1,", &node));
  EXPECT_EQ(node.GetFirstChild(), nullptr);
  EXPECT_FALSE(CJsonSerializer::Deserialize("", nullptr));
  EXPECT_TRUE(CJsonSerializer::Deserialize("[]", nullptr));

  // Nesting beyond the parser's limit fails cleanly.
  EXPECT_FALSE(CJsonSerializer::Deserialize(std::string(100000, '['), &item));
}

// Empty or nested brackets cost the reader a hundred times their bytes: a
// text with more objects and arrays than 65,536 plus one per 32 bytes is
// refused before it is parsed. Real texts, and brackets inside strings, pass.
TEST(JsonReaderTest, TextsDenseInObjectsAndArraysAreRefused) {
  std::string dense = "[";
  for (int i = 0; i < 100000; ++i) dense += "[],";
  dense += "[]]";
  ProcessLogCapture log;
  EXPECT_FALSE(CJsonSerializer::Deserialize(dense, nullptr));
  EXPECT_EQ(log.Text(),
            "ERROR - Error rarised when parse json data.(too many objects and arrays for its size)\r\n");

  std::string records = "[";
  for (int i = 0; i < 100000; ++i) records += "{\"ID\":\"" + std::to_string(i) + "\",\"Name\":\"camera\"},";
  records += "{}]";
  CSerializationInfo node;
  EXPECT_TRUE(CJsonSerializer::Deserialize(records, &node));
  EXPECT_TRUE(CJsonSerializer::Deserialize("[\"" + std::string(200000, '[') + "\\\"[\"]", nullptr));
}

TEST(JsonReaderTest, MapReaderTakesTheRootsScalarMembers) {
  std::map<std::string, std::string> map{{"old", "x"}};
  EXPECT_TRUE(CJsonSerializer::Deserialize("{\"Id\": \"u\", \"n\": 2, \"o\": {\"a\": 1}, \"l\": [1]}", &map));
  EXPECT_EQ(map, (std::map<std::string, std::string>{{"Id", "u"}, {"l", ""}, {"n", "2"}, {"o", ""}}));
  for (const char* root : {"[1, 2]", "5", "null"}) {
    EXPECT_TRUE(CJsonSerializer::Deserialize(root, &map)) << root;
    EXPECT_TRUE(map.empty()) << root;
  }
}

// A node of many values, its room made ahead: every name finds its first
// value ("ID" sorts before "id", both lower-cased to "id").
TEST(JsonReaderTest, ObjectsOfManyMembersAreLookedUpByTheirFirstValue) {
  std::string json = "{\"id\": 2, ";
  for (int i = 99; i >= 0; --i) json += "\"m" + std::to_string(i) + "\": " + std::to_string(i) + ", ";
  json += "\"ID\": 1}";
  CSerializationInfo node;
  ASSERT_TRUE(CJsonSerializer::Deserialize(json, &node));
  ASSERT_EQ(node.GetValueCount(), 102);
  EXPECT_EQ(node.GetValue("id"), "1");
  EXPECT_EQ(node.GetValueAt(node.IndexOf("id") + 1), "2");
  for (int i = 0; i < 100; ++i) EXPECT_EQ(node.GetInt("m" + std::to_string(i)), i) << i;
  EXPECT_EQ(node.IndexOf("m100"), -1);
}

TEST(JsonReaderTest, NodeReaderPutsEachArrayRecordInTheChain) {
  CSerializationInfo node;
  ASSERT_TRUE(CJsonSerializer::Deserialize("[{\"ID\": 1}, {\"ID\": 2, \"Sub\": {\"x\": 1}}]", &node));
  TreeCopy copy;
  copy.Append(&node);
  EXPECT_EQ(copy.text, "{}[{id=1;}{id=2;}[Sub{x=1;}]]");

  CSerializationInfo object;
  ASSERT_TRUE(CJsonSerializer::Deserialize("{\"a\": {\"x\": 1}, \"b\": 2, \"c\": {\"y\": 2}}", &object));
  copy.Append(&object);
  copy.text.clear();
  copy.Append(&object);
  EXPECT_EQ(copy.text, "{x=1;b=2;}{y=2;}");
}

}  // namespace
