#include "foundation/SerializationInfo.h"

#include <limits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

TEST(SerializationInfoTest, AbsentNamesGiveTheDefaults) {
  CSerializationInfo node;
  EXPECT_EQ(node.IndexOf("x"), -1);
  EXPECT_EQ(node.GetValue("x"), "");
  EXPECT_EQ(node.GetValue("x", "fallback"), "fallback");
  EXPECT_EQ(node.GetInt("x"), 0);
  EXPECT_EQ(node.GetInt64("x"), 0);
  EXPECT_FALSE(node.GetBool("x"));
  EXPECT_EQ(node.GetFloat("x"), 0.0);
  EXPECT_EQ(node.GetFloat("x", 2.5), 2.5);
  EXPECT_EQ(node.GetValueAt(0), "");
}

TEST(SerializationInfoTest, ValuesKeepTheirOrderAndTheFirstOfANameWins) {
  CSerializationInfo node;
  node.AddValue("ID", "5");
  node.AddValue("Name", "a");
  node.AddValue("ID", "6");
  node.AddValue("Empty", "");
  EXPECT_EQ(node.GetInt("ID"), 5);
  EXPECT_EQ(node.GetInt("id"), 0);  // names are case-sensitive
  EXPECT_EQ(node.IndexOf("Empty"), 3);
  EXPECT_EQ(node.GetValue("Empty"), "");
  EXPECT_EQ(node.GetInt("Empty"), 0);
  EXPECT_EQ(node.GetValue("Empty", "fallback"), "");  // present, so not the fallback
  EXPECT_EQ(node.GetValueAt(node.IndexOf("Name")), "a");
  EXPECT_EQ(node.GetOrderedValues(), (std::vector<CSerializationInfo::Value>{
                                         {"ID", "5"}, {"Name", "a"}, {"ID", "6"}, {"Empty", ""}}));
}

TEST(SerializationInfoTest, LargeNodesFindTheFirstValueOfEachName) {
  // Past a handful of values the node keeps an index; the answers stay the same.
  CSerializationInfo node;
  for (int i = 0; i < 60; ++i) node.AddInt("n" + std::to_string(i % 25), i);
  EXPECT_EQ(node.IndexOf("n3"), 3);
  EXPECT_EQ(node.GetInt("n24"), 24);
  EXPECT_EQ(node.GetInt("n10"), 10);
  EXPECT_EQ(node.IndexOf("n25"), -1);
  node.AddValue("late", "x");
  node.AddValue("n3", "again");
  EXPECT_EQ(node.IndexOf("late"), 60);
  EXPECT_EQ(node.GetValue("n3"), "3");
  EXPECT_EQ(node.GetValueCount(), 62);
}

TEST(SerializationInfoTest, IndexStaysRightAsANodeGrows) {
  // Each name twice, the second time far later: every lookup, at every size
  // the index is rebuilt at, finds the first.
  CSerializationInfo node;
  for (int i = 0; i < 5000; ++i) {
    node.AddInt("v" + std::to_string(i), i);
    if (i % 2) node.AddInt("v" + std::to_string(i / 2), -1);
    if ((i & (i - 1)) == 0) {
      for (int k = 0; k <= i; ++k) ASSERT_EQ(node.GetInt("v" + std::to_string(k)), k) << i;
    }
  }
  EXPECT_EQ(node.IndexOf("v5000"), -1);
  EXPECT_EQ(node.IndexOf(""), -1);
}

TEST(SerializationInfoTest, NumbersAreWrittenInTheirFixedFormats) {
  CSerializationInfo node;
  node.AddInt("i", -5);
  node.AddUInt("u", 4294967295u);
  node.AddInt64("l", std::numeric_limits<int64_t>::min());
  node.AddDouble("d", 1.5);
  node.AddFloat("f", 0.1f);
  node.AddFloat("g", 1e20f);
  node.SetLoopCount(7);
  EXPECT_EQ(node.GetOrderedValues(), (std::vector<CSerializationInfo::Value>{
                                         {"i", "-5"},
                                         {"u", "4294967295"},
                                         {"l", "-9223372036854775808"},
                                         {"d", "1.500000"},
                                         {"f", "0.1"},
                                         {"g", "1e+20"},
                                         {"LoopCount", "7"}}));
}

