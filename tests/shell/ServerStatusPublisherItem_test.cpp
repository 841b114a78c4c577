// The server status publisher's target record and list: its JSON form, how
// it reads back, and list equality and lookup.
#include "shell/ServerStatusPublisherItem.h"

#include <gtest/gtest.h>

#include "foundation/JsonSerializer.h"
#include "foundation/StringUtil.h"

namespace {

CServerStatusPublisherItem Target(int id, const std::string& url) {
  CServerStatusPublisherItem item;
  item.SetID(id);
  item.SetTargetUrl(url);
  return item;
}

TEST(ServerStatusPublisherItemTest, WritesItsEightKeysWithPeriodLastAndReadsBackEqual) {
  CServerStatusPublisherItem item = Target(12, "http://status/in");
  item.SetServerKind(1);
  item.SetPeriod(30);
  item.SetTargetUseSecureSession(true);
  item.SetTargetLoginID("st");
  item.SetTargetPassword(EncipherJobPassword("pw"));
  CSerializationInfo node;
  item.Serialize(node);
  std::string json;
  ASSERT_TRUE(CJsonSerializer::Serialize(node, &json));
  EXPECT_EQ(json, "{\"ID\":\"12\", \"ServerKind\":\"1\", \"TargetUrl\":\"http:\\/\\/status\\/in\", "
                  "\"TargetLoginID\":\"st\", \"TargetPassword\":\"" +
                      JsonEscape(EncipherJobPassword("pw")) +
                      "\", \"TargetAuthMethod\":\"0\", \"TargetUseSecureSession\":\"1\", \"Period\":\"30\"}");
  CServerStatusPublisherItem back;
  ASSERT_TRUE(CJsonSerializer::Deserialize(json, &back));
  EXPECT_TRUE(back == item);
  EXPECT_EQ(back.GetTargetPasswordPlain(), "pw");
}

TEST(ServerStatusPublisherItemTest, MissingOrOddValuesReadAsDefaults) {
  struct Case {
    const char* json;
    int period;
    bool secure;
  } cases[] = {
      {"{\"ID\":\"3\", \"TargetUseSecureSession\":\"1\"}", 0, true},
      {"{\"ID\":\"3\", \"TargetUseSecureSession\":\"true\", \"Period\":\"30\"}", 30, false},
      {"{\"ID\":\"3\", \"targetusesecuresession\":\"01\", \"PERIOD\":\"x9\"}", 0, false},
  };
  for (const Case& c : cases) {
    CServerStatusPublisherItem item = Target(77, "kept?");
    item.SetPeriod(55);
    ASSERT_TRUE(CJsonSerializer::Deserialize(c.json, &item)) << c.json;
    EXPECT_EQ(item.GetID(), 3);
    EXPECT_EQ(item.GetPeriod(), c.period) << c.json;
    EXPECT_EQ(item.GetTargetUseSecureSession(), c.secure) << c.json;
    EXPECT_EQ(item.GetTargetUrl(), "") << "every field is assigned";
  }
}

TEST(ServerStatusPublisherItemTest, ListsCompareInOrderAndFindByIdGivesADefaultWhenMissing) {
  CServerStatusPublisherItems ab, ba;
  ab.SetItems({Target(1, "a"), Target(2, "b")});
  ba.SetItems({Target(2, "b"), Target(1, "a")});
  EXPECT_FALSE(ab.IsEqual(ba));
  EXPECT_TRUE(ab.IsEqual(ab));
  EXPECT_TRUE(CServerStatusPublisherItems().IsEqual(CServerStatusPublisherItems()));
  EXPECT_EQ(ab.FindByID(2).GetTargetUrl(), "b");
  CServerStatusPublisherItem missing = ab.FindByID(9);
  EXPECT_EQ(missing.GetID(), 0);
  EXPECT_EQ(missing.GetTargetUrl(), "");
  EXPECT_EQ(missing.GetServerKind(), 0);
}

}  // namespace
