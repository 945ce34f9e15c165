// Notifications of a binding, passed on to the control's request.
#include "renderers/flashctl/bind_callback.h"

#include <algorithm>
#include <cstring>

#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"

namespace flashctl {
namespace {

// A reference of the callback's own while it calls the control: the control
// may drop the request (and its reference to the callback) meanwhile.
class SelfRef {
 public:
  explicit SelfRef(BindCallback* C) : c_(C) { c_->AddRef(); }
  ~SelfRef() { c_->Release(); }
  SelfRef(const SelfRef&) = delete;
  SelfRef& operator=(const SelfRef&) = delete;

 private:
  BindCallback* c_;
};

}  // namespace

void BindCallback::Detach() {
  control_ = nullptr;
  if (vt::TComPtr<IBinding> binding = std::move(binding_)) binding->Abort();
}

HRESULT BindCallback::QueryInterface(REFIID Riid, void** Out) {
  if (!Out) return E_POINTER;
  *Out = nullptr;
  if (Riid != IID_IUnknown && Riid != IID_IBindStatusCallback) return E_NOINTERFACE;
  *Out = static_cast<IBindStatusCallback*>(this);
  AddRef();
  return S_OK;
}

HRESULT BindCallback::OnStartBinding(DWORD, IBinding* Binding) {
  if (control_ && !stopped_) binding_ = vt::TComPtr<IBinding>::Share(Binding);
  return S_OK;
}

HRESULT BindCallback::GetPriority(LONG* Priority) {
  if (!Priority) return E_POINTER;
  *Priority = THREAD_PRIORITY_NORMAL;
  return S_OK;
}

HRESULT BindCallback::OnLowResource(DWORD) { return S_OK; }

HRESULT BindCallback::OnProgress(ULONG, ULONG ProgressMax, ULONG, LPCWSTR) {
  SelfRef keep(this);
  if (control_ && ProgressMax) control_->ReceiveExpectedSize(token_, ProgressMax);
  return S_OK;
}

HRESULT BindCallback::OnStopBinding(HRESULT Result, LPCWSTR) {
  SelfRef keep(this);
  binding_.Reset();
  if (stopped_) return S_OK;
  stopped_ = true;
  if (FlashControl* control = std::exchange(control_, nullptr)) control->CompleteRequest(token_, SUCCEEDED(Result));
  return S_OK;
}

HRESULT BindCallback::GetBindInfo(DWORD* Flags, BINDINFO* Info) {
  if (!Flags || !Info) return E_POINTER;
  *Flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA;
  // Only the bytes the caller says it has are ours to clear.
  const DWORD size = std::min<DWORD>(Info->cbSize, sizeof(BINDINFO));
  if (size >= sizeof(DWORD)) {
    std::memset(Info, 0, size);
    Info->cbSize = size;
  }
  return S_OK;
}

HRESULT BindCallback::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* Medium) {
  return vt::ComCall([&]() -> HRESULT {
    SelfRef keep(this);
    if (!control_ || stopped_) return S_OK;
    if (!Medium || Medium->tymed != TYMED_ISTREAM || !Medium->pstm) return S_OK;
    if (ReadStream(Medium->pstm)) return S_OK;
    // Refused (too large, or the request is gone): the binding stops here.
    if (FlashControl* control = std::exchange(control_, nullptr)) control->CompleteRequest(token_, false);
    if (vt::TComPtr<IBinding> binding = std::move(binding_)) binding->Abort();
    return E_ABORT;
  });
}

HRESULT BindCallback::OnObjectAvailable(REFIID, IUnknown*) { return S_OK; }

bool BindCallback::ReadStream(IStream* Stream) {
  uint8_t buffer[16384];
  for (;;) {
    if (!control_) return false;
    ULONG got = 0;
    const HRESULT hr = Stream->Read(buffer, sizeof buffer, &got);
    if (got > sizeof buffer) return false;
    if (got && !control_->ReceiveData(token_, buffer, got)) return false;
    // S_FALSE or nothing read: the end for now; E_PENDING: more comes later.
    if (hr != S_OK || got == 0) return hr == S_OK || hr == S_FALSE || hr == E_PENDING;
  }
}

}  // namespace flashctl
