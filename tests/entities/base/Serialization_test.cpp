// Rows as serialisable records, through the tree and its JSON and XML forms.
#include <gtest/gtest.h>

#include "TestRows.h"
#include "foundation/JsonSerializer.h"
#include "foundation/SerializationInfo.h"
#include "foundation/XmlSerializer.h"

namespace {

TEST(RowSerialization, WritesTheTableNameAndEveryNonEmptyColumn) {
  CTestStorage row;
  row.SetStorageName("nas");
  row.SetUsedBytes(18446744073709551615ull);
  CSerializationInfo node;
  row.Serialize(node);
  EXPECT_STREQ(row.GetTypeName(), "TBL_TestStorage");
  EXPECT_EQ(node.GetName(), "TBL_TestStorage");
  std::vector<CSerializationInfo::Value> expected = {
      {"StorageID", "0"}, {"ZavID", "0"},      {"StorageName", "nas"}, {"IsDeleted", "0"},
      {"Capacity", "0"},  {"UsedBytes", "18446744073709551615"},      {"Ratio", "0"},
      {"Latitude", "0"},  {"web_port", "554"},
  };
  EXPECT_EQ(node.GetOrderedValues(), expected);  // empty texts left out, numbers always written
}

TEST(RowSerialization, ReadsLowerCaseNamesAndKeepsWhatTheNodeLacks) {
  CTestStorage row;
  row.SetStorageName("kept");
  row.SetZavID(7);
  CSerializationInfo node;
  node.AddValue("web_port", "");          // empty gives 0
  node.AddValue("Capacity", "5");         // mixed case: not found
  node.AddValue("latitude", "12.5");
  node.AddValue("notacolumn", "1");       // ignored
  node.AddValue("latitude", "99");        // only the first value of a name counts
  row.ClearChanges();
  row.Deserialize(node);
  EXPECT_EQ(row.GetWebPort(), 0);
  EXPECT_EQ(row.GetCapacity(), 0u);
  EXPECT_DOUBLE_EQ(row.GetLatitude(), 12.5);
  EXPECT_EQ(row.GetStorageName(), "kept");
  EXPECT_EQ(row.GetZavID(), 7);
  EXPECT_FALSE(row.HasChanges());
}

TEST(RowSerialization, SurvivesTheJsonForm) {
  CTestStorage row;
  row.SetStorageName("it's \"quoted\" C:\\dir");
  row.SetLatitude(0.1);
  row.SetDateTimeAdded("2024-02-29 23:59:58");
  CSerializationInfo node;
  row.Serialize(node);
  std::string json;
  ASSERT_TRUE(CJsonSerializer::Serialize(node, &json));
  CTestStorage read;
  ASSERT_TRUE(CJsonSerializer::Deserialize(json, &read)) << json;
  EXPECT_EQ(read.GetColumnValues(), row.GetColumnValues());
}

TEST(RowSerialization, SurvivesTheXmlForm) {
  CTestStorage row;
  row.SetStorageName("<nas> & 'co'");
  row.SetCapacity(4294967295u);
  CTestStorage read;
  ASSERT_TRUE(CXmlSerializer::FromXml(CXmlSerializer::ToXml(row), &read));
  EXPECT_EQ(read.GetColumnValues(), row.GetColumnValues());
}

}  // namespace
