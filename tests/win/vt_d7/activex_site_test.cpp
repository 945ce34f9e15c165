// What the ActiveX driver's site answers the control: its interfaces, the
// window it lends once, the ambient properties and coordinate transforms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "framework/Forms.h"
#include "vt_d7/Vt_driver_activex.h"

namespace {

using vt::TComPtr;

class ActiveXSite : public ::testing::Test {
 protected:
  void SetUp() override {
    driver = vt::TvtFlashDriverActiveX::Create(64, 48, 0xFF000000);
    fake.Take();
  }
  template <class I>
  TComPtr<I> Site(REFIID Iid) {
    TComPtr<I> p;
    EXPECT_EQ(driver->SiteQueryInterface(Iid, reinterpret_cast<void**>(p.Receive())), S_OK);
    return p;
  }

  vt_test::TFakeControlScope fake;
  std::unique_ptr<vt::TvtFlashDriverActiveX> driver;
};

TEST_F(ActiveXSite, AnswersTheInterfacesOfItsTableAndNoOthers) {
  const struct {
    const IID* iid;
    HRESULT expected;
  } rows[] = {
      {&IID_IUnknown, S_OK},
      {&IID_IOleClientSite, S_OK},
      {&IID_IOleControlSite, S_OK},
      {&IID_IOleWindow, S_OK},
      {&IID_IOleInPlaceSite, S_OK},
      {&IID_IOleInPlaceSiteWindowless, S_OK},
      {&IID_IOleInPlaceUIWindow, S_OK},
      {&IID_IOleInPlaceFrame, S_OK},
      {&IID_IDispatch, S_OK},
      {&IID_IPropertyNotifySink, S_OK},
      {&IID_IServiceProvider, S_OK},
      // The extended site is reached only through the windowless one.
      {&IID_IOleInPlaceSiteEx, E_NOINTERFACE},
      {&IID_IOleContainer, E_NOINTERFACE},
      {&IID_IPersistStream, E_NOINTERFACE},
  };
  auto provider = Site<IServiceProvider>(IID_IServiceProvider);
  const GUID anyService = {0x12345678, 1, 2, {3, 4, 5, 6, 7, 8, 9, 10}};
  for (const auto& row : rows) {
    IUnknown* viaQuery = nullptr;
    IUnknown* viaService = nullptr;
    EXPECT_EQ(driver->SiteQueryInterface(*row.iid, reinterpret_cast<void**>(&viaQuery)), row.expected);
    // Every service is answered like QueryInterface, whatever its identifier.
    EXPECT_EQ(provider->QueryService(anyService, *row.iid, reinterpret_cast<void**>(&viaService)), row.expected);
    EXPECT_EQ(viaQuery, viaService);
    if (viaQuery) viaQuery->Release();
    if (viaService) viaService->Release();
  }
  // One identity: IUnknown from any view is the same object.
  auto frame = Site<IOleInPlaceFrame>(IID_IOleInPlaceFrame);
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  frame->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  driver->SiteQueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
}

TEST_F(ActiveXSite, OnlyTheWindowlessSiteLendsTheWindowAndOnlyOnceDuringARightPress) {
  vcl::TForm form(nullptr);
  const HWND parent = form.Handle();
  driver->FControl = &form;
  auto windowless = Site<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
  HWND w = HWND(1);
  EXPECT_EQ(windowless->GetWindow(&w), E_FAIL);
  EXPECT_EQ(w, nullptr);

  driver->FLendParentWindow = true;
  EXPECT_EQ(windowless->GetWindow(&w), S_OK);
  EXPECT_EQ(w, parent);
  EXPECT_EQ(windowless->GetWindow(&w), E_FAIL) << "lent once";
  EXPECT_EQ(w, nullptr);

  // Every other view has no window, lending or not.
  driver->FLendParentWindow = true;
  for (const IID* iid : {&IID_IOleWindow, &IID_IOleInPlaceSite, &IID_IOleInPlaceUIWindow, &IID_IOleInPlaceFrame}) {
    auto view = Site<IOleWindow>(*iid);
    w = HWND(1);
    EXPECT_EQ(view->GetWindow(&w), S_OK);
    EXPECT_EQ(w, nullptr);
  }
  EXPECT_TRUE(driver->FLendParentWindow);

  // Without a window to lend the permission is used up all the same.
  driver->FControl = nullptr;
  EXPECT_EQ(windowless->GetWindow(&w), E_FAIL);
  EXPECT_FALSE(driver->FLendParentWindow);
}

TEST_F(ActiveXSite, TheControlNeverHoldsTheCaptureAndDrawsIntoTheFrameBuffer) {
  auto w = Site<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
  EXPECT_EQ(w->SetCapture(TRUE), S_OK);
  EXPECT_EQ(w->GetCapture(), S_FALSE);
  HDC dc = nullptr;
  EXPECT_EQ(w->GetDC(nullptr, 0, &dc), S_OK);
  EXPECT_EQ(dc, driver->FDC);
}

TEST_F(ActiveXSite, InPlaceRequestsOfTheControlReachItsInPlaceObject) {
  auto site = Site<IOleInPlaceSite>(IID_IOleInPlaceSite);
  const RECT wanted{5, 6, 70, 80};
  EXPECT_EQ(site->OnPosRectChange(&wanted), S_OK);
  EXPECT_EQ(site->DeactivateAndUndo(), S_OK);
  EXPECT_EQ(fake.Take(), (std::vector<std::string>{"SetObjectRects 5,6,70,80 clip 0,0,32767,32767", "UIDeactivate"}));

  auto frame = Site<IOleInPlaceFrame>(IID_IOleInPlaceFrame);
  EXPECT_EQ(frame->SetActiveObject(nullptr, nullptr), S_OK);
  EXPECT_FALSE(driver->FOleInPlaceActiveObject);
  EXPECT_EQ(site->OnInPlaceDeactivate(), S_OK);
  EXPECT_FALSE(driver->FViewObject || driver->FOleInPlaceObjectWindowless || driver->FOleWindow);
  EXPECT_EQ(site->OnPosRectChange(&wanted), S_OK) << "nothing to tell once deactivated";
}

TEST_F(ActiveXSite, AmbientPropertiesAnswerOnlyReads) {
  driver->SetName(L"Flash1");
  auto ambient = Site<IDispatch>(IID_IDispatch);
  const struct {
    DISPID id;
    VARTYPE type;
    LONG value;  // VT_BOOL: -1 or 0
  } rows[] = {
      {DISPID_AMBIENT_MESSAGEREFLECT, VT_BOOL, -1}, {DISPID_AMBIENT_USERMODE, VT_BOOL, -1},
      {DISPID_AMBIENT_UIDEAD, VT_BOOL, 0},          {DISPID_AMBIENT_SHOWGRABHANDLES, VT_BOOL, 0},
      {DISPID_AMBIENT_SHOWHATCHING, VT_BOOL, 0},    {DISPID_AMBIENT_SUPPORTSMNEMONICS, VT_BOOL, -1},
      {DISPID_AMBIENT_AUTOCLIP, VT_BOOL, -1},
      {DISPID_AMBIENT_LOCALEID, VT_I4, static_cast<LONG>(GetUserDefaultLCID())},
  };
  DISPPARAMS none{};
  for (const auto& row : rows) {
    vt::TVariant v;
    EXPECT_EQ(ambient->Invoke(row.id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr, nullptr), S_OK);
    EXPECT_EQ(v.Get().vt, row.type) << row.id;
    EXPECT_EQ(row.type == VT_BOOL ? v.Get().boolVal : v.Get().lVal, row.value) << row.id;
    vt::TVariant m;
    EXPECT_EQ(ambient->Invoke(row.id, IID_NULL, 0, DISPATCH_METHOD, &none, &m, nullptr, nullptr),
              DISP_E_MEMBERNOTFOUND)
        << row.id;
  }
  vt::TVariant name;
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &name, nullptr,
                            nullptr),
            S_OK);
  ASSERT_EQ(name.Get().vt, VT_BSTR);
  EXPECT_EQ(vt::TBstr::BstrText(name.Get().bstrVal), L"Flash1");
  EXPECT_EQ(ambient->Invoke(-701, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &name, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_USERMODE, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr,
                            nullptr),
            DISP_E_MEMBERNOTFOUND)
      << "no result variant";
  UINT count = 9;
  EXPECT_EQ(ambient->GetTypeInfoCount(&count), S_OK);
  EXPECT_EQ(count, 0u);
}

