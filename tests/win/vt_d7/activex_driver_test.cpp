// The ActiveX driver's life against the recording fake control: the
// construction and teardown sequences call for call, a control failing any
// step, and every reference given back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "framework/SysUtils.h"
#include "vt_d7/Vt_driver_activex.h"

namespace {

using Lines = std::vector<std::string>;

// What the driver asks of a control that wants its client site first, and
// what its site answers while the control activates itself.
const Lines kConstruction = {
    "CreateInstance IOleObject",
    "GetMiscStatus 1",
    "SetClientSite site",
    "QI IPersistStreamInit",
    // The first property write initialises the control.
    "GetClientSite",
    "InitNew",
    "QI IOleControl",
    "QI IDispatch",
    "QI IPerPropertyBrowsing",
    "QI IConnectionPointContainer",
    "FindConnectionPoint IPropertyNotifySink",
    "Advise IPropertyNotifySink",
    "FindConnectionPoint events",
    "Advise events",
    "OnAmbientPropertyChange -1",
    "QI IvtFlashPlayer",
    "Invoke 133 put bstr 'Transparent' named -3",
    // In-place activation, windowless.
    "DoVerb -5 0,0,64,48",
    "site CanInPlaceActivate -> 0",
    "site CanWindowlessActivate -> 0",
    "QI IOleInPlaceObject",
    "QI IOleInPlaceActiveObject",
    "QI IOleInPlaceObjectWindowless",
    "QI IViewObject",
    "QI IOleWindow",
    "site OnInPlaceActivateEx -> 0",
    "site GetWindowContext -> 0 0,0,64,48 clip 0,0,32767,32767 frame nodoc accel 0 cb kept",
    "SetObjectRects 0,0,64,48 clip 0,0,64,48",
    "GetClientSite",
    "OnAmbientPropertyChange -1",
    "DisableLocalSecurity",
};

const Lines kTeardown = {
    "Close 1",
    "site OnInPlaceDeactivate -> 0",
    "Close 1",
    "QI IConnectionPointContainer",
    "FindConnectionPoint events",
    "Unadvise events 2",
    "FindConnectionPoint IPropertyNotifySink",
    "Unadvise IPropertyNotifySink 1",
    "SetClientSite nil",
    "destroyed",
};

TEST(ActiveXDriver, ConstructsAndTearsDownCallForCallAndGivesEveryReferenceBack) {
  vt_test::TFakeControlScope fake;
  auto driver = vt::TvtFlashDriverActiveX::Create(64, 48, 0xFF000000);
  EXPECT_EQ(fake.Take(), kConstruction);
  EXPECT_TRUE(driver->GetIsFlashAvailable());
  EXPECT_TRUE(driver->FOleInPlaceObjectWindowless && driver->FViewObject && driver->FControlInterface);
  EXPECT_EQ(vt::FlashControlData.InstanceCount, 1u);

  // The site and the sink outlive the driver only by the references held
  // here; the control gives back everything it took.
  IUnknown* site = nullptr;
  ASSERT_EQ(driver->SiteQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&site)), S_OK);
  IDispatch* sink = fake.EventSink();
  ASSERT_TRUE(sink);
  driver.reset();
  EXPECT_EQ(fake.Take(), kTeardown);
  EXPECT_EQ(fake.live, 0);
  EXPECT_EQ(vt::FlashControlData.InstanceCount, 0u);
  EXPECT_EQ(site->Release(), 0u);
  // A sink called after its driver went answers S_OK and reaches nobody.
  DISPPARAMS none{};
  EXPECT_EQ(sink->Invoke(150, IID_NULL, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(sink->Release(), 0u);
}

TEST(ActiveXDriver, AControlWithoutSetClientSiteFirstGetsTheSiteBeforeInitialisationAndAfterActivation) {
  vt_test::TFakeControlScope fake;
  fake.options.miscStatus = OLEMISC_ACTIVATEWHENVISIBLE;
  fake.options.activate = false;
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  const Lines log = fake.Take();
  ASSERT_GE(log.size(), 6u);
  EXPECT_EQ(log[2], "QI IPersistStreamInit") << "no client site before the persistence interface";
  EXPECT_EQ(log[3], "GetClientSite");
  EXPECT_EQ(log[4], "SetClientSite site");
  EXPECT_EQ(log[5], "InitNew");
  // Not activated: no object rectangles; the site is there already.
  EXPECT_EQ(std::count(log.begin(), log.end(), "SetObjectRects 0,0,10,10 clip 0,0,10,10"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "SetClientSite site"), 1);
}

TEST(ActiveXDriver, AnInvisibleControlIsNotActivated) {
  vt_test::TFakeControlScope fake;
  fake.options.miscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME;
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  for (const std::string& line : fake.Take()) EXPECT_NE(line.rfind("DoVerb", 0), 0u) << line;
  EXPECT_FALSE(driver->FOleInPlaceObjectWindowless);
}

// A control failing any step leaves nothing behind: no control alive, no
// reference on a site, the shared description as it was, and one exception.
TEST(ActiveXDriver, AControlFailingAStepLeavesNoHalfMadeDriver) {
  const struct {
    const char* step;
    HRESULT expected;
  } rows[] = {
      {"GetMiscStatus", E_FAIL},           {"SetClientSite", E_FAIL}, {"QI IPersistStreamInit", E_NOINTERFACE},
      {"InitNew", E_FAIL},                 {"QI IOleControl", E_NOINTERFACE}, {"QI IDispatch", E_NOINTERFACE},
      {"Invoke", E_ACCESSDENIED},          {"DisableLocalSecurity", E_FAIL},
  };
  for (const auto& row : rows) {
    vt_test::TFakeControlScope fake;
    fake.options.failAt = row.step;
    try {
      vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
      ADD_FAILURE() << row.step << " did not raise";
    } catch (const vcl::EOleException& e) {
      EXPECT_EQ(e.ErrorCode(), row.expected) << row.step;
    }
    EXPECT_EQ(fake.live, 0) << row.step;
    EXPECT_EQ(vt::FlashControlData.InstanceCount, 0u) << row.step;
  }
}

TEST(ActiveXDriver, AControlWithoutItsDualInterfaceRaisesAnInterfaceCastError) {
  vt_test::TFakeControlScope fake;
  fake.options.failAt = "QI IvtFlashPlayer";
  EXPECT_THROW(vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000), vcl::EIntfCastError);
  EXPECT_EQ(fake.live, 0);
}

