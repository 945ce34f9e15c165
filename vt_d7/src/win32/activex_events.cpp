// The control's events: the sink the control's connection point calls, the
// routing of each event to its slot with the arguments in declared order,
// and the two slots that raise the player's FSCommand and FlashCall events.
#include <optional>

#include "activex_unit.h"
#include "framework/Forms.h"

namespace vt {

namespace {

// The variant an argument holds, by-reference variants followed.
const VARIANT* Deref(const VARIANT& V) {
  if (V.vt == (VT_VARIANT | VT_BYREF)) return V.pvarVal ? Deref(*V.pvarVal) : nullptr;
  return &V;
}

std::optional<std::wstring> AsText(const VARIANT& Arg) {
  const VARIANT* v = Deref(Arg);
  if (!v) return std::nullopt;
  if (v->vt == VT_BSTR) return TBstr::BstrText(v->bstrVal);
  if (v->vt == (VT_BSTR | VT_BYREF) && v->pbstrVal) return TBstr::BstrText(*v->pbstrVal);
  return std::nullopt;
}

std::optional<int32_t> AsInt(const VARIANT& Arg) {
  const VARIANT* v = Deref(Arg);
  if (!v) return std::nullopt;
  if (v->vt == VT_I4 || v->vt == VT_INT) return v->lVal;
  if ((v->vt == (VT_I4 | VT_BYREF) || v->vt == (VT_INT | VT_BYREF)) && v->plVal) return *v->plVal;
  return std::nullopt;
}

// The declared argument Index of the event (DISPPARAMS holds the positional
// arguments last-first, after the named ones).
const VARIANT& Argument(const DISPPARAMS& P, UINT Index) { return P.rgvarg[P.cArgs - 1 - Index]; }

}  // namespace

// ---- the sink ----

HRESULT STDMETHODCALLTYPE TEventDispatch::QueryInterface(REFIID Iid, void** Object) {
  if (!Object) return E_POINTER;
  *Object = nullptr;
  // The connection point asks for the event interface: the IDispatch view.
  if (Iid == IID_IUnknown || Iid == IID_IDispatch || Iid == FlashControlData.EventInterfaceId)
    *Object = static_cast<IDispatch*>(this);
  if (!*Object) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventDispatch::GetTypeInfoCount(UINT* Count) {
  if (!Count) return E_POINTER;
  *Count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TEventDispatch::GetTypeInfo(UINT, LCID, ITypeInfo** Info) {
  if (Info) *Info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE TEventDispatch::Invoke(DISPID DispId, REFIID, LCID, WORD, DISPPARAMS* Params, VARIANT*,
                                                 EXCEPINFO*, UINT*) {
  // The handler may free the driver, and the control may release this sink.
  const TComPtr<TEventDispatch> self = TComPtr<TEventDispatch>::Share(this);
  try {
    if (FDriver && Params) FDriver->InvokeEvent(DispId, *Params);
  } catch (...) {
    // Nothing reaches the control.
  }
  return S_OK;
}

// ---- routing ----

TvtFlashEventMethod TvtFlashDriverActiveX::GetEventMethod(DISPID DispId) const {
  const uint32_t count = FControlData ? FControlData->EventCount : 0;
  for (uint32_t i = 0; i < count; ++i) {
    if (FControlData->EventDispIds[i] != DispId) continue;
    switch (FControlData->FirstEventOffset + i) {
      case 0: return TvtFlashEventMethod(std::in_place_index<1>, FOnReadyStateChange);
      case 1: return TvtFlashEventMethod(std::in_place_index<2>, FOnProgress);
      case 2: return TvtFlashEventMethod(std::in_place_index<3>, FOnControlFSCommand);
      case 3: return TvtFlashEventMethod(std::in_place_index<4>, FOnControlFlashCall);
      default: break;
    }
  }
  return std::monostate{};
}

void TvtFlashDriverActiveX::InvokeEvent(DISPID DispId, const DISPPARAMS& Params) {
  if (destroying_) return;
  const TvtFlashEventMethod method = GetEventMethod(DispId);
  const UINT positional = Params.cArgs >= Params.cNamedArgs ? Params.cArgs - Params.cNamedArgs : 0;
  if (positional && !Params.rgvarg) return;
  // A handler may free this driver: nothing touches it afterwards.
  const std::weak_ptr<char> alive = alive_;
  try {
    if (const auto* ready = std::get_if<1>(&method); ready && *ready) {
      const auto state = positional == 1 ? AsInt(Argument(Params, 0)) : std::nullopt;
      if (state) (*ready)(this, *state);
    } else if (const auto* progress = std::get_if<2>(&method); progress && *progress) {
      const auto percent = positional == 1 ? AsInt(Argument(Params, 0)) : std::nullopt;
      if (percent) (*progress)(this, *percent);
    } else if (const auto* fs = std::get_if<3>(&method); fs && *fs) {
      if (positional != 2) return;
      const auto command = AsText(Argument(Params, 0)), args = AsText(Argument(Params, 1));
      if (command && args) (*fs)(this, *command, *args);
    } else if (const auto* call = std::get_if<4>(&method); call && *call) {
      const auto request = positional == 1 ? AsText(Argument(Params, 0)) : std::nullopt;
      if (request) (*call)(this, *request);
    }
  } catch (...) {
    // The application hears of its handler's failure; the control does not.
    vcl::Application()->HandleException(alive.expired() ? nullptr : this);
  }
}

void TvtFlashDriverActiveX::IntfFSCommand(vcl::TObject*, const std::wstring& command, const std::wstring& args) {
  DoFSCommand(command, args);
}

void TvtFlashDriverActiveX::IntfFlashPlayerFlashCall(vcl::TObject*, const std::wstring& request) {
  DoFlashCall(request);
}

}  // namespace vt
