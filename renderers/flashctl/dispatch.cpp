// IDispatch through the control's own type library (its TYPELIB resource,
// loaded from the module's path without registering), IProvideClassInfo,
// and the container's ambient properties.
#include <olectl.h>

#include "renderers/com/com_call.h"
#include "renderers/com/dispatch_call.h"
#include "renderers/flashctl/control.h"
#include "renderers/flashctl/module.h"

namespace flashctl {

HRESULT FlashControl::LoadTypeInfo() {
  if (vtableInfo_) return S_OK;
  vt::TComPtr<ITypeLib> library;
  HRESULT hr = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, library.Receive());
  if (FAILED(hr)) return hr;
  vt::TComPtr<ITypeInfo> info, vtable;
  hr = library->GetTypeInfoOfGuid(IID_IvtFlashPlayer, info.Receive());
  if (FAILED(hr)) return hr;
  // A dual interface comes as its dispinterface; calls go through the vtable half.
  TYPEATTR* attr = nullptr;
  hr = info->GetTypeAttr(&attr);
  if (FAILED(hr)) return hr;
  const bool dispatchKind = attr->typekind == TKIND_DISPATCH;
  info->ReleaseTypeAttr(attr);
  if (dispatchKind) {
    HREFTYPE ref = 0;
    hr = info->GetRefTypeOfImplType(-1, &ref);
    if (SUCCEEDED(hr)) hr = info->GetRefTypeInfo(ref, vtable.Receive());
    if (FAILED(hr)) return hr;
  } else {
    vtable = info;
  }
  typeLib_ = std::move(library);
  dispatchInfo_ = std::move(info);
  vtableInfo_ = std::move(vtable);
  return S_OK;
}

HRESULT FlashControl::GetTypeInfoCount(UINT* Count) {
  if (!Count) return E_POINTER;
  *Count = 1;
  return S_OK;
}

HRESULT FlashControl::GetTypeInfo(UINT Index, LCID, ITypeInfo** Info) {
  if (!Info) return E_POINTER;
  *Info = nullptr;
  if (Index != 0) return DISP_E_BADINDEX;
  return vt::ComCall([&]() -> HRESULT {
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    *Info = dispatchInfo_.Get();
    (*Info)->AddRef();
    return S_OK;
  });
}

HRESULT FlashControl::GetIDsOfNames(REFIID Riid, LPOLESTR* Names, UINT Count, LCID, DISPID* Ids) {
  if (Riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (!Names || !Ids) return E_POINTER;
  return vt::ComCall([&]() -> HRESULT {
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(vtableInfo_.Get(), Names, Count, Ids);
  });
}

HRESULT FlashControl::Invoke(DISPID Id, REFIID Riid, LCID, WORD Flags, DISPPARAMS* Params, VARIANT* Result,
                             EXCEPINFO* Excep, UINT* ArgErr) {
  if (Riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    DISPPARAMS none{};
    return DispInvoke(static_cast<IvtFlashPlayer*>(this), vtableInfo_.Get(), Id, Flags, Params ? Params : &none,
                      Result, Excep, ArgErr);
  });
}

HRESULT FlashControl::GetClassInfo(ITypeInfo** Info) {
  if (!Info) return E_POINTER;
  *Info = nullptr;
  return vt::ComCall([&]() -> HRESULT {
    const HRESULT hr = LoadTypeInfo();
    if (FAILED(hr)) return hr;
    return typeLib_->GetTypeInfoOfGuid(CLSID_vtFlashPlayer, Info);
  });
}

void FlashControl::ReadAmbientProperties(DISPID Id) {
  if (!clientSite_) return;
  KeepAlive keep(this);
  vt::TComPtr<IDispatch> ambient;
  if (FAILED(clientSite_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(ambient.Receive()))) || !ambient)
    return;
  if (Id == DISPID_UNKNOWN || Id == DISPID_AMBIENT_USERMODE) {
    vt::TVariant v;
    if (SUCCEEDED(vt::GetDispProperty(ambient.Get(), DISPID_AMBIENT_USERMODE, &v)) &&
        SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BOOL)))
      userMode_ = v.Get().boolVal != VARIANT_FALSE;
  }
  if (Id == DISPID_UNKNOWN || Id == DISPID_AMBIENT_DISPLAYNAME) {
    vt::TVariant v;
    if (SUCCEEDED(vt::GetDispProperty(ambient.Get(), DISPID_AMBIENT_DISPLAYNAME, &v)) &&
        SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR)))
      displayName_ = vt::TBstr::BstrText(v.Get().bstrVal);
  }
}

}  // namespace flashctl