TEST(ActiveXDriver, WithoutAControlTheDriverIsInertAndAnswersEmptyValues) {
  vt_test::TFakeControlScope fake;
  fake.options.failAt = "CreateInstance";
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  EXPECT_FALSE(driver->GetIsFlashAvailable());
  driver->Play();
  driver->SetVariable(L"a", L"b");
  driver->SetWideStringProp(133, L"Window");
  EXPECT_EQ(driver->CallFunction(L"<invoke name=\"f\"/>"), L"");
  EXPECT_EQ(driver->GetVariable(L"a"), L"");
  EXPECT_EQ(driver->GetTotalFrames(), 0);
  EXPECT_FALSE(driver->GetLoop());
  EXPECT_EQ(fake.Take(), Lines{"CreateInstance"});
}

TEST(ActiveXDriver, ASelectedDriverWhoseControlFailsFallsBackToTheNullDriverAndReportsOnce) {
  vt_test::TFakeControlScope fake;
  vt::CheckFlashActiveX();
  ASSERT_TRUE(vt::FlashActiveXAvailable);
  EXPECT_EQ(fake.live, 0) << "the probe releases its control at once";
  fake.options.failAt = "DisableLocalSecurity";
  std::unique_ptr<vt::TvtFlashDriver> driver;
  EXPECT_THROW(vt::ChangePlugin(driver, vt::vtActiveX, L"", 10, 10, 0xFF000000, nullptr, {}, {}, {}, {}),
               vcl::EOleException);
  ASSERT_TRUE(driver);
  EXPECT_EQ(driver->ClassName(), L"TvtFlashDriver");
  EXPECT_EQ(fake.live, 0);
}

TEST(ActiveXDriver, DriversShareTheControlDescriptionAndItsEnumeratedPropertiesLiveUntilTheLastGoes) {
  vt_test::TFakeControlScope fake;
  auto first = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  auto second = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  EXPECT_EQ(vt::FlashControlData.InstanceCount, 2u);
  EXPECT_EQ(first->FControlData, &vt::FlashControlData);
  vt::FlashControlData.EnumPropDescs = std::make_unique<vt::TEnumPropDescList>();
  first.reset();
  EXPECT_TRUE(vt::FlashControlData.EnumPropDescs);
  second.reset();
  EXPECT_FALSE(vt::FlashControlData.EnumPropDescs);
  EXPECT_EQ(vt::FlashControlData.InstanceCount, 0u);
}

TEST(ActiveXDriver, SavedStateIsLoadedWhenTheControlIsInitialisedAgain) {
  vt_test::TFakeControlScope fake;
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  fake.Take();
  driver->CreateStorage();
  ASSERT_TRUE(driver->FObjectData);
  driver->DestroyControl();
  EXPECT_FALSE(driver->FOleControl);
  fake.Take();
  driver->CreateControl();
  const Lines log = fake.Take();
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[1], "Load 'saved'");
  EXPECT_FALSE(driver->FObjectData) << "the saved block is freed once loaded";
}

TEST(ActiveXDriver, RenamingTellsTheControlItsDisplayNameChanged) {
  vt_test::TFakeControlScope fake;
  auto driver = vt::TvtFlashDriverActiveX::Create(10, 10, 0xFF000000);
  fake.Take();
  driver->SetName(L"Movie1");
  EXPECT_EQ(fake.Take(), Lines{"OnAmbientPropertyChange -702"});
  EXPECT_EQ(driver->Name(), L"Movie1");
}

}  // namespace

namespace {

TEST(ActiveXDriver, AProbeThatFindsTheControlMakesItTheDefaultAndVtDefaultChoosesIt) {
  vt_test::TFakeControlScope fake;
  vt::InitializeFlashPlayerUnit();
  vt::CheckFlashPlugins();
  EXPECT_TRUE(vt::FlashActiveXAvailable);
  EXPECT_EQ(vt::DefaultFlashDriverClass, &vt::TvtFlashDriverActiveXClass());
  std::unique_ptr<vt::TvtFlashDriver> driver;
  for (vt::TvtPlugin plugin : {vt::vtDefault, vt::vtActiveX}) {
    vt::ChangePlugin(driver, plugin, L"", 10, 10, 0xFF000000, nullptr, {}, {}, {}, {});
    EXPECT_EQ(driver->ClassName(), L"TvtFlashDriverActiveX");
  }
  driver.reset();
  vt::InitializeFlashPlayerUnit();
}

}  // namespace
