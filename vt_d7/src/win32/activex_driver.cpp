// The ActiveX driver's life: the construction sequence that creates the
// control and activates it windowless through the driver's site, the
// control's initialisation on first use, saved state, and the ordered
// teardown.
#include <ole2.h>

#include <utility>

#include "activex_unit.h"
#include "framework/SysUtils.h"

namespace vt {

namespace {

constexpr DVASPECT kContentAspect = DVASPECT_CONTENT;

// Wraps a global memory block in a stream that leaves the block alone.
TComPtr<IStream> StreamOnBlock(HGLOBAL Block) {
  TComPtr<IStream> stream;
  OleCheck(CreateStreamOnHGlobal(Block, FALSE, stream.Receive()));
  return stream;
}

template <class I>
HRESULT Query(IUnknown* Object, REFIID Iid, TComPtr<I>& Into) {
  return Object->QueryInterface(Iid, reinterpret_cast<void**>(Into.Receive()));
}

}  // namespace

void OleCheck(HRESULT Result, const EXCEPINFO* Info) {
  if (SUCCEEDED(Result)) return;
  std::wstring message;
  if (Info && Info->bstrDescription) message = TBstr::BstrText(Info->bstrDescription);
  if (message.empty()) message = vcl::SysErrorMessage(static_cast<unsigned long>(Result));
  throw vcl::EOleException(message, Result);
}

TvtFlashDriverActiveX::TvtFlashDriverActiveX(uint32_t ABackground) : TvtFlashDriver(ABackground) {
  InitControlData();
  FEventDispatch = TComPtr<TEventDispatch>::Adopt(new TEventDispatch(this));
  site_ = TComPtr<TActiveXSite>::Adopt(new TActiveXSite(this));
  bindHost_ = TComPtr<TBindHost>::Adopt(new TBindHost(this));
  ++FControlData->InstanceCount;
}

std::unique_ptr<TvtFlashDriverActiveX> TvtFlashDriverActiveX::Create(int32_t AWidth, int32_t AHeight,
                                                                     uint32_t ABackground) {
  auto d = std::make_unique<TvtFlashDriverActiveX>(ABackground);
  d->Resize(AWidth, AHeight);
  // A step that fails destroys the driver on the way out: everything
  // acquired so far is released by the destructor.
  d->ConstructControl();
  return d;
}

void TvtFlashDriverActiveX::InitControlData() {
  FControlData = &FlashControlData;
  FlashControlData.FirstEventOffset = 0;
}

void TvtFlashDriverActiveX::CreateInstance() {
  try {
    if (FAILED(CreateFlashControl(reinterpret_cast<IOleObject**>(FOleObject.Receive()))) || !FOleObject) {
      FOleObject.Reset();
      FFlashNotAvailable = true;
    }
  } catch (...) {
    FOleObject.Reset();
    FFlashNotAvailable = true;
  }
}

void TvtFlashDriverActiveX::ConstructControl() {
  const int32_t width = FWidth, height = FHeight;
  CreateInstance();
  if (FFlashNotAvailable) return;
  IOleClientSite* site = static_cast<IOleClientSite*>(site_.Get());

  OleCheck(FOleObject->GetMiscStatus(kContentAspect, &FMiscStatus));
  if (FMiscStatus & OLEMISC_SETCLIENTSITEFIRST) OleCheck(FOleObject->SetClientSite(site));
  OleCheck(Query(FOleObject.Get(), IID_IPersistStreamInit, FPersistStream));
  // The first property write initialises the control (CreateControl).
  SetWideStringProp(133, L"Transparent");
  CreateControl();

  if (!(FMiscStatus & OLEMISC_INVISIBLEATRUNTIME)) {
    RECT pos{0, 0, FWidth, FHeight};
    // The control activates itself through the windowless site meanwhile.
    FOleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, site, 0, nullptr, &pos);
  }
  if (FOleInPlaceObjectWindowless) {
    const RECT r{0, 0, width, height};
    FOleInPlaceObjectWindowless->SetObjectRects(&r, &r);
  }
  GiveClientSiteIfNone();
  if (FOleControl) FOleControl->OnAmbientPropertyChange(DISPID_UNKNOWN);
  if (FControlInterface) OleCheck(FControlInterface->DisableLocalSecurity());