TEST_F(ActiveXSite, TransformsHimetricAndContainerCoordinatesBothWays) {
  auto site = Site<IOleControlSite>(IID_IOleControlSite);
  HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  ASSERT_EQ(ppi, 96) << "the expectations below are for 96 pixels per inch";
  POINTL himetric{2540, 1270};
  POINTF container{};
  EXPECT_EQ(site->TransformCoords(&himetric, &container, XFORMCOORDS_HIMETRICTOCONTAINER | XFORMCOORDS_SIZE), S_OK);
  EXPECT_EQ(container.x, 96.0f);
  EXPECT_EQ(container.y, 48.0f);
  container = {96.0f, 1.5f};
  EXPECT_EQ(site->TransformCoords(&himetric, &container, XFORMCOORDS_CONTAINERTOHIMETRIC), S_OK);
  EXPECT_EQ(himetric.x, 2540);
  EXPECT_EQ(himetric.y, 40);  // 39.6875 rounded
}

TEST_F(ActiveXSite, ASiteOutlivingItsDriverAnswersWithoutReachingIt) {
  auto windowless = Site<IOleInPlaceSiteWindowless>(IID_IOleInPlaceSiteWindowless);
  auto ambient = Site<IDispatch>(IID_IDispatch);
  driver.reset();
  RECT pos{}, clip{};
  IOleInPlaceFrame* frame = nullptr;
  IOleInPlaceUIWindow* doc = nullptr;
  EXPECT_EQ(windowless->GetWindowContext(&frame, &doc, &pos, &clip, nullptr), E_UNEXPECTED);
  EXPECT_EQ(frame, nullptr);
  EXPECT_EQ(windowless->OnInPlaceActivateEx(nullptr, 0), E_UNEXPECTED);
  HWND w = HWND(1);
  EXPECT_EQ(windowless->GetWindow(&w), E_FAIL);
  DISPPARAMS none{};
  vt::TVariant v;
  EXPECT_EQ(ambient->Invoke(DISPID_AMBIENT_DISPLAYNAME, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &v, nullptr,
                            nullptr),
            DISP_E_MEMBERNOTFOUND);
}

}  // namespace
