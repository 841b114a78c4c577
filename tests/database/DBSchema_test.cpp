// The schema model: case-blind look-ups, columns read from SHOW COLUMNS rows,
// and the schema of a real table read through the client.
#include "database/DBSchema.h"

#include <gtest/gtest.h>

#include "database/DatabaseFixture.h"
#include "database/MariaDB.h"

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