  FOnControlFSCommand = [this](vcl::TObject* Sender, const std::wstring& Command, const std::wstring& Args) {
    IntfFSCommand(Sender, Command, Args);
  };
  FOnControlFlashCall = [this](vcl::TObject* Sender, const std::wstring& Request) {
    IntfFlashPlayerFlashCall(Sender, Request);
  };
}

void TvtFlashDriverActiveX::GiveClientSiteIfNone() {
  TComPtr<IOleClientSite> current;
  HRESULT hr = E_FAIL;
  try {
    hr = FOleObject->GetClientSite(current.Receive());
  } catch (...) {
    hr = E_FAIL;  // a control that raises here has no site for us
  }
  if (FAILED(hr) || !current) OleCheck(FOleObject->SetClientSite(static_cast<IOleClientSite*>(site_.Get())));
}

void TvtFlashDriverActiveX::CreateControl() {
  if (!FOleObject) return;
  if (!FOleControl) {
    try {
      GiveClientSiteIfNone();
      if (!FPersistStream) OleCheck(E_NOINTERFACE);
      if (!FObjectData) {
        OleCheck(FPersistStream->InitNew());
      } else {
        OleCheck(FPersistStream->Load(StreamOnBlock(FObjectData).Get()));
        DestroyStorage();
      }
      OleCheck(Query(FOleObject.Get(), IID_IOleControl, FOleControl));
      OleCheck(Query(FOleObject.Get(), IID_IDispatch, FControlDispatch));
      Query(FOleObject.Get(), IID_IPerPropertyBrowsing, FPropBrowsing);

      // Connection failures are not reported: the control then has no
      // property sink or sends no events.
      TComPtr<IConnectionPointContainer> points;
      if (SUCCEEDED(Query(FOleObject.Get(), IID_IConnectionPointContainer, points)) && points) {
        TComPtr<IConnectionPoint> point;
        if (SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.Receive())) && point)
          point->Advise(static_cast<IOleClientSite*>(site_.Get()), &FPropConnection);
        if (SUCCEEDED(points->FindConnectionPoint(FControlData->EventInterfaceId, point.Receive())) && point)
          point->Advise(static_cast<IDispatch*>(FEventDispatch.Get()), &FEventsConnection);
      }
      FOleControl->OnAmbientPropertyChange(DISPID_UNKNOWN);
      site_->RequestNewObjectLayout();
    } catch (...) {
      DestroyControl();
      throw;
    }
  }
  if (!FControlInterface) {
    if (FAILED(Query(FOleObject.Get(), IID_IvtFlashPlayer, FControlInterface)) || !FControlInterface)
      throw vcl::EIntfCastError(L"The control does not support IvtFlashPlayer");
  }
}

void TvtFlashDriverActiveX::DestroyControl() {
  if (FOleObject) {
    FOleObject->Close(OLECLOSE_NOSAVE);
    TComPtr<IConnectionPointContainer> points;
    if (SUCCEEDED(Query(FOleObject.Get(), IID_IConnectionPointContainer, points)) && points) {
      TComPtr<IConnectionPoint> point;
      if (FEventsConnection &&
          SUCCEEDED(points->FindConnectionPoint(FControlData->EventInterfaceId, point.Receive())) && point)
        point->Unadvise(FEventsConnection);
      if (FPropConnection && SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.Receive())) &&
          point)
        point->Unadvise(FPropConnection);
    }
  }
  FEventsConnection = 0;
  FPropConnection = 0;
  FPropBrowsing.Reset();
  FControlDispatch.Reset();
  FOleControl.Reset();
}