TEST(SerializationInfoTest, ReadsLeadingNumbers) {
  struct Case {
    const char* text;
    int32_t as_int;
    int64_t as_int64;
    double as_float;
    bool as_bool;
  };
  const Case cases[] = {
      {"1", 1, 1, 1, true},
      {"12abc", 12, 12, 12, false},
      {"abc", 0, 0, 0, false},
      {"", 0, 0, 0, false},
      {" 1", 1, 1, 1, false},  // a leading blank: a number, but not true
      {"01", 1, 1, 1, false},
      {"true", 0, 0, 0, false},
      {"-7", -7, -7, -7, false},
      {"+7", 7, 7, 7, false},
      {"4294967295", 2147483647, 4294967295LL, 4294967295.0, false},
      {"-2147483649", -2147483647 - 1, -2147483649LL, -2147483649.0, false},
      {"99999999999999999999", 2147483647, std::numeric_limits<int64_t>::max(), 1e20, false},
      {"-99999999999999999999", -2147483647 - 1, std::numeric_limits<int64_t>::min(), -1e20, false},
      {"1.5e3x", 1, 1, 1500, false},
      {"1e999", 1, 1, std::numeric_limits<double>::infinity(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CSerializationInfo node;
    node.AddValue("v", c.text);
    EXPECT_EQ(node.GetInt("v"), c.as_int);
    EXPECT_EQ(node.GetInt64("v"), c.as_int64);
    EXPECT_EQ(node.GetFloat("v", 99), c.as_float);
    EXPECT_EQ(node.GetBool("v"), c.as_bool);
  }
}

std::vector<CSerializationInfo*> Chain(CSerializationInfo* first) {
  std::vector<CSerializationInfo*> nodes;
  for (CSerializationInfo* n = first; n; n = n->GetNextSibling()) {
    if (n->GetNextSibling()) {
      EXPECT_EQ(n->GetNextSibling()->GetPreviousSibling(), n);
    }
    nodes.push_back(n);
  }
  return nodes;
}

TEST(SerializationInfoTest, ChildrenAndSiblingsLinkUp) {
  CSerializationInfo root;
  CSerializationInfo* first = root.GetOrAddChild();
  EXPECT_EQ(root.GetOrAddChild(), first);
  EXPECT_EQ(first->GetParent(), &root);
  EXPECT_EQ(first->GetDepth(), 1);
  EXPECT_EQ(first->GetOrAddChild()->GetDepth(), 2);

  // Grown through the first node: call order.
  CSerializationInfo* a = first->AppendSibling();
  CSerializationInfo* b = first->AppendSibling();
  CSerializationInfo* c = first->AppendSibling();
  EXPECT_EQ(Chain(first), (std::vector<CSerializationInfo*>{first, a, b, c}));
  EXPECT_EQ(c->GetParent(), &root);
  EXPECT_EQ(c->GetDepth(), 1);
  EXPECT_EQ(first->GetPreviousSibling(), nullptr);

  // Grown through the last node: call order too.
  CSerializationInfo* d = c->AppendSibling();
  CSerializationInfo* e = d->AppendSibling();
  EXPECT_EQ(Chain(first), (std::vector<CSerializationInfo*>{first, a, b, c, d, e}));

  // Mixing the two: the first node appends after its own tail (c).
  CSerializationInfo* f = first->AppendSibling();
  EXPECT_EQ(Chain(first), (std::vector<CSerializationInfo*>{first, a, b, c, f, d, e}));
}

TEST(SerializationInfoTest, DestroyingARootFreesLongChainsWithoutRecursion) {
  // The leak checker of the test build sees anything left; a chain of this
  // length would overflow the stack if freed recursively.
  auto root = std::make_unique<CSerializationInfo>();
  CSerializationInfo* last = root->GetOrAddChild();
  for (int i = 0; i < 300000; ++i) {
    last = last->AppendSibling();
    last->AddInt("i", i);
    if (i % 1000 == 0) last->GetOrAddChild()->AppendSibling()->AddValue("x", "y");
  }
  root->AppendSibling()->GetOrAddChild();
  root.reset();
}

}  // namespace
