// The OLE site the control lives in: what every container method answers,
// the in-place activation the control runs through it, and the ambient
// properties. Nothing here raises: each method returns its HRESULT.
#include <algorithm>
#include <cmath>

#include "activex_unit.h"
#include "framework/Forms.h"

namespace vt {

namespace {

constexpr RECT kUnboundedClip{0, 0, 32767, 32767};
constexpr DWORD kHimetricToContainer = 4;  // XFORMCOORDS_HIMETRICTOCONTAINER

template <class I, class T>
void* View(T* Object) {
  return static_cast<I*>(Object);
}

// The screen's logical pixels per inch (vertical).
int ScreenPixelsPerInch() {
  HDC screen = ::GetDC(nullptr);
  const int ppi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  return ppi > 0 ? ppi : 96;
}

void SetBool(VARIANT* V, bool B) {
  V->vt = VT_BOOL;
  V->boolVal = B ? VARIANT_TRUE : VARIANT_FALSE;
}

}  // namespace

HRESULT STDMETHODCALLTYPE TInPlaceSitePart::GetWindow(HWND* Window) {
  if (!Window) return E_POINTER;
  *Window = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TFramePart::GetWindow(HWND* Window) {
  if (!Window) return E_POINTER;
  *Window = nullptr;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  *Object = nullptr;
  if (Iid == IID_IServiceProvider)
    *Object = View<IServiceProvider>(this);
  else if (Iid == IID_IPropertyNotifySink)
    *Object = View<IPropertyNotifySink>(this);
  else if (Iid == IID_IOleInPlaceUIWindow || Iid == IID_IOleInPlaceFrame)
    *Object = View<IOleInPlaceFrame>(static_cast<TFramePart*>(this));
  else if (Iid == IID_IDispatch)
    *Object = View<IDispatch>(this);
  else if (Iid == IID_IOleInPlaceSiteWindowless)
    *Object = View<IOleInPlaceSiteWindowless>(static_cast<TWindowlessSitePart*>(this));
  else if (Iid == IID_IOleInPlaceSite || Iid == IID_IOleWindow)
    *Object = View<IOleInPlaceSite>(static_cast<TInPlaceSitePart*>(this));
  else if (Iid == IID_IOleControlSite)
    *Object = View<IOleControlSite>(this);
  else if (Iid == IID_IOleClientSite || Iid == IID_IUnknown)
    *Object = View<IOleClientSite>(this);
  // IOleInPlaceSiteEx is reached only through IOleInPlaceSiteWindowless.
  if (!*Object) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::QueryService(REFGUID Service, REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  *Object = nullptr;
  if (Service == SID_SBindHost || Iid == IID_IBindHost) {
    if (!driver_) return E_NOINTERFACE;
    return driver_->BindHostQueryInterface(Iid == IID_IUnknown ? IID_IBindHost : Iid, Object);
  }
  return QueryInterface(Iid, Object);
}

// ---- client site and control site ----

HRESULT STDMETHODCALLTYPE TActiveXSite::GetMoniker(DWORD, DWORD, IMoniker** Moniker) {
  if (Moniker) *Moniker = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::GetContainer(IOleContainer** Container) {
  if (Container) *Container = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::GetExtendedControl(IDispatch** Control) {
  if (Control) *Control = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::TransformCoords(POINTL* Himetric, POINTF* Container, DWORD Flags) {
  if (!Himetric || !Container) return E_POINTER;
  const int ppi = ScreenPixelsPerInch();
  if (Flags & kHimetricToContainer) {
    Container->x = static_cast<float>(MulDiv(Himetric->x, ppi, 2540));
    Container->y = static_cast<float>(MulDiv(Himetric->y, ppi, 2540));
  } else {
    // Rounded to the nearest integer, halves to the even neighbour.
    Himetric->x = static_cast<LONG>(std::nearbyint(double(Container->x) * 2540 / ppi));
    Himetric->y = static_cast<LONG>(std::nearbyint(double(Container->y) * 2540 / ppi));
  }
  return S_OK;
}

// ---- windows: only the windowless site lends one, once ----

HRESULT TActiveXSite::WindowlessGetWindow(HWND* Window) {
  if (!Window) return E_POINTER;
  *Window = nullptr;
  if (!driver_ || !driver_->FLendParentWindow) return E_FAIL;
  driver_->FLendParentWindow = false;
  *Window = driver_->GetParentHandle();
  return *Window ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::SetActiveObject(IOleInPlaceActiveObject* Object, LPCOLESTR) {
  if (!driver_) return E_UNEXPECTED;
  driver_->FOleInPlaceActiveObject = TComPtr<IOleInPlaceActiveObject>::Share(Object);
  return S_OK;
}

// ---- in-place activation ----

void TActiveXSite::CollectInPlaceInterfaces(bool WithWindow) {
  IOleObject* control = driver_->FOleObject.Get();
  if (!control) return;
  // Each interface the control lacks stays nil.
  control->QueryInterface(IID_IOleInPlaceObject,
                          reinterpret_cast<void**>(driver_->FOleInPlaceObject.Receive()));
  control->QueryInterface(IID_IOleInPlaceActiveObject,
                          reinterpret_cast<void**>(driver_->FOleInPlaceActiveObject.Receive()));
  control->QueryInterface(IID_IOleInPlaceObjectWindowless,
                          reinterpret_cast<void**>(driver_->FOleInPlaceObjectWindowless.Receive()));
  control->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(driver_->FViewObject.Receive()));
  if (WithWindow) control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(driver_->FOleWindow.Receive()));
}

HRESULT STDMETHODCALLTYPE TActiveXSite::OnInPlaceActivate() {
  if (!driver_) return E_UNEXPECTED;
  CollectInPlaceInterfaces(false);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::OnInPlaceActivateEx(BOOL*, DWORD) {
  if (!driver_) return E_UNEXPECTED;
  CollectInPlaceInterfaces(true);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::OnInPlaceDeactivate() {
  if (!driver_) return S_OK;
  driver_->FOleInPlaceActiveObject.Reset();
  driver_->FOleInPlaceObject.Reset();
  driver_->FOleInPlaceObjectWindowless.Reset();
  driver_->FViewObject.Reset();
  driver_->FOleWindow.Reset();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::GetWindowContext(IOleInPlaceFrame** Frame, IOleInPlaceUIWindow** Doc,
                                                         LPRECT Pos, LPRECT Clip, LPOLEINPLACEFRAMEINFO Info) {
  if (Frame) *Frame = nullptr;
  if (Doc) *Doc = nullptr;
  if (!Frame || !Pos || !Clip) return E_POINTER;
  if (!driver_) return E_UNEXPECTED;
  *Frame = static_cast<TFramePart*>(this);
  AddRef();
  *Pos = RECT{0, 0, driver_->FWidth, driver_->FHeight};
  *Clip = kUnboundedClip;
  if (Info) {
    // The size field stays as the control gave it.
    Info->fMDIApp = FALSE;
    Info->hwndFrame = nullptr;
    Info->haccel = nullptr;
    Info->cAccelEntries = 0;
  }
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::DeactivateAndUndo() {
  if (driver_ && driver_->FOleInPlaceObject) driver_->FOleInPlaceObject->UIDeactivate();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::OnPosRectChange(LPCRECT Pos) {
  if (!Pos) return E_POINTER;
  // The control gets the position it asked for.
  if (driver_ && driver_->FOleInPlaceObject) driver_->FOleInPlaceObject->SetObjectRects(Pos, &kUnboundedClip);
  return S_OK;
}

// ---- windowless drawing ----

HRESULT STDMETHODCALLTYPE TActiveXSite::GetDC(LPCRECT, DWORD, HDC* DC) {
  if (!DC) return E_POINTER;
  *DC = driver_ ? driver_->FDC : nullptr;
  return *DC ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::InvalidateRect(LPCRECT Rect, BOOL) {
  // A driver being destroyed paints nothing and calls its player no more.
  if (!driver_ || driver_->Destroying()) return S_OK;
  TvtFlashDriverActiveX* driver = driver_;
  // A copy is clamped: the control's own rectangle is never written.
  vcl::TRect r = vcl::Rect(0, 0, driver->FWidth, driver->FHeight);
  if (Rect)
    r = vcl::Rect(Rect->left, Rect->top, std::min<LONG>(Rect->right, driver->FWidth),
                  std::min<LONG>(Rect->bottom, driver->FHeight));
  const std::weak_ptr<char> alive = driver->AliveLink();
  try {
    driver->Repaint(r);
  } catch (...) {
    // The player's paint failed: the application hears of it, not the
    // control.
    vcl::Application()->HandleException(alive.expired() ? nullptr : driver);
    return E_FAIL;
  }
  return S_OK;
}

// ---- ambient properties ----

HRESULT STDMETHODCALLTYPE TActiveXSite::GetTypeInfoCount(UINT* Count) {
  if (!Count) return E_POINTER;
  *Count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::GetTypeInfo(UINT, LCID, ITypeInfo** Info) {
  if (Info) *Info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TActiveXSite::Invoke(DISPID DispId, REFIID, LCID, WORD Flags, DISPPARAMS*,
                                               VARIANT* Result, EXCEPINFO*, UINT*) {
  if (!(Flags & DISPATCH_PROPERTYGET) || !Result) return DISP_E_MEMBERNOTFOUND;
  try {
    switch (DispId) {
      case DISPID_AMBIENT_DISPLAYNAME: {
        if (!driver_) return DISP_E_MEMBERNOTFOUND;
        const std::wstring& name = driver_->Name();
        Result->vt = VT_BSTR;
        Result->bstrVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
        if (!Result->bstrVal) {
          Result->vt = VT_EMPTY;
          return E_OUTOFMEMORY;
        }
        return S_OK;
      }
      case DISPID_AMBIENT_LOCALEID:
        Result->vt = VT_I4;
        Result->lVal = static_cast<LONG>(GetUserDefaultLCID());
        return S_OK;
      case DISPID_AMBIENT_MESSAGEREFLECT:
      case DISPID_AMBIENT_USERMODE:
      case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      case DISPID_AMBIENT_AUTOCLIP: SetBool(Result, true); return S_OK;
      case DISPID_AMBIENT_UIDEAD: SetBool(Result, driver_ && driver_->IsDesigning()); return S_OK;
      case DISPID_AMBIENT_SHOWGRABHANDLES:
      case DISPID_AMBIENT_SHOWHATCHING: SetBool(Result, false); return S_OK;
      default: return DISP_E_MEMBERNOTFOUND;
    }
  } catch (...) {
    return E_FAIL;
  }
}

// ---- property changes ----

HRESULT STDMETHODCALLTYPE TActiveXSite::OnChanged(DISPID DispId) {
  try {
    return driver_ ? driver_->OnChanged(DispId) : S_OK;
  } catch (...) {
    return S_OK;
  }
}

HRESULT STDMETHODCALLTYPE TActiveXSite::OnRequestEdit(DISPID DispId) {
  try {
    return driver_ ? driver_->OnRequestEdit(DispId) : S_OK;
  } catch (...) {
    return S_OK;
  }
}

}  // namespace vt
