// The control object's life and its interfaces.
#include "renderers/flashctl/control.h"

#include "renderers/flashctl/bind_callback.h"
#include "renderers/flashctl/module.h"

namespace flashctl {

FlashControl::FlashControl()
    : events_(this, DIID__IvtFlashPlayerEvents, IID_IDispatch), propertyNotify_(this, IID_IPropertyNotifySink, IID_NULL) {
  ObjectCreated();
}

FlashControl::~FlashControl() {
  StopTimer();
  // Bindings still running call nothing here any more.
  for (const auto& r : requests_)
    if (r->callback) r->callback->Detach();
  requests_.clear();
  events_.Clear();
  propertyNotify_.Clear();
  movie_.reset();
  ObjectDestroyed();
}

HRESULT FlashControl::QueryInterface(REFIID Riid, void** Out) {
  if (!Out) return E_POINTER;
  *Out = nullptr;
  if (Riid == IID_IUnknown || Riid == IID_IDispatch || Riid == IID_IvtFlashPlayer)
    *Out = static_cast<IvtFlashPlayer*>(this);
  else if (Riid == IID_IOleObject)
    *Out = static_cast<IOleObject*>(this);
  else if (Riid == IID_IOleControl)
    *Out = static_cast<IOleControl*>(this);
  else if (Riid == IID_IPersistStreamInit || Riid == IID_IPersist)
    *Out = static_cast<IPersistStreamInit*>(this);
  else if (Riid == IID_IOleInPlaceObjectWindowless || Riid == IID_IOleInPlaceObject || Riid == IID_IOleWindow)
    *Out = static_cast<IOleInPlaceObjectWindowless*>(this);
  else if (Riid == IID_IOleInPlaceActiveObject)
    *Out = static_cast<IOleInPlaceActiveObject*>(this);
  else if (Riid == IID_IViewObject || Riid == IID_IViewObject2)
    *Out = static_cast<IViewObject2*>(this);
  else if (Riid == IID_IConnectionPointContainer)
    *Out = static_cast<IConnectionPointContainer*>(this);
  else if (Riid == IID_IPerPropertyBrowsing)
    *Out = static_cast<IPerPropertyBrowsing*>(this);
  else if (Riid == IID_IProvideClassInfo)
    *Out = static_cast<IProvideClassInfo*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

bool FlashControl::transparent() const { return lstrcmpiW(props_.wmode.c_str(), L"transparent") == 0; }

}  // namespace flashctl
