#include "entities/base/DBEntityFactory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "TestRows.h"

namespace {

TEST(DBEntityFactory, BuildsANewRowForTheNameInAnyLetterCase) {
  for (const char* name : {"TBL_TestStorage", "TBL_TESTSTORAGE", "tbl_teststorage"}) {
    std::unique_ptr<CDBEntity> row(CDBEntityFactory::CreateEntity(name));
    ASSERT_NE(row, nullptr) << name;
    EXPECT_NE(dynamic_cast<CTestStorage*>(row.get()), nullptr) << name;
    EXPECT_STREQ(row->GetTableName(), "TBL_TestStorage");
    EXPECT_EQ(static_cast<CTestStorage*>(row.get())->GetWebPort(), 554);  // a fresh row with its initial values
  }
}

TEST(DBEntityFactory, UnknownAndEmptyNamesGiveNoRow) {
  EXPECT_EQ(CDBEntityFactory::CreateEntity("TBL_TestStorageX"), nullptr);
  EXPECT_EQ(CDBEntityFactory::CreateEntity("TBL_TestStorag"), nullptr);
  EXPECT_EQ(CDBEntityFactory::CreateEntity(""), nullptr);
  EXPECT_EQ(CDBEntityFactory::GetTableDescriptor("nothing"), nullptr);
}

TEST(DBEntityFactory, EachCallGivesADistinctRowWithConsecutiveHiddenIds) {
  std::unique_ptr<CDBEntity> first(CDBEntityFactory::CreateEntity("TBL_TestLog"));
  std::unique_ptr<CDBEntity> second(CDBEntityFactory::CreateEntity("tbl_testlog"));
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first.get(), second.get());
  EXPECT_EQ(second->GetID(), first->GetID() + 1);
}

TEST(DBEntityFactory, ListsTheRegisteredTablesInLowerCase) {
  std::vector<std::string> names = CDBEntityFactory::GetTableNames();
  for (const char* name : {"ltbl_teststatus", "tbl_testclient", "tbl_testlink", "tbl_testlog", "tbl_testmeta",
                           "tbl_teststorage"}) {
    EXPECT_TRUE(std::binary_search(names.begin(), names.end(), std::string(name))) << name;
  }
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ(CDBEntityFactory::GetTableDescriptor("TBL_TESTMETA"), &CTestMeta::Descriptor());
}

CDBEntity* MakeMeta() { return new CTestMeta(); }

TEST(DBEntityFactory, ALaterRegistrationReplacesAndIsReportedAsADuplicate) {
  // Register a second creator under another spelling of a fresh name.
  CDBEntityFactory::Register("TBL_Replaced", [] { return static_cast<CDBEntity*>(new CTestLog()); });
  CDBEntityFactory::Register("tbl_REPLACED", MakeMeta);
  std::unique_ptr<CDBEntity> row(CDBEntityFactory::CreateEntity("TBL_Replaced"));
  EXPECT_NE(dynamic_cast<CTestMeta*>(row.get()), nullptr);
  std::vector<std::string> duplicates = CDBEntityFactory::GetDuplicateRegistrations();
  EXPECT_NE(std::find(duplicates.begin(), duplicates.end(), "tbl_replaced"), duplicates.end());
}

TEST(DBEntityFactory, RowsOfALinkedLibraryRegisterWithoutBeingNamed) {
  std::unique_ptr<CDBEntity> row(CDBEntityFactory::CreateEntity("TBL_TestUnnamed"));
  ASSERT_NE(row, nullptr);
  EXPECT_STREQ(row->GetKeyColumnName(), "UnnamedID");
}

}  // namespace
