// Enumerated properties read from the control's real type library, and the
// conversions between their values and display texts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "framework/SysUtils.h"
#include "vt_d7/Vt_driver_activex.h"

namespace {

std::wstring TypeLibraryPath() {
  const std::string path = VT_FLASH_TYPELIB;
  return std::wstring(path.begin(), path.end());
}

const vt::TEnumPropDesc* Find(DISPID Id) {
  for (const auto& d : *vt::FlashControlData.EnumPropDescs)
    if (d->FPropDispId == Id) return d.get();
  return nullptr;
}

TEST(ActiveXEnumProps, TheWalkFindsEachEnumeratedPropertyOnceWithItsMembers) {
  vt_test::TFakeControlScope fake;
  fake.options.typeLibrary = TypeLibraryPath();
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  driver->CreateEnumPropDescs();
  ASSERT_TRUE(vt::FlashControlData.EnumPropDescs);
  const vt::TEnumPropDescList* list = vt::FlashControlData.EnumPropDescs.get();
  ASSERT_EQ(list->size(), 2u) << "Quality and ScaleMode, each once although read and written";
  const vt::TEnumPropDesc* quality = Find(0x69);
  const vt::TEnumPropDesc* scale = Find(0x78);
  ASSERT_TRUE(quality && scale);
  EXPECT_EQ(quality->FMemberCount, 6);
  EXPECT_EQ(scale->FMembers[2].MemberValue, 2);
  EXPECT_EQ(scale->FMembers[2].MemberName, "vtScaleExactFit");
  std::vector<std::string> strings;
  scale->GetStrings([&](const std::string& s) { strings.push_back(s); });
  EXPECT_EQ(strings, (std::vector<std::string>{"0 - vtScaleShowAll", "1 - vtScaleNoBorder", "2 - vtScaleExactFit"}));

  // Built once for all drivers.
  driver->CreateEnumPropDescs();
  EXPECT_EQ(vt::FlashControlData.EnumPropDescs.get(), list);
  driver.reset();
  EXPECT_FALSE(vt::FlashControlData.EnumPropDescs);
}

TEST(ActiveXEnumProps, ValuesAndDisplayTextsConvertBothWays) {
  vt_test::TFakeControlScope fake;
  fake.options.typeLibrary = TypeLibraryPath();
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  driver->CreateEnumPropDescs();
  const vt::TEnumPropDesc& quality = *Find(0x69);
  EXPECT_EQ(quality.ValueToString(1), "1 - vtQualityHigh");
  EXPECT_EQ(quality.ValueToString(99), "99");
  EXPECT_EQ(quality.ValueToString(-3), "-3");
  EXPECT_EQ(quality.StringToValue(quality.ValueToString(4)), 4);
  EXPECT_EQ(quality.StringToValue("VTQUALITYBEST"), 5);
  EXPECT_EQ(quality.StringToValue("2"), 2);
  EXPECT_THROW(quality.StringToValue("99"), vcl::EOleError) << "a number that is no member's value";
  EXPECT_THROW(quality.StringToValue("best"), vcl::EOleError);
  EXPECT_THROW(quality.StringToValue("1-2"), vcl::EConvertError);
  EXPECT_THROW(quality.StringToValue("99999999999"), vcl::EConvertError);
}

}  // namespace