void TvtFlashDriverActiveX::CreateStorage() {
  DestroyStorage();
  try {
    FObjectData = GlobalAlloc(GMEM_MOVEABLE, 0);
    if (!FObjectData) throw vcl::EOutOfMemory(L"Out of memory");
    if (!FPersistStream) OleCheck(E_NOINTERFACE);
    OleCheck(FPersistStream->Save(StreamOnBlock(FObjectData).Get(), TRUE));
  } catch (...) {
    DestroyStorage();
    throw;
  }
}

void TvtFlashDriverActiveX::DestroyStorage() {
  if (FObjectData) GlobalFree(FObjectData);
  FObjectData = nullptr;
}

TvtFlashDriverActiveX::~TvtFlashDriverActiveX() {
  destroying_ = true;
  alive_.reset();
  // Nothing the control does from here on reaches this driver.
  FEventDispatch->Detach();
  bindHost_->Detach();
  // Downloads in flight stop delivering.
  for (const auto& download : std::exchange(downloads_, {})) download->Detach();
  if (FOleObject) FOleObject->Close(OLECLOSE_NOSAVE);
  DestroyControl();
  DestroyStorage();
  FPersistStream.Reset();
  if (FOleObject) FOleObject->SetClientSite(nullptr);
  FOleInPlaceActiveObject.Reset();
  FOleInPlaceObject.Reset();
  FOleInPlaceObjectWindowless.Reset();
  FViewObject.Reset();
  FOleWindow.Reset();
  FControlInterface.Reset();
  FOleObject.Reset();
  site_->Detach();
  site_.Reset();
  bindHost_.Reset();
  FEventDispatch.Reset();
  if (--FControlData->InstanceCount == 0) DestroyEnumPropDescs();
  TvtFlashDriverActiveX::FreeBuffer();
}

TComPtr<IvtFlashPlayer> TvtFlashDriverActiveX::GetControlInterface() {
  CreateControl();
  return FControlInterface;
}

TComPtr<IDispatch> TvtFlashDriverActiveX::GetDefaultDispatch() {
  CreateControl();
  TComPtr<IDispatch> dispatch;
  if (!FOleObject || FAILED(Query(FOleObject.Get(), IID_IDispatch, dispatch)) || !dispatch)
    throw vcl::EIntfCastError(L"The control does not support IDispatch");
  return dispatch;
}

void TvtFlashDriverActiveX::GetOleObject(VARIANT& Result) {
  TComPtr<IDispatch> dispatch = GetDefaultDispatch();
  VariantClear(&Result);
  Result.vt = VT_DISPATCH;
  Result.pdispVal = dispatch.Get();
  dispatch.Get()->AddRef();
}

HRESULT STDMETHODCALLTYPE TvtFlashDriverActiveX::QueryInterface(REFIID riid, void** ppv) {
  if (TvtFlashDriver::QueryInterface(riid, ppv) == S_OK || SiteQueryInterface(riid, ppv) == S_OK) return S_OK;
  // The bind host and moniker are the driver's too, though another object.
  return BindHostQueryInterface(riid, ppv);
}

HRESULT TvtFlashDriverActiveX::SiteQueryInterface(REFIID Iid, void** Object) {
  return site_->QueryInterface(Iid, Object);
}

HRESULT TvtFlashDriverActiveX::BindHostQueryInterface(REFIID Iid, void** Object) {
  return bindHost_->QueryInterface(Iid, Object);
}

ULONG TvtFlashDriverActiveX::SiteRefCount() const { return site_->RefCount() + FEventDispatch->RefCount() - 2; }

void TvtFlashDriverActiveX::SetName(const std::wstring& NewName) {
  TvtFlashDriver::SetName(NewName);
  if (FOleControl) FOleControl->OnAmbientPropertyChange(DISPID_AMBIENT_DISPLAYNAME);
}

HRESULT TvtFlashDriverActiveX::OnChanged(DISPID) { return S_OK; }
HRESULT TvtFlashDriverActiveX::OnRequestEdit(DISPID) { return S_OK; }

bool TvtFlashDriverActiveX::SuppressException(const std::exception& E) {
  return dynamic_cast<const vcl::EOleSysError*>(&E) != nullptr;
}

}  // namespace vt
