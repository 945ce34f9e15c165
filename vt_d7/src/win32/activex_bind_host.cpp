// The COM faces of the ActiveX driver's loading: the bind host and moniker
// the control asks for its data, and the forwarder that carries a URL
// download's reports to the control only while the driver lives. Thin
// entries: the driver does the work (activex_loading.cpp).
#include "activex_unit.h"
#include "renderers/com/com_call.h"

namespace vt {

namespace {

template <class I>
HRESULT NoMoniker(I** Out) {
  if (Out) *Out = nullptr;
  return E_NOTIMPL;
}

}  // namespace

HRESULT STDMETHODCALLTYPE TBindHost::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  *Object = nullptr;
  if (Iid == IID_IUnknown || Iid == IID_IBindHost)
    *Object = static_cast<IBindHost*>(this);
  else if (Iid == IID_IMoniker || Iid == IID_IPersistStream || Iid == IID_IPersist)
    *Object = static_cast<IMoniker*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TBindHost::CreateMoniker(LPOLESTR Name, IBindCtx*, IMoniker** Moniker, DWORD) {
  if (!Moniker) return E_POINTER;
  *Moniker = nullptr;
  if (!driver_) return E_NOTIMPL;
  TvtFlashDriverActiveX* driver = driver_;
  return ComCall([&] { return driver->CreateMoniker(Name ? Name : L"", Moniker); });
}

HRESULT STDMETHODCALLTYPE TBindHost::BindToObject(IBindCtx*, IMoniker*, REFIID, void** Result) {
  if (Result) *Result = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TBindHost::BindToStorage(IBindCtx* Context, IMoniker*, REFIID, void** Object) {
  if (Object) *Object = nullptr;
  if (!driver_) return E_FAIL;
  // Held: the driver may go from inside a delivery.
  const TComPtr<TBindHost> self = TComPtr<TBindHost>::Share(this);
  TvtFlashDriverActiveX* driver = driver_;
  return ComCall([&] { return driver->BindToStorage(Context, Object); });
}

HRESULT STDMETHODCALLTYPE TBindHost::Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker** Reduced) {
  return NoMoniker(Reduced);
}
HRESULT STDMETHODCALLTYPE TBindHost::ComposeWith(IMoniker*, BOOL, IMoniker** Composite) {
  return NoMoniker(Composite);
}
HRESULT STDMETHODCALLTYPE TBindHost::Enum(BOOL, IEnumMoniker** Enum) { return NoMoniker(Enum); }
HRESULT STDMETHODCALLTYPE TBindHost::Inverse(IMoniker** Inverse) { return NoMoniker(Inverse); }
HRESULT STDMETHODCALLTYPE TBindHost::CommonPrefixWith(IMoniker*, IMoniker** Prefix) { return NoMoniker(Prefix); }
HRESULT STDMETHODCALLTYPE TBindHost::RelativePathTo(IMoniker*, IMoniker** Path) { return NoMoniker(Path); }
HRESULT STDMETHODCALLTYPE TBindHost::ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker** Out) {
  return NoMoniker(Out);
}

// ---- the forwarder of a download ----

void TBindForwarder::Detach() {
  const TComPtr<TBindForwarder> self = TComPtr<TBindForwarder>::Share(this);
  target_.Reset();
  // Aborting may report the end of the binding at once; nothing is passed on
  // by then.
  TComPtr<IBinding> binding = std::move(binding_);
  if (binding) binding->Abort();
}

HRESULT STDMETHODCALLTYPE TBindForwarder::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  if (Iid == IID_IUnknown || Iid == IID_IBindStatusCallback) {
    *Object = static_cast<IBindStatusCallback*>(this);
    AddRef();
    return S_OK;
  }
  *Object = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TBindForwarder::OnStartBinding(DWORD Reserved, IBinding* Binding) {
  const TComPtr<IBindStatusCallback> target = target_;
  if (!target) {
    // Detached before the library started: this binding is not wanted.
    if (Binding) Binding->Abort();
    return S_OK;
  }
  binding_ = TComPtr<IBinding>::Share(Binding);
  return target->OnStartBinding(Reserved, Binding);
}

HRESULT STDMETHODCALLTYPE TBindForwarder::GetPriority(LONG* Priority) {
  const TComPtr<IBindStatusCallback> target = target_;
  return target ? target->GetPriority(Priority) : E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TBindForwarder::OnLowResource(DWORD Reserved) {
  const TComPtr<IBindStatusCallback> target = target_;
  return target ? target->OnLowResource(Reserved) : S_OK;
}

HRESULT STDMETHODCALLTYPE TBindForwarder::OnProgress(ULONG Progress, ULONG ProgressMax, ULONG StatusCode,
                                                     LPCWSTR StatusText) {
  const TComPtr<IBindStatusCallback> target = target_;
  return target ? target->OnProgress(Progress, ProgressMax, StatusCode, StatusText) : S_OK;
}

HRESULT STDMETHODCALLTYPE TBindForwarder::OnStopBinding(HRESULT Result, LPCWSTR Error) {
  const TComPtr<IBindStatusCallback> target = std::move(target_);
  binding_.Reset();
  return target ? target->OnStopBinding(Result, Error) : S_OK;
}

HRESULT STDMETHODCALLTYPE TBindForwarder::GetBindInfo(DWORD* BindFlags, BINDINFO* BindInfo) {
  const TComPtr<IBindStatusCallback> target = target_;
  return target ? target->GetBindInfo(BindFlags, BindInfo) : E_FAIL;
}

HRESULT STDMETHODCALLTYPE TBindForwarder::OnDataAvailable(DWORD Flags, DWORD Size, FORMATETC* Format,
                                                          STGMEDIUM* Medium) {
  const TComPtr<IBindStatusCallback> target = target_;
  return target ? target->OnDataAvailable(Flags, Size, Format, Medium) : E_ABORT;
}

HRESULT STDMETHODCALLTYPE TBindForwarder::OnObjectAvailable(REFIID Iid, IUnknown* Object) {
  const TComPtr<IBindStatusCallback> target = target_;
  return target ? target->OnObjectAvailable(Iid, Object) : S_OK;
}

}  // namespace vt
