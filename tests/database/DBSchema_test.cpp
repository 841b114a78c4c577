// The schema model: case-blind look-ups, columns read from SHOW COLUMNS rows,
// and the schema of a real table read through the client.
#include "database/DBSchema.h"

#include <gtest/gtest.h>

#include "database/DatabaseFixture.h"
#include "database/MariaDB.h"
#include "foundation/JsonSerializer.h"
#include "foundation/XmlSerializer.h"

namespace {

// A row with the given column names and values, as a result reader makes it.
struct Row {
  ColumnIndex index;
  ResultRow values;
  Row(std::initializer_list<std::pair<const char*, const char*>> cells) {
    for (auto& cell : cells) {
      index[cell.first] = static_cast<int>(values.size());
      values.push_back(cell.second);
    }
  }
};

void AddColumn(CDBTableSchema* table, Row row) {
  CKeyValueData view(&row.index, &row.values);
  table->AddColumn(view);
}

TEST(DBSchema, LooksTablesAndColumnsUpWithoutRegardToCase) {
  CDBSchema schema;
  CDBTableSchema* table = schema.AddTable("TBL_Camera");
  AddColumn(table, Row{{"field", "IsDeleted"}, {"type", "tinyint(4)"}});
  EXPECT_TRUE(schema.HasTable("TBL_CAMERA"));
  EXPECT_TRUE(schema.HasTable("tbl_camera"));
  EXPECT_FALSE(schema.HasTable("TBL_Cameras"));
  ASSERT_EQ(schema.FindTable("TBL_CAMERA"), table);
  EXPECT_EQ(table->GetName(), "TBL_Camera");
  EXPECT_TRUE(table->HasColumn("IsDeleted"));
  EXPECT_TRUE(table->HasColumn("isdeleted"));
  EXPECT_TRUE(schema.HasColumn("tbl_CAMERA", "ISDELETED"));
  EXPECT_FALSE(schema.HasColumn("TBL_Zav", "IsDeleted"));
  CDBColumnSchema column;
  ASSERT_TRUE(table->GetColumn("ISDELETED", &column));
  EXPECT_EQ(column.GetField(), "IsDeleted");
  EXPECT_EQ(column.GetType(), "tinyint(4)");
}

TEST(DBSchema, ReadsColumnFlagsFromShowColumnsRows) {
  struct Case {
    const char* what;
    Row row;
    int nullable, primary, auto_increment;
  };
  const Case cases[] = {
      {"key column", Row{{"field", "ID"}, {"null", "NO"}, {"key", "PRI"}, {"extra", "auto_increment"}}, 0, 1, 1},
      {"plain column", Row{{"field", "Name"}, {"null", "YES"}, {"key", ""}, {"extra", ""}}, 1, 0, 0},
      {"letters of any case", Row{{"field", "A"}, {"null", "yes"}, {"key", "pri"}, {"extra", ""}}, 1, 1, 0},
      {"extra in capitals", Row{{"field", "B"}, {"null", "NO"}, {"key", "MUL"}, {"extra", "AUTO_INCREMENT"}}, 0, 0, 0},
      {"no flag columns", Row{{"field", "C"}}, 1, 0, 0},
      {"flags as numbers", Row{{"field", "D"}, {"isnullable", "0"}, {"isprimary", "1"}, {"isautoincrement", "1"}}, 0, 1, 1},
      {"empty numbers", Row{{"field", "E"}, {"isnullable", ""}, {"isprimary", ""}, {"isautoincrement", ""}}, 0, 0, 0},
      {"text beats number", Row{{"field", "F"}, {"null", "NO"}, {"isnullable", "1"}}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    CDBTableSchema table("T");
    AddColumn(&table, c.row);
    CDBColumnSchema column;
    ASSERT_TRUE(table.GetColumn(c.row.values[0], &column)) << c.what;
    EXPECT_EQ(column.GetNullable(), c.nullable) << c.what;
    EXPECT_EQ(column.GetPrimary(), c.primary) << c.what;
    EXPECT_EQ(column.GetAutoIncrement(), c.auto_increment) << c.what;
  }
}

TEST(DBSchema, AddingATableAgainEmptiesIt) {
  CDBSchema schema;
  AddColumn(schema.AddTable("TBL_Zav"), Row{{"field", "ZavID"}});
  CDBTableSchema* again = schema.AddTable("tbl_zav");
  EXPECT_FALSE(again->HasColumn("ZavID"));
  EXPECT_EQ(again->GetName(), "tbl_zav");
  EXPECT_EQ(schema.GetTableNames(), std::vector<std::string>{"tbl_zav"});
  schema.Clear();
  EXPECT_FALSE(schema.HasTable("TBL_Zav"));
}

TEST(DBSchema, ACopiedSchemaOutlivesItsSource) {
  CDBSchema copy;
  {
    CDBSchema source;
    source.SetAdapterType("MARIADB");
    source.SetName("gate");
    AddColumn(source.AddTable("TBL_Zav"), Row{{"field", "ZavID"}, {"key", "PRI"}});
    copy.CopyFrom(source);
  }
  EXPECT_EQ(copy.GetAdapterType(), "MARIADB");
  EXPECT_EQ(copy.GetName(), "gate");
  ASSERT_TRUE(copy.HasColumn("tbl_zav", "zavid"));
  EXPECT_EQ(copy.FindTable("TBL_ZAV")->GetName(), "TBL_Zav");
}

TEST(DBSchema, ColumnOrderKeepsAdditionsAndCopiesAreIndependent) {
  CDBTableSchema table("T");
  AddColumn(&table, Row{{"field", "Zeta"}});
  AddColumn(&table, Row{{"field", "Alpha"}, {"type", "int"}});
  AddColumn(&table, Row{{"field", "ZETA"}, {"type", "text"}});  // replaces, listed twice
  EXPECT_EQ(table.GetColumnOrder(), (std::list<std::string>{"zeta", "alpha", "zeta"}));
  CDBColumnSchema column;
  ASSERT_TRUE(table.GetColumn("zeta", &column));
  EXPECT_EQ(column.GetField(), "ZETA");

  CDBTableSchema copy(table);
  table.ClearColumns();
  table.SetName("Other");
  EXPECT_EQ(copy.GetName(), "T");
  EXPECT_TRUE(copy.HasColumn("alpha"));
  EXPECT_EQ(copy.GetColumnOrder().size(), 3u);
}

// A schema of two tables whose columns were added out of byte order.
void FillSample(CDBSchema* schema) {
  schema->SetAdapterType("MARIADB");
  schema->SetName("gate");
  CDBTableSchema* camera = schema->AddTable("TBL_Camera");
  AddColumn(camera, Row{{"field", "Zoom"}, {"type", "int(11)"}, {"null", "YES"}});
  AddColumn(camera, Row{{"field", "CameraID"}, {"type", "int(11)"}, {"null", "NO"}, {"key", "PRI"},
                        {"extra", "auto_increment"}});
  AddColumn(camera, Row{{"field", "Name"}, {"type", "varchar(64) \"quoted\" <&>"}});
  schema->AddTable("TBL_Empty");
}

void ExpectSample(const CDBSchema& schema) {
  EXPECT_EQ(schema.GetAdapterType(), "MARIADB");
  EXPECT_EQ(schema.GetName(), "gate");
  EXPECT_EQ(schema.GetTableNames(), (std::vector<std::string>{"TBL_Camera", "TBL_Empty"}));
  const CDBTableSchema* camera = schema.FindTable("tbl_camera");
  ASSERT_NE(camera, nullptr);
  // Read back in the byte order of the lower-case names.
  EXPECT_EQ(camera->GetColumnOrder(), (std::list<std::string>{"cameraid", "name", "zoom"}));
  CDBColumnSchema id, name, zoom;
  ASSERT_TRUE(camera->GetColumn("CameraID", &id));
  ASSERT_TRUE(camera->GetColumn("Name", &name));
  ASSERT_TRUE(camera->GetColumn("Zoom", &zoom));
  EXPECT_EQ(id.GetField(), "CameraID");
  EXPECT_EQ((std::vector<int>{id.GetNullable(), id.GetPrimary(), id.GetAutoIncrement()}), (std::vector<int>{0, 1, 1}));
  EXPECT_EQ(name.GetType(), "varchar(64) \"quoted\" <&>");
  EXPECT_EQ((std::vector<int>{zoom.GetNullable(), zoom.GetPrimary(), zoom.GetAutoIncrement()}), (std::vector<int>{1, 0, 0}));
  EXPECT_TRUE(schema.FindTable("TBL_EMPTY")->GetColumnOrder().empty());
}

TEST(DBSchema, RoundTripsThroughTheJsonAndXmlTextForms) {
  CDBSchema schema;
  FillSample(&schema);

  CSerializationInfo root;
  schema.Serialize(root);
  std::string json;
  ASSERT_TRUE(CJsonSerializer::Serialize(root, &json));
  CDBSchema from_json;
  ASSERT_TRUE(CJsonSerializer::Deserialize(json, &from_json)) << json;
  ExpectSample(from_json);

  std::string xml = CXmlSerializer::ToXml(schema);
  CDBSchema from_xml;
  ASSERT_TRUE(CXmlSerializer::FromXml(xml, &from_xml)) << xml;
  ExpectSample(from_xml);
}

TEST(DBSchema, SerialisedNodesFollowTheRecordPattern) {
  CDBSchema schema;
  FillSample(&schema);
  CSerializationInfo root;
  schema.Serialize(root);
  EXPECT_EQ(root.GetName(), "DBSchema");
  EXPECT_EQ(root.GetOrderedValues(),
            (std::vector<CSerializationInfo::Value>{{"adaptertype", "MARIADB"}, {"name", "gate"}}));
  const CSerializationInfo* tables = root.GetFirstChild();
  ASSERT_NE(tables, nullptr);
  EXPECT_EQ(tables->GetName(), "DBTables");
  EXPECT_TRUE(tables->IsArray());
  const CSerializationInfo* camera = tables->GetFirstChild();
  ASSERT_NE(camera, nullptr);
  EXPECT_EQ(camera->GetName(), "DBTableSchema");
  EXPECT_EQ(camera->GetValue("name"), "TBL_Camera");
  const CSerializationInfo* first_column = camera->GetFirstChild()->GetFirstChild();
  ASSERT_NE(first_column, nullptr);
  EXPECT_EQ(first_column->GetOrderedValues(),
            (std::vector<CSerializationInfo::Value>{{"field", "CameraID"}, {"type", "int(11)"}, {"isnullable", "0"},
                                                    {"isprimary", "1"}, {"isautoincrement", "1"}}));
  const CSerializationInfo* empty = camera->GetNextSibling();
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(empty->GetFirstChild()->GetName(), "DBColumns");
  EXPECT_EQ(empty->GetFirstChild()->GetFirstChild(), nullptr);

  // A node whose first child has another name gives no tables.
  CSerializationInfo other;
  other.AddValue("name", "kept");
  other.GetOrAddChild()->SetName("Tables");
  schema.Deserialize(other);
  EXPECT_TRUE(schema.GetTableNames().empty());
  EXPECT_EQ(schema.GetName(), "kept");
  EXPECT_EQ(schema.GetAdapterType(), "MARIADB");  // absent: kept
}

class DBSchemaServerTest : public DatabaseTest {};

TEST_F(DBSchemaServerTest, ColumnsOfARealTable) {
  ASSERT_TRUE(raw_.Run(
      "CREATE TABLE TBL_Camera (CameraID INT NOT NULL AUTO_INCREMENT PRIMARY KEY, "
      "CameraName VARCHAR(64) NULL, IsDeleted TINYINT NOT NULL DEFAULT 0)"));
  CMariaDB client;
  ASSERT_TRUE(client.Connect(db_.host, static_cast<int>(db_.port), db_.user, db_.password, database_));
  ASSERT_TRUE(client.Execute("SHOW COLUMNS FROM TBL_Camera"));
  ColumnIndex index;
  ResultRows rows;
  ASSERT_TRUE(client.FetchRowsByName(&index, &rows));
  CDBSchema schema;
  CDBTableSchema* table = schema.AddTable("TBL_Camera");
  table->AddColumns(index, rows);
  EXPECT_EQ(table->GetColumnOrder(), (std::list<std::string>{"cameraid", "cameraname", "isdeleted"}));
  CDBColumnSchema id, name, deleted;
  ASSERT_TRUE(table->GetColumn("CAMERAID", &id));
  ASSERT_TRUE(table->GetColumn("cameraname", &name));
  ASSERT_TRUE(table->GetColumn("IsDeleted", &deleted));
  EXPECT_EQ(id.GetField(), "CameraID");
  EXPECT_EQ(id.GetType(), "int(11)");
  EXPECT_EQ((std::vector<int>{id.GetNullable(), id.GetPrimary(), id.GetAutoIncrement()}),
            (std::vector<int>{0, 1, 1}));
  EXPECT_EQ((std::vector<int>{name.GetNullable(), name.GetPrimary(), name.GetAutoIncrement()}),
            (std::vector<int>{1, 0, 0}));
  EXPECT_EQ(deleted.GetType(), "tinyint(4)");
  EXPECT_EQ(deleted.GetNullable(), 0);
}

}  // namespace
