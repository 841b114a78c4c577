// Which camera user fields the outside system's codes come from.
#include <gtest/gtest.h>

#include "entities/Camera.h"
#include "support/TempDir.h"
#include "sync/DeviceUserFields.h"

namespace {

std::string Setting(const std::string& name, const std::string& value) {
  return "\t<Setting>\r\n\t\t<Category>0</Category>\r\n\t\t<Name>" + name + "</Name>\r\n\t\t<Value>" + value +
         "</Value>\r\n\t</Setting>\r\n";
}

TEST(DeviceUserFieldsTest, IndexesSelectUserFieldsAndOnesOutsideTheTwentyCountAsAbsent) {
  TempDir dir;
  const std::string path = dir.Join("DeviceUserFields.xml");
  ASSERT_TRUE(WriteTestFile(path, "<Settings>\r\n" + Setting("MANAGEMENT_CODE", "0") + Setting("SITE_CODE", "19") +
                                      Setting("VENDOR", "20") + Setting("MODEL", "-1") + "</Settings>\r\n"));
  CDeviceUserFields fields;
  fields.Load(path, dir.Join("missing_default.xml"));
  CTBLCamera camera;
  camera.SetUser1("first");
  camera.SetUser20("twentieth");
  SyncUserFieldValues values = fields.Resolve(camera);
  EXPECT_EQ((SyncUserFieldValues{{"MANAGEMENT_CODE", "first"}, {"SITE_CODE", "twentieth"}}), values);
}

TEST(DeviceUserFieldsTest, DefaultFileIsCopiedOnlyWhenTheFileIsMissing) {
  TempDir dir;
  const std::string path = dir.Join("DeviceUserFields.xml");
  const std::string defaults = dir.Join("DeviceUserFields_Default.xml");
  ASSERT_TRUE(WriteTestFile(defaults, "<Settings>\r\n" + Setting("SITE_CODE", "2") + "</Settings>\r\n"));
  CTBLCamera camera;
  camera.SetUser3("S9");
  CDeviceUserFields fields;
  fields.Load(path, defaults);
  EXPECT_EQ(ReadTestFile(defaults), ReadTestFile(path));
  EXPECT_EQ("S9", fields.Resolve(camera)["SITE_CODE"]);

  ASSERT_TRUE(WriteTestFile(path, "<Settings>\r\n" + Setting("SITE_CODE", "0") + "</Settings>\r\n"));
  CDeviceUserFields again;
  again.Load(path, defaults);
  EXPECT_EQ("", again.Resolve(camera)["SITE_CODE"]) << "the operator's file wins: user1 is empty";

  CDeviceUserFields none;
  none.Load(dir.Join("nowhere/DeviceUserFields.xml"), dir.Join("nowhere/default.xml"));
  EXPECT_TRUE(none.Resolve(camera).empty());
}

}  // namespace
