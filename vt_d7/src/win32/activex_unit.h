#pragma once
// What the ActiveX driver's files share: control creation, the OLE site and
// the event sink (each a COM object of its own that holds a plain pointer to
// its driver, cleared when the driver goes), and the HRESULT check.

#include <windows.h>
#include <ocidl.h>
#include <urlmon.h>

#include "vt_d7/Vt_driver_activex.h"

namespace vt {

// CoCreateInstance of FlashControlData.ClassId (in-process or local server)
// for IOleObject.
HRESULT CreateFlashControl(IOleObject** Object);

// Raises EOleException for a failure result, with the control's description
// when Info carries one.
void OleCheck(HRESULT Result, const EXCEPINFO* Info = nullptr);

// GetWindow answers differently by view: the windowless site lends the
// player's window once during a right-button press, every other view has
// none. A class deriving from several of these chains overrides the other
// methods once for all of them; these parts give each chain its own
// GetWindow.
class TWindowlessSitePart : public IOleInPlaceSiteWindowless {
 public:
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* Window) final { return WindowlessGetWindow(Window); }

 protected:
  virtual HRESULT WindowlessGetWindow(HWND* Window) = 0;
};

class TInPlaceSitePart : public IOleInPlaceSite {
 public:
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* Window) final;
};

class TFramePart : public IOleInPlaceFrame {
 public:
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* Window) final;
};

// The container the control lives in: client site, control site, in-place
// site (windowless), frame, ambient properties, property-change sink and
// service provider, all views of one object. Its reference count is its own:
// the driver holds one reference and detaches at destruction, after which
// the site answers E_UNEXPECTED where it would need the driver.
class TActiveXSite final : public TComRefCount,
                           public IOleClientSite,
                           public IOleControlSite,
                           public TWindowlessSitePart,
                           public TInPlaceSitePart,
                           public TFramePart,
                           public IDispatch,
                           public IPropertyNotifySink,
                           public IServiceProvider {
 public:
  explicit TActiveXSite(TvtFlashDriverActiveX* Driver) : driver_(Driver) {}
  void Detach() { driver_ = nullptr; }

  // IUnknown (every view)
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD, DWORD, IMoniker** Moniker) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** Container) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override { return S_OK; }

  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** Control) override;
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* Himetric, POINTF* Container, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG*, DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override { return E_NOTIMPL; }

  // IOleWindow (all views)
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return S_OK; }

  // IOleInPlaceUIWindow, IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* Object, LPCOLESTR) override;
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** Frame, IOleInPlaceUIWindow** Doc, LPRECT Pos,
                                             LPRECT Clip, LPOLEINPLACEFRAMEINFO Info) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT Pos) override;

  // IOleInPlaceSiteEx
  HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* NoRedraw, DWORD Flags) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE RequestUIActivate() override { return S_OK; }

  // IOleInPlaceSiteWindowless
  HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCapture() override { return S_FALSE; }
  HRESULT STDMETHODCALLTYPE SetCapture(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetFocus() override { return S_OK; }
  HRESULT STDMETHODCALLTYPE SetFocus(BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetDC(LPCRECT, DWORD, HDC* DC) override;
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT Rect, BOOL Erase) override;
  HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE ScrollRect(INT, INT, LPCRECT, LPCRECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return S_OK; }

  // IDispatch: the ambient properties
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** Info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID DispId, REFIID, LCID, WORD Flags, DISPPARAMS*, VARIANT* Result,
                                   EXCEPINFO*, UINT*) override;

  // IPropertyNotifySink
  HRESULT STDMETHODCALLTYPE OnChanged(DISPID DispId) override;
  HRESULT STDMETHODCALLTYPE OnRequestEdit(DISPID DispId) override;

  // IServiceProvider: the bind host (and its moniker) come from the driver's
  // bind host; every other service is answered like QueryInterface.
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID Service, REFIID Iid, void** Object) override;

 protected:
  HRESULT WindowlessGetWindow(HWND* Window) override;

 private:
  // Collects the control's in-place interfaces (OnInPlaceActivate[Ex]).
  void CollectInPlaceInterfaces(bool WithWindow);

  TvtFlashDriverActiveX* driver_;
};

