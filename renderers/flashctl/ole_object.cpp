// IOleObject and IOleControl: the client site, verbs, extent, status and
// ambient properties.
#include <olectl.h>

#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"

namespace flashctl {

// Activated when visible, windowless in place, wanting its site before it is loaded.
inline constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                                     OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

HRESULT FlashControl::SetClientSite(IOleClientSite* Site) {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    if (!Site && active_) InPlaceDeactivate();
    clientSite_ = vt::TComPtr<IOleClientSite>::Share(Site);
    if (Site) ReadAmbientProperties(DISPID_UNKNOWN);
    return S_OK;
  });
}

HRESULT FlashControl::GetClientSite(IOleClientSite** Site) {
  if (!Site) return E_POINTER;
  *Site = clientSite_.Get();
  if (*Site) (*Site)->AddRef();
  return S_OK;
}

HRESULT FlashControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

HRESULT FlashControl::Close(DWORD) {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    InPlaceDeactivate();
    return S_OK;
  });
}

HRESULT FlashControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

HRESULT FlashControl::GetMoniker(DWORD, DWORD, IMoniker** Mk) {
  if (!Mk) return E_POINTER;
  *Mk = nullptr;
  return E_NOTIMPL;
}

HRESULT FlashControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

HRESULT FlashControl::GetClipboardData(DWORD, IDataObject** Data) {
  if (!Data) return E_POINTER;
  *Data = nullptr;
  return E_NOTIMPL;
}

HRESULT FlashControl::DoVerb(LONG Verb, LPMSG, IOleClientSite* ActiveSite, LONG, HWND, LPCRECT) {
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    switch (Verb) {
      case OLEIVERB_PRIMARY:
      case OLEIVERB_SHOW:
      case OLEIVERB_UIACTIVATE:
      case OLEIVERB_INPLACEACTIVATE: return ActivateInPlace(ActiveSite ? ActiveSite : clientSite_.Get());
      case OLEIVERB_HIDE: return InPlaceDeactivate();
      default: return Verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
    }
  });
}

HRESULT FlashControl::EnumVerbs(IEnumOLEVERB** Verbs) {
  if (!Verbs) return E_POINTER;
  *Verbs = nullptr;
  return OLE_S_USEREG;
}

HRESULT FlashControl::Update() { return S_OK; }
HRESULT FlashControl::IsUpToDate() { return S_OK; }

HRESULT FlashControl::GetUserClassID(CLSID* Clsid) {
  if (!Clsid) return E_POINTER;
  *Clsid = CLSID_vtFlashPlayer;
  return S_OK;
}

HRESULT FlashControl::GetUserType(DWORD, LPOLESTR* Type) {
  if (!Type) return E_POINTER;
  *Type = nullptr;
  return OLE_S_USEREG;
}

HRESULT FlashControl::SetExtent(DWORD Aspect, SIZEL* Size) {
  if (!Size) return E_POINTER;
  if (Aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (Size->cx < 0 || Size->cy < 0) return E_INVALIDARG;
  if (props_.extentX != Size->cx || props_.extentY != Size->cy) dirty_ = true;
  props_.extentX = Size->cx;
  props_.extentY = Size->cy;
  return S_OK;
}

HRESULT FlashControl::GetExtent(DWORD Aspect, SIZEL* Size) {
  if (!Size) return E_POINTER;
  if (Aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  Size->cx = props_.extentX;
  Size->cy = props_.extentY;
  return S_OK;
}

HRESULT FlashControl::Advise(IAdviseSink*, DWORD* Cookie) {
  if (!Cookie) return E_POINTER;
  *Cookie = 0;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT FlashControl::Unadvise(DWORD) { return OLE_E_ADVISENOTSUPPORTED; }

HRESULT FlashControl::EnumAdvise(IEnumSTATDATA** Advises) {
  if (!Advises) return E_POINTER;
  *Advises = nullptr;
  return OLE_E_ADVISENOTSUPPORTED;
}

HRESULT FlashControl::GetMiscStatus(DWORD Aspect, DWORD* Status) {
  if (!Status) return E_POINTER;
  *Status = Aspect == DVASPECT_CONTENT ? kMiscStatus : 0;
  return S_OK;
}

HRESULT FlashControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// ---- IOleControl ----

HRESULT FlashControl::GetControlInfo(CONTROLINFO* Info) {
  if (!Info) return E_POINTER;
  Info->cb = sizeof(CONTROLINFO);
  Info->hAccel = nullptr;
  Info->cAccel = 0;
  Info->dwFlags = 0;
  return S_OK;
}

HRESULT FlashControl::OnMnemonic(MSG*) { return E_NOTIMPL; }

HRESULT FlashControl::OnAmbientPropertyChange(DISPID Id) {
  return vt::ComCall([&]() -> HRESULT {
    ReadAmbientProperties(Id);
    return S_OK;
  });
}

HRESULT FlashControl::FreezeEvents(BOOL Freeze) {
  if (Freeze)
    ++freezeCount_;
  else if (freezeCount_ > 0)
    --freezeCount_;
  return S_OK;
}

}  // namespace flashctl
