// The control as a COM object: its interfaces, windowless activation as the
// site sees it, deactivation, and its references going back to zero.
#include <gtest/gtest.h>

#include "tests/win/flashctl/test_container.h"
#include "tests/win/flashctl/test_movies.h"

namespace flashctl_test {
namespace {

using Calls = std::vector<std::string>;

TEST(FlashctlObject, AnswersItsInterfacesWithOneIdentity) {
  auto control = NewControl();
  ASSERT_TRUE(control);
  const struct {
    const IID* iid;
    bool offered;
  } cases[] = {
      {&IID_IUnknown, true},           {&IID_IDispatch, true},
      {&IID_IvtFlashPlayer, true},     {&IID_IOleObject, true},
      {&IID_IOleControl, true},        {&IID_IPersistStreamInit, true},
      {&IID_IPersist, true},           {&IID_IOleInPlaceObject, true},
      {&IID_IOleInPlaceObjectWindowless, true}, {&IID_IOleInPlaceActiveObject, true},
      {&IID_IViewObject, true},        {&IID_IViewObject2, true},
      {&IID_IConnectionPointContainer, true}, {&IID_IPerPropertyBrowsing, true},
      {&IID_IProvideClassInfo, true},  {&IID_IPersistStorage, false},
      {&IID_IOleInPlaceSite, false},   {&IID_IClassFactory, false},
  };
  auto identity = As<IUnknown>(control.Get(), IID_IUnknown);
  for (const auto& c : cases) {
    TComPtr<IUnknown> got;
    const HRESULT hr = control->QueryInterface(*c.iid, reinterpret_cast<void**>(got.Receive()));
    EXPECT_EQ(SUCCEEDED(hr), c.offered);
    if (got) {
      EXPECT_EQ(As<IUnknown>(got.Get(), IID_IUnknown).Get(), identity.Get());
    }
  }
}

TEST(FlashctlActivation, WindowlessInPlaceInTheOrderContainersExpect) {
  const LONG verbs[] = {OLEIVERB_INPLACEACTIVATE, OLEIVERB_SHOW, OLEIVERB_UIACTIVATE, OLEIVERB_PRIMARY};
  for (LONG verb : verbs) {
    Site site;
    auto control = NewControl();
    auto object = As<IOleObject>(control.Get(), IID_IOleObject);
    ASSERT_EQ(object->SetClientSite(&site), S_OK);
    site.calls.clear();
    ASSERT_EQ(object->DoVerb(verb, nullptr, &site, 0, nullptr, &site.pos), S_OK) << verb;
    EXPECT_EQ(site.calls, (Calls{"QI IOleInPlaceSiteWindowless", "CanInPlaceActivate", "CanWindowlessActivate",
                                 "OnInPlaceActivateEx windowless", "GetWindowContext"}))
        << verb;
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_EQ(As<IOleInPlaceObject>(control.Get(), IID_IOleInPlaceObject)->GetWindow(&window), E_FAIL);
    EXPECT_EQ(window, nullptr);  // never a window of its own
    site.calls.clear();
    EXPECT_EQ(object->Close(OLECLOSE_NOSAVE), S_OK);
    EXPECT_EQ(site.calls, Calls{"OnInPlaceDeactivateEx"});
    object->SetClientSite(nullptr);
  }
}

TEST(FlashctlActivation, WithoutAWindowlessSiteItStaysInactive) {
  Site site;
  site.windowless = false;
  auto control = NewControl();
  auto object = As<IOleObject>(control.Get(), IID_IOleObject);
  object->SetClientSite(&site);
  EXPECT_EQ(object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, nullptr, &site.pos), E_FAIL);
  EXPECT_EQ(std::count(site.calls.begin(), site.calls.end(), "CanInPlaceActivate"), 0);
  // Inactive: a movie started now asks for no repaint.
  control->put_Movie(Bstr(MovieFile(kSquareMovie, L"inactive.swf")).Get());
  EXPECT_TRUE(site.invalidated.empty());
  object->SetClientSite(nullptr);
}

TEST(FlashctlActivation, FramesTickOnlyWhileActive) {
  Site site;
  auto control = NewControl();
  control->put_Loop(VARIANT_FALSE);
  ASSERT_EQ(control->put_Movie(Bstr(MovieFile(kSquareMovie, L"ticks.swf")).Get()), S_OK);
  PumpMessages(100);
  LONG frame = -1;
  control->CurrentFrame(&frame);
  EXPECT_EQ(frame, 0);  // not active: no ticks
  ASSERT_EQ(site.Embed(control.Get()), S_OK);
  EXPECT_TRUE(PumpUntil([&] { return control->CurrentFrame(&frame), frame == 2; }));
  control->Rewind();
  As<IOleInPlaceObject>(control.Get(), IID_IOleInPlaceObject)->InPlaceDeactivate();
  PumpMessages(100);
  control->CurrentFrame(&frame);
  EXPECT_EQ(frame, 0);
  As<IOleObject>(control.Get(), IID_IOleObject)->SetClientSite(nullptr);
}

TEST(FlashctlObject, ReferencesGoBackToZero) {
  using CanUnloadFunc = HRESULT(__stdcall*)();
  auto canUnload = Export<CanUnloadFunc>("DllCanUnloadNow");
  ASSERT_TRUE(canUnload);
  Site site;
  EventSink sink;
  {
    auto control = NewControl();
    EXPECT_EQ(canUnload(), S_FALSE);
    sink.AdviseOn(control.Get());
    control->put_Movie(Bstr(MovieFile(kSquareMovie, L"refs.swf")).Get());
    ASSERT_EQ(site.Embed(control.Get()), S_OK);
    PumpMessages(60);
    auto object = As<IOleObject>(control.Get(), IID_IOleObject);
    object->Close(OLECLOSE_NOSAVE);
    object->SetClientSite(nullptr);
  }
  // The sink stays advised: the control's going releases it.
  EXPECT_EQ(site.refs, 0);
  EXPECT_EQ(sink.refs, 0);
  EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
}  // namespace flashctl_test