// The driver's bind host and moniker, which the control finds through the
// site's QueryService: CreateMoniker resolves a name and hands out this
// object's moniker, whose BindToStorage delivers the data. Its reference
// count is its own; once its driver is gone it serves nothing.
class TBindHost final : public TComRefCount, public IBindHost, public IMoniker {
 public:
  explicit TBindHost(TvtFlashDriverActiveX* Driver) : driver_(Driver) {}
  void Detach() { driver_ = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }

  // IBindHost
  HRESULT STDMETHODCALLTYPE CreateMoniker(LPOLESTR Name, IBindCtx*, IMoniker** Moniker, DWORD) override;
  HRESULT STDMETHODCALLTYPE MonikerBindToStorage(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                                 void**) override {
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE MonikerBindToObject(IMoniker*, IBindCtx*, IBindStatusCallback*, REFIID,
                                                void**) override {
    return S_OK;
  }

  // IPersist, IPersistStream
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsDirty() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Load(IStream*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Save(IStream*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }

  // IMoniker
  HRESULT STDMETHODCALLTYPE BindToObject(IBindCtx*, IMoniker*, REFIID, void** Result) override;
  HRESULT STDMETHODCALLTYPE BindToStorage(IBindCtx* Context, IMoniker*, REFIID, void** Object) override;
  HRESULT STDMETHODCALLTYPE Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker** Reduced) override;
  HRESULT STDMETHODCALLTYPE ComposeWith(IMoniker*, BOOL, IMoniker** Composite) override;
  HRESULT STDMETHODCALLTYPE Enum(BOOL, IEnumMoniker** Enum) override;
  HRESULT STDMETHODCALLTYPE IsEqual(IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Hash(DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Inverse(IMoniker** Inverse) override;
  HRESULT STDMETHODCALLTYPE CommonPrefixWith(IMoniker*, IMoniker** Prefix) override;
  HRESULT STDMETHODCALLTYPE RelativePathTo(IMoniker*, IMoniker** Path) override;
  HRESULT STDMETHODCALLTYPE GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker** Out) override;
  HRESULT STDMETHODCALLTYPE IsSystemMoniker(DWORD*) override { return E_NOTIMPL; }

 private:
  TvtFlashDriverActiveX* driver_;
};

// Stands between the URL moniker library and the control's own status
// callback for one download: passes every report on while its driver lives,
// and once detached (the driver is destroyed) aborts the binding and passes
// nothing more.
class TBindForwarder final : public TComRefCount, public IBindStatusCallback {
 public:
  explicit TBindForwarder(IBindStatusCallback* Target) : target_(TComPtr<IBindStatusCallback>::Share(Target)) {}
  // Safe twice and from inside a report.
  void Detach();
  // Still passing reports on: not detached, and the binding has not ended.
  bool Active() const { return static_cast<bool>(target_); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD Reserved, IBinding* Binding) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* Priority) override;
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD Reserved) override;
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG Progress, ULONG ProgressMax, ULONG StatusCode,
                                       LPCWSTR StatusText) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT Result, LPCWSTR Error) override;
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* BindFlags, BINDINFO* BindInfo) override;
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD Flags, DWORD Size, FORMATETC* Format,
                                            STGMEDIUM* Medium) override;
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID Iid, IUnknown* Object) override;

 private:
  TComPtr<IBindStatusCallback> target_;
  TComPtr<IBinding> binding_;
};

// The URL moniker library, loaded at first use and kept for the process.
HMODULE UrlMonikerLibrary();

// The sink of the control's events. Its reference count is its own; once its
// driver is gone every event is answered S_OK and dropped.
class TEventDispatch final : public TComRefCount, public IDispatch {
 public:
  explicit TEventDispatch(TvtFlashDriverActiveX* Driver) : FDriver(Driver) {}
  void Detach() { FDriver = nullptr; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* Count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** Info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID DispId, REFIID, LCID, WORD, DISPPARAMS* Params, VARIANT*, EXCEPINFO*,
                                   UINT*) override;

 private:
  TvtFlashDriverActiveX* FDriver;
};

}  // namespace vt
