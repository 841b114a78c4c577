// The SQL text of the entity operations, as the server received it, and what
// the rows read back.
#include <gtest/gtest.h>

#include "database/AdapterFixture.h"
#include "database/DBSchema.h"

namespace {

using Statements = std::vector<std::string>;

class AdapterSqlTest : public AdapterTest {
 protected:
  // A camera row with a text that needs escaping.
  static CDbTestCamera Camera(const std::string& name, int zav = 3) {
    CDbTestCamera camera;
    camera.SetCameraName(name);
    camera.SetZavID(zav);
    camera.SetLatitude(1.5);
    return camera;
  }
  int AddCamera(const std::string& name, int zav = 3) {
    CDbTestCamera camera = Camera(name, zav);
    EXPECT_TRUE(adapter_->AddEntity(&camera));
    return camera.GetCameraID();
  }
};

TEST_F(AdapterSqlTest, InsertLeavesOutTheAutoKeyAndEmptyDatesAndReadsTheIdBack) {
  CDbTestCamera camera = Camera("O'Neil\\x");
  ASSERT_TRUE(adapter_->AddEntity(&camera));
  EXPECT_EQ(Sent(), Statements{"INSERT INTO TBL_DbTestCamera (`CameraName`, `ZavID`, `IsDeleted`, "
                               "`Latitude`, `Memo`) VALUES ('O\\'Neil\\\\x', 3, 0, 1.5, '')"});
  EXPECT_EQ(camera.GetCameraID(), 1);
  EXPECT_EQ(raw_.Value("SELECT CameraName FROM TBL_DbTestCamera WHERE CameraID = 1"), "O'Neil\\x");
  EXPECT_EQ(raw_.Value("SELECT DateTimeAdded IS NULL FROM TBL_DbTestCamera"), "1");

  CDbTestCamera dated = Camera("b");
  dated.SetDateTimeAdded("2024-02-29 23:59:58");
  dated.SetInstallDate("2024-02-29");
  dated.SetStartTime("07:30:00");
  ASSERT_TRUE(adapter_->AddEntity(&dated));
  EXPECT_EQ(Sent(), Statements{"INSERT INTO TBL_DbTestCamera (`CameraName`, `ZavID`, `IsDeleted`, "
                               "`Latitude`, `DateTimeAdded`, `InstallDate`, `StartTime`, `Memo`) "
                               "VALUES ('b', 3, 0, 1.5, '2024-02-29 23:59:58', '2024-02-29', "
                               "'07:30:00', '')"});
  EXPECT_EQ(dated.GetCameraID(), 2);
}

TEST_F(AdapterSqlTest, EscapedAndKoreanTextsRoundTrip) {
  const std::string texts[] = {"O'Neil\\x", "\\'", "'; DROP TABLE TBL_DbTestCamera; --",
                               "\xC7\xD1\xB1\xDB \\ '", "100%", ""};
  for (const std::string& text : texts) {
    int id = AddCamera(text);
    EntityPtr found = adapter_->FindEntity("TBL_DbTestCamera", "CameraID", id);
    ASSERT_TRUE(found) << text;
    EXPECT_EQ(static_cast<CDbTestCamera*>(found.get())->GetCameraName(), text);
  }
  EXPECT_EQ(raw_.Value("SELECT HEX(CONVERT(CameraName USING utf8mb4)) FROM TBL_DbTestCamera "
                       "WHERE CameraName LIKE '\xC7\xD1%'"),
            "ED959CEAB880205C2027");  // the server read the bytes as Korean
}

TEST_F(AdapterSqlTest, ColumnsTheTableLacksAreNotWritten) {
  ASSERT_TRUE(raw_.Run("ALTER TABLE TBL_DbTestCamera DROP COLUMN Memo, DROP COLUMN Latitude"));
  adapter_->ResetDBSchema();
  adapter_->GetDBSchema();
  Mark();
  CDbTestCamera camera = Camera("a");
  ASSERT_TRUE(adapter_->AddEntity(&camera));
  EXPECT_EQ(Sent(), Statements{"INSERT INTO TBL_DbTestCamera (`CameraName`, `ZavID`, `IsDeleted`) "
                               "VALUES ('a', 3, 0)"});
}

TEST_F(AdapterSqlTest, InsertIntoATableTheSchemaLacksSendsNothing) {
  ASSERT_TRUE(raw_.Run("DROP TABLE TBL_DbTestSetting"));
  adapter_->ResetDBSchema();
  adapter_->GetDBSchema();
  Mark();
  CDbTestSetting setting;
  EXPECT_FALSE(adapter_->AddEntity(&setting));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(AdapterSqlTest, SixtyFourBitKeysAreReadBackUpdatedAndDeletedWhole) {
  ASSERT_TRUE(raw_.Run("ALTER TABLE TBL_DbTestEvent AUTO_INCREMENT = 5000000001"));
  CDbTestEvent event;
  event.SetLabel("first");
  ASSERT_TRUE(adapter_->AddEntity(&event));
  EXPECT_EQ(event.GetEventID(), 5000000001u);
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestEvent (EventID, Label) VALUES (705032705, 'low')"));
  Mark();

  event.SetLabel("second");
  ASSERT_TRUE(adapter_->UpdateEntity(&event, static_cast<const ColumnList*>(nullptr)));
  EXPECT_EQ(Sent(), Statements{"UPDATE TBL_DbTestEvent SET `Label` = 'second' WHERE `EventID` = 5000000001"});
  // The row whose key equals the low 32 bits (705032705) is left alone.
  EXPECT_EQ(raw_.Value("SELECT Label FROM TBL_DbTestEvent WHERE EventID = 705032705"), "low");
  EXPECT_EQ(raw_.Value("SELECT Label FROM TBL_DbTestEvent WHERE EventID = 5000000001"), "second");

  ASSERT_TRUE(adapter_->DeleteEntity(&event, true));
  EXPECT_EQ(Sent(), Statements{"DELETE FROM TBL_DbTestEvent WHERE `EventID` = 5000000001"});
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestEvent"), "1");

  EntityMap64 events;
  ASSERT_TRUE(adapter_->GetEntityList("TBL_DbTestEvent", "", events));
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events.begin()->first, 705032705u);
}

TEST_F(AdapterSqlTest, UpdateWritesEveryColumnOrTheListedOnesInTheirExactCase) {
  int id = AddCamera("a");
  CDbTestCamera camera = Camera("b", 4);
  camera.SetCameraID(id);
  Mark();
  ASSERT_TRUE(adapter_->UpdateEntity(&camera, static_cast<const ColumnList*>(nullptr)));
  // The soft-delete column belongs to the delete path: a whole-row update leaves it out.
  EXPECT_EQ(Sent(), Statements{"UPDATE TBL_DbTestCamera SET `CameraName` = 'b', `ZavID` = 4, "
                               "`Latitude` = 1.5, `Memo` = '' WHERE `CameraID` = 1"});

  ColumnList only_name{"CameraName"};
  camera.SetCameraName("c");
  camera.SetZavID(5);
  ASSERT_TRUE(adapter_->UpdateEntity(&camera, &only_name));
  EXPECT_EQ(Sent(), Statements{"UPDATE TBL_DbTestCamera SET `CameraName` = 'c' WHERE `CameraID` = 1"});
  EXPECT_EQ(raw_.Value("SELECT ZavID FROM TBL_DbTestCamera"), "4");  // not in the list: kept

  ASSERT_TRUE(adapter_->UpdateEntity(&camera, "ZavID"));
  EXPECT_EQ(Sent(), Statements{"UPDATE TBL_DbTestCamera SET `ZavID` = 5 WHERE `CameraID` = 1"});

  // A list entry in another letter case matches nothing: no statement with an empty SET is sent.
  LogCapture log;
  ColumnList wrong_case{"cameraname"};
  EXPECT_FALSE(adapter_->UpdateEntity(&camera, &wrong_case));
  EXPECT_TRUE(Sent().empty());
  EXPECT_TRUE(log.Contains("[CMariaAdapter::UpdateEntityEx] ERROR - No column of 'TBL_DbTestCamera' to update."))
      << log.Text();

  // Naming the soft-delete column writes it.
  camera.SetIsDeleted(true);
  ASSERT_TRUE(adapter_->UpdateEntity(&camera, "IsDeleted"));
  EXPECT_EQ(Sent(), Statements{"UPDATE TBL_DbTestCamera SET `IsDeleted` = 1 WHERE `CameraID` = 1"});
}

// A copy read before another thread's soft delete, written back whole, must
// not bring the row back.
TEST_F(AdapterSqlTest, StaleWholeRowUpdateKeepsTheRowDeleted) {
  int id = AddCamera("a");
  EntityPtr stale = adapter_->FindEntity("TBL_DbTestCamera", "CameraID", id);
  ASSERT_TRUE(stale);
  CDbTestCamera deleted;
  deleted.SetCameraID(id);
  ASSERT_TRUE(adapter_->DeleteEntity(&deleted, false));
  static_cast<CDbTestCamera*>(stale.get())->SetCameraName("renamed");
  EXPECT_TRUE(adapter_->UpdateEntity(stale.get(), static_cast<const ColumnList*>(nullptr)));
  EXPECT_EQ(raw_.Value("SELECT CONCAT(CameraName, ':', IsDeleted) FROM TBL_DbTestCamera"), "renamed:1");
  EntityMap cameras;
  ASSERT_TRUE(adapter_->GetEntityList("TBL_DbTestCamera", cameras));
  EXPECT_TRUE(cameras.empty());
}

// The matched-row count tells the caller that its row is not in the database.
TEST_F(AdapterSqlTest, UpdateAndDeleteThatMatchNoRowFail) {
  int id = AddCamera("a");
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestLink VALUES (1, 2, 7)"));
  CDbTestCamera camera = Camera("a");
  camera.SetCameraID(id);
  EXPECT_TRUE(adapter_->UpdateEntity(&camera, static_cast<const ColumnList*>(nullptr)))
      << "a row written with its present values still matches";
  CDbTestLink stale_link;  // the cached order 0, while the database holds 7
  stale_link.SetCameraGroupNo(1);
  stale_link.SetCameraNo(2);
  CDbTestCamera missing = Camera("x");
  missing.SetCameraID(id + 100);
  Mark();
  LogCapture log;
  EXPECT_FALSE(adapter_->DeleteEntity(&stale_link, true));
  EXPECT_TRUE(log.Contains("[CMariaAdapter::DeleteEntity] ERROR - No row matched the statement (DELETE FROM "
                           "TBL_DbTestLink WHERE `camera_group_no` = 1 AND `camera_no` = 2 AND `_order_` = 0)."))
      << log.Text();
  EXPECT_FALSE(adapter_->UpdateEntity(&missing, static_cast<const ColumnList*>(nullptr)));
  EXPECT_FALSE(adapter_->DeleteEntity(&missing, false));
  EXPECT_FALSE(adapter_->DeleteEntity(&missing, true));
  EXPECT_EQ(Sent().size(), 4u);
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestLink"), "1");
  camera.SetIsDeleted(true);
  EXPECT_TRUE(adapter_->DeleteEntity(&camera, false));
  EXPECT_TRUE(adapter_->DeleteEntity(&camera, false)) << "deleting a deleted row again still matches it";
}

TEST_F(AdapterSqlTest, UpdateByTwoColumnKeyAndRowsWithoutKey) {
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestLink VALUES (1, 2, 0)"));
  CDbTestLink link;
  link.SetCameraGroupNo(1);
  link.SetCameraNo(2);
  link.SetOrder(5);
  ASSERT_TRUE(adapter_->UpdateEntity(&link, static_cast<const ColumnList*>(nullptr)));
  EXPECT_EQ(Sent(), Statements{"UPDATE TBL_DbTestLink SET `camera_group_no` = 1, `camera_no` = 2, "
                               "`_order_` = 5 WHERE `camera_group_no` = 1 AND `camera_no` = 2"});
  EXPECT_EQ(raw_.Value("SELECT _order_ FROM TBL_DbTestLink"), "5");

  CDbTestLog log_row;
  EXPECT_FALSE(adapter_->UpdateEntity(&log_row, static_cast<const ColumnList*>(nullptr)));
  EXPECT_TRUE(Sent().empty());
}

TEST_F(AdapterSqlTest, DeleteIsSoftWhereTheTableHasIsDeleted) {
  int id = AddCamera("a");
  CDbTestCamera camera;
  camera.SetCameraID(id);
  CDbTestSetting setting;
  setting.SetSettingID(9);
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestSetting VALUES (9, 'v', 1)"));
  CDbTestLog entry;
  entry.SetCode(5);
  entry.SetMessage("O'Neil\\x");
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestLog (Code, Message) VALUES (5, 'O\\'Neil\\\\x'), (6, 'x')"));
  CDbTestLink link;
  link.SetCameraGroupNo(1);
  link.SetCameraNo(2);
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestLink VALUES (1, 2, 0)"));
  Mark();

  struct Case {
    CDBEntity* row;
    bool hard;
    const char* statement;
  } cases[] = {
      {&camera, false, "UPDATE TBL_DbTestCamera SET `IsDeleted` = 1 WHERE `CameraID` = 1"},
      {&camera, true, "DELETE FROM TBL_DbTestCamera WHERE `CameraID` = 1"},
      {&setting, false, "DELETE FROM TBL_DbTestSetting WHERE `SettingID` = 9"},
      {&entry, false, "DELETE FROM TBL_DbTestLog WHERE `Code` = 5 AND `Message` = 'O\\'Neil\\\\x'"},
      {&link, true,
       "DELETE FROM TBL_DbTestLink WHERE `camera_group_no` = 1 AND `camera_no` = 2 AND `_order_` = 0"},
  };
  for (const Case& c : cases) {
    EXPECT_TRUE(adapter_->DeleteEntity(c.row, c.hard)) << c.statement;
    EXPECT_EQ(Sent(), Statements{c.statement});
  }
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestCamera"), "0");
  EXPECT_EQ(raw_.Value("SELECT COUNT(*) FROM TBL_DbTestSetting"), "0");
  EXPECT_EQ(raw_.Value("SELECT GROUP_CONCAT(Code) FROM TBL_DbTestLog"), "6");
}

TEST_F(AdapterSqlTest, ListsFilterSoftDeletedRowsOnlyWithoutAClause) {
  AddCamera("kept");
  AddCamera("deleted");
  ASSERT_TRUE(raw_.Run("INSERT INTO TBL_DbTestCamera (CameraID, CameraName, IsDeleted) VALUES (3, 'null', NULL)"));
  ASSERT_TRUE(raw_.Run("UPDATE TBL_DbTestCamera SET IsDeleted = 1 WHERE CameraID = 2"));
  Mark();

  EntityMap cameras;
  ASSERT_TRUE(adapter_->GetEntityList("TBL_DbTestCamera", cameras));
  EXPECT_EQ(Sent(), Statements{"SELECT * FROM TBL_DbTestCamera WHERE `IsDeleted` = 0 OR `IsDeleted` is NULL"});
  ASSERT_EQ(cameras.size(), 2u);
  EXPECT_EQ(static_cast<CDbTestCamera*>(cameras[1].get())->GetCameraName(), "kept");
  EXPECT_EQ(static_cast<CDbTestCamera*>(cameras[3].get())->GetCameraName(), "null");

  ASSERT_TRUE(adapter_->GetEntityList("TBL_DbTestCamera", "", cameras));
  EXPECT_EQ(Sent(), Statements{"SELECT * FROM TBL_DbTestCamera"});
  EXPECT_EQ(cameras.size(), 3u);

  ASSERT_TRUE(adapter_->GetEntityList("TBL_DbTestCamera", "WHERE CameraName LIKE '%e%' ORDER BY CameraID", cameras));
  EXPECT_EQ(Sent(), Statements{"SELECT * FROM TBL_DbTestCamera WHERE CameraName LIKE '%e%' ORDER BY CameraID"});
  EXPECT_EQ(cameras.size(), 2u);

  // A table without the soft-delete column gets no filter.
  EntityMap settings;
  ASSERT_TRUE(adapter_->GetEntityList("TBL_DbTestSetting", settings));
  EXPECT_EQ(Sent(), Statements{"SELECT * FROM TBL_DbTestSetting"});

  // A bare condition makes an invalid statement: the map is emptied and nothing delivered.
  EXPECT_FALSE(adapter_->GetEntityList("TBL_DbTestCamera", "CameraID = 1", cameras));
  EXPECT_EQ(Sent(), Statements{"SELECT * FROM TBL_DbTestCamera CameraID = 1"});
  EXPECT_TRUE(cameras.empty());
}

int TakeFirstOnly(EntityPtr entity, void* context) {
  static_cast<std::vector<int>*>(context)->push_back(entity->GetID());
  return 0;
}

int TakeAll(EntityPtr entity, void* context) {
  static_cast<std::vector<int>*>(context)->push_back(entity->GetID());
  return 1;
}

TEST_F(AdapterSqlTest, StreamsStopWhenTheCallbackSaysSo) {
  for (int i = 0; i < 3; ++i) AddCamera("c" + std::to_string(i));
  Mark();
  std::vector<int> ids;
  EXPECT_TRUE(adapter_->GetEntityList("TBL_DbTestCamera", nullptr, TakeFirstOnly, &ids));
  EXPECT_EQ(ids, std::vector<int>{1});
  ids.clear();
  EXPECT_TRUE(adapter_->GetEntityListEx("TBL_DbTestCamera", "SELECT * FROM TBL_DbTestCamera ORDER BY CameraID DESC",
                                        TakeAll, &ids));
  EXPECT_EQ(ids, (std::vector<int>{3, 2, 1}));
  EXPECT_EQ(Sent(), (Statements{"SELECT * FROM TBL_DbTestCamera WHERE `IsDeleted` = 0 OR `IsDeleted` is NULL",
                                "SELECT * FROM TBL_DbTestCamera ORDER BY CameraID DESC"}));
}

// A result that the server breaks off after its first rows (a subquery that
// gives two rows for the third camera) delivers no row to any reader form,
// and the adapter goes on working.
TEST_F(AdapterSqlTest, AResultBrokenOffPartWayDeliversNothing) {
  for (int i = 0; i < 3; ++i) AddCamera("c" + std::to_string(i));
  ASSERT_TRUE(raw_.Run("CREATE TABLE dup (k INT)"));
  ASSERT_TRUE(raw_.Run("INSERT INTO dup VALUES (1), (2), (3), (3)"));
  const char* query = "SELECT *, (SELECT k FROM dup WHERE k = CameraID) AS k FROM TBL_DbTestCamera";
  std::vector<int> ids;
  EXPECT_FALSE(adapter_->GetEntityListEx("TBL_DbTestCamera", query, TakeAll, &ids));
  EXPECT_TRUE(ids.empty());
  EntityMap cameras{{9, nullptr}};
  EXPECT_FALSE(adapter_->GetEntityListEx("TBL_DbTestCamera", query, cameras));
  EXPECT_TRUE(cameras.empty());
  EntityMap64 cameras64{{9, nullptr}};
  EXPECT_FALSE(adapter_->GetEntityListEx("TBL_DbTestCamera", query, cameras64));
  EXPECT_TRUE(cameras64.empty());
  EXPECT_EQ(adapter_->GetEntityCount("TBL_DbTestCamera", nullptr), 3);
}

TEST_F(AdapterSqlTest, FindsAndCounts) {
  AddCamera("a", 3);
  AddCamera("b", 7);
  ASSERT_TRUE(raw_.Run("UPDATE TBL_DbTestCamera SET IsDeleted = 1 WHERE CameraID = 2"));
  Mark();

  EntityPtr by_key = adapter_->FindEntity("TBL_DbTestCamera", "CameraID", 2);
  ASSERT_TRUE(by_key);
  EXPECT_EQ(by_key->GetID(), 2);  // the finds apply no soft-delete filter
  EntityPtr by_condition = adapter_->FindEntity("TBL_DbTestCamera", "`ZavID` = 7");
  ASSERT_TRUE(by_condition);
  EXPECT_EQ(by_condition->GetID(), 2);
  EXPECT_FALSE(adapter_->FindEntity("TBL_DbTestCamera", "CameraID", 99));
  EntityPtr by_query = adapter_->FindEntityEx("TBL_DbTestCamera", "SELECT * FROM TBL_DbTestCamera WHERE CameraName LIKE '%a'");
  ASSERT_TRUE(by_query);
  EXPECT_EQ(by_query->GetID(), 1);
  EXPECT_EQ(adapter_->GetEntityCount("TBL_DbTestCamera", nullptr), 2);
  EXPECT_EQ(adapter_->GetEntityCount("TBL_DbTestCamera", "WHERE `ZavID` = 3"), 1);
  EXPECT_EQ(Sent(), (Statements{"SELECT * FROM TBL_DbTestCamera WHERE `CameraID` = 2",
                                "SELECT * FROM TBL_DbTestCamera WHERE `ZavID` = 7",
                                "SELECT * FROM TBL_DbTestCamera WHERE `CameraID` = 99",
                                "SELECT * FROM TBL_DbTestCamera WHERE CameraName LIKE '%a'",
                                "SELECT COUNT(*) FROM TBL_DbTestCamera",
                                "SELECT COUNT(*) FROM TBL_DbTestCamera WHERE `ZavID` = 3"}));
  // A table the registry does not know gives no row.
  EXPECT_FALSE(adapter_->FindEntityEx("TBL_NotARowClass", "SELECT * FROM TBL_DbTestCamera"));
}

TEST_F(AdapterSqlTest, ListReadsAreTimedInTheLog) {
  AddCamera("a");
  LogCapture log;
  EntityMap cameras;
  ASSERT_TRUE(adapter_->GetEntityList("TBL_DbTestCamera", cameras));
  std::string text = log.Text();
  for (const char* piece : {"INFO - 'GetEntityList - TBL_DbTestCamera' Start",
                            "'GetEntityList - TBL_DbTestCamera' Performance1 : ",
                            "'GetEntityList - TBL_DbTestCamera' Performance2 : ",
                            "'GetEntityList - TBL_DbTestCamera' Performance3 : ",
                            "'GetEntityList - TBL_DbTestCamera' Total Delay : "}) {
    EXPECT_NE(text.find(piece), std::string::npos) << piece << "\n" << text;
  }
}

}  // namespace
