// Choosing, creating and wiring a player's driver.
#include <gtest/gtest.h>
#include <ole2.h>

#include "recording_driver.h"
#include "vt_d7/Vt_driver_activex.h"
#include "vt_d7/Vt_driver_netscape.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

using vt::TvtPlugin;
using vt_test::Log;
using vt_test::RecordingScope;
using vt_test::TFixedClass;
using vt_test::TRecordingDriver;

std::wstring Chosen(TvtPlugin Plugin, bool ActiveX, bool Netscape) {
  const TFixedClass ax(L"ActiveX", ActiveX), ns(L"Netscape", Netscape), null(L"Null", false);
  // The default class is the ActiveX driver after a successful probe, the
  // null driver otherwise.
  const vt::TvtFlashDriverClass& def = ActiveX ? static_cast<const vt::TvtFlashDriverClass&>(ax) : null;
  return vt::SelectFlashDriverClass(Plugin, def, ax, ns, null).ClassName();
}

TEST(DriverSelection, FollowsTheTableOfPluginAndInstalledRenderers) {
  struct Row {
    TvtPlugin plugin;
    bool activeX, netscape;
    const wchar_t* expected;
  };
  const Row rows[] = {
      {vt::vtDefault, true, true, L"ActiveX"},    {vt::vtDefault, true, false, L"ActiveX"},
      {vt::vtDefault, false, true, L"Netscape"},  {vt::vtNetscape, true, true, L"Netscape"},
      {vt::vtNetscape, false, true, L"Netscape"}, {vt::vtNetscape, true, false, L"ActiveX"},
      {vt::vtActiveX, true, true, L"ActiveX"},    {vt::vtActiveX, true, false, L"ActiveX"},
      {vt::vtActiveX, false, true, L"Netscape"},  {vt::vtDefault, false, false, L"Null"},
      {vt::vtNetscape, false, false, L"Null"},    {vt::vtActiveX, false, false, L"Null"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(Chosen(r.plugin, r.activeX, r.netscape), r.expected)
        << int(r.plugin) << " activex=" << r.activeX << " netscape=" << r.netscape;
}

TEST(DriverSelection, AnAssignedDefaultClassWinsForVtDefaultOnlyWhileItsRendererExists) {
  const TFixedClass ax(L"ActiveX", false), ns(L"Netscape", true), null(L"Null", false);
  const TFixedClass custom(L"Custom", true), absent(L"Absent", false);
  EXPECT_EQ(vt::SelectFlashDriverClass(vt::vtDefault, custom, ax, ns, null).ClassName(), L"Custom");
  EXPECT_EQ(vt::SelectFlashDriverClass(vt::vtNetscape, custom, ax, ns, null).ClassName(), L"Netscape");
  EXPECT_EQ(vt::SelectFlashDriverClass(vt::vtDefault, absent, ax, ns, null).ClassName(), L"Netscape");
}

TEST(DriverSelection, OnThisBuildEveryChoiceGivesTheNullDriver) {
  vt::InitializeFlashPlayerUnit();
  EXPECT_FALSE(vt::TvtFlashDriverActiveXClass().PluginExists());
  EXPECT_FALSE(vt::TvtFlashDriverNSClass().PluginExists());
  for (TvtPlugin p : {vt::vtDefault, vt::vtNetscape, vt::vtActiveX}) {
    std::unique_ptr<vt::TvtFlashDriver> d;
    vt::ChangePlugin(d, p, L"", 10, 10, 0xFF000000, nullptr, {}, {}, {}, {});
    ASSERT_TRUE(d);
    EXPECT_EQ(d->ClassName(), L"TvtFlashDriver");
  }
}

TEST(DriverSelection, ProbeWithoutTheControlFailsSilentlyOnce) {
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  vt::InitializeFlashPlayerUnit();
  vt::InitializeActiveXDriverUnit();
  vt::CheckFlashPlugins();
  EXPECT_TRUE(vt::FlashActiveXChecked);
  EXPECT_FALSE(vt::FlashActiveXAvailable);
  EXPECT_EQ(vt::DefaultFlashDriverClass, &vt::TvtFlashDriver::ClassRef());
  // An application's choice made after the probe stays.
  const TFixedClass custom(L"Custom", true);
  vt::DefaultFlashDriverClass = &custom;
  vt::CheckFlashPlugins();
  EXPECT_EQ(vt::DefaultFlashDriverClass, &custom);
  vt::InitializeFlashPlayerUnit();
  CoUninitialize();
}

TEST(DriverSelection, ProbeBeforeComIsInitialisedLeavesTheThreadAsItFoundIt) {
  vt::InitializeActiveXDriverUnit();
  vt::CheckFlashActiveX();
  EXPECT_TRUE(vt::FlashActiveXChecked);
  // S_OK, not S_FALSE: the probe's own apartment is gone again.
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(hr, S_OK);
  if (SUCCEEDED(hr)) CoUninitialize();
  vt::InitializeActiveXDriverUnit();
}

// A control that records when it is asked to repaint.
class TRecordingControl : public vcl::TGraphicControl {
 public:
  explicit TRecordingControl(Log& L) : vcl::TGraphicControl(nullptr), log(L) {}
  void Invalidate() override { log.push_back("Invalidate"); }
  Log& log;
};

TEST(ChangePlugin, FreesTheOldDriverThenCreatesWiresErasesLoadsAndInvalidates) {
  RecordingScope scope;
  TRecordingControl control(scope.log);
  std::unique_ptr<vt::TvtFlashDriver> driver;
  vt::ChangePlugin(driver, vt::vtDefault, L"first.swf", 30, 20, 0xFF000000, &control, {}, {}, {}, {});
  TRecordingDriver* old = static_cast<TRecordingDriver*>(driver.get());
  old->onDestroy = [&] { scope.log.push_back(driver ? "reference still set" : "reference cleared"); };
  scope.log.clear();

  bool painted = false;
  vt::TvtFlashDriver* erasedBy = nullptr;
  vt::ChangePlugin(
      driver, vt::vtDefault, L"movie.swf", 0, -5, 0xFF000000, &control,
      [&](vcl::TObject*, const vcl::TRect&) { painted = true; },
      [&](vcl::TObject* s, const vcl::TRect& r) {
        erasedBy = static_cast<vt::TvtFlashDriver*>(s);
        scope.log.push_back("erase " + vt_test::RectText(r) + (driver.get() == s ? " current" : " stale"));
        EXPECT_EQ(erasedBy->FControl, &control) << "wired before the erase";
      },
      {}, {});
  EXPECT_EQ(scope.log, (Log{"destroy", "reference cleared", "create callbacks=unset", "CreateBuffer 1x1",
                            "ResizeBuffer", "erase 0,0,0,-5 current", "LoadMovie 'movie.swf'", "Invalidate"}));
  EXPECT_EQ(erasedBy, driver.get());
  EXPECT_FALSE(painted);
  EXPECT_TRUE(driver->FOnPaint);
  EXPECT_TRUE(driver->FOnEraseBackground);
  EXPECT_FALSE(driver->FOnFSCommand);
}

TEST(ChangePlugin, LoadsEvenAnEmptyMovieNameAndSkipsTheUnassignedErase) {
  RecordingScope scope;
  std::unique_ptr<vt::TvtFlashDriver> driver;
  vt::ChangePlugin(driver, vt::vtDefault, L"", 5, 5, 0xFF000000, nullptr, {}, {}, {}, {});
  EXPECT_EQ(scope.log, (Log{"create callbacks=unset", "CreateBuffer 5x5", "ResizeBuffer", "LoadMovie ''"}));
  // vtNetscape does not take the assigned default class: no renderer here, so the null driver.
  scope.log.clear();
  vt::ChangePlugin(driver, vt::vtNetscape, L"", 5, 5, 0xFF000000, nullptr, {}, {}, {}, {});
  EXPECT_EQ(scope.log, (Log{"destroy"}));
  EXPECT_EQ(driver->ClassName(), L"TvtFlashDriver");
}

TEST(ChangePlugin, AFailingConstructorLeavesANullDriverAndPropagates) {
  RecordingScope scope;
  std::unique_ptr<vt::TvtFlashDriver> driver;
  vt::ChangePlugin(driver, vt::vtDefault, L"a.swf", 8, 8, 0xFF000000, nullptr, {}, {}, {}, {});
  TRecordingDriver::throwOnCreate = true;
  int erased = 0;
  EXPECT_THROW(vt::ChangePlugin(driver, vt::vtDefault, L"a.swf", 8, 8, 0xFF000000, nullptr, {},
                                [&](vcl::TObject*, const vcl::TRect&) { ++erased; }, {}, {}),
               vcl::EOleException);
  ASSERT_TRUE(driver);
  EXPECT_EQ(driver->ClassName(), L"TvtFlashDriver");
  EXPECT_EQ(TRecordingDriver::instances, 0) << "the old driver was freed, the failed one never existed";
  EXPECT_EQ(erased, 1) << "the stand-in driver is wired and erased like any other";
  EXPECT_NE(driver->FBits, nullptr);
}

}  // namespace
