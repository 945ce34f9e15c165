#pragma once
// The bind status callback of one request fetched through the container's
// bind host. Data may come inside BindToStorage or later through the
// message loop; either way it is read from the stream as it is announced and
// handed to the control, and OnStopBinding completes or fails the request.
// The stream is never kept past the notification that delivered it.

#include <windows.h>
#include <urlmon.h>

#include <cstdint>

#include "renderers/com/com_object.h"

namespace flashctl {

class FlashControl;

class BindCallback final : public IBindStatusCallback, public vt::TComRefCount {
 public:
  BindCallback(FlashControl* Control, uint64_t Token) : control_(Control), token_(Token) {}

  // The request is gone: notifications from now on do nothing, and a
  // binding in progress is aborted.
  void Detach();
  // OnStopBinding has come (the request is finished either way).
  bool stopped() const { return stopped_; }

  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return CountAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return CountRelease(); }
  STDMETHODIMP OnStartBinding(DWORD Reserved, IBinding* Binding) override;
  STDMETHODIMP GetPriority(LONG* Priority) override;
  STDMETHODIMP OnLowResource(DWORD Reserved) override;
  STDMETHODIMP OnProgress(ULONG Progress, ULONG ProgressMax, ULONG StatusCode, LPCWSTR StatusText) override;
  STDMETHODIMP OnStopBinding(HRESULT Result, LPCWSTR Error) override;
  STDMETHODIMP GetBindInfo(DWORD* Flags, BINDINFO* Info) override;
  STDMETHODIMP OnDataAvailable(DWORD Flags, DWORD Size, FORMATETC* Format, STGMEDIUM* Medium) override;
  STDMETHODIMP OnObjectAvailable(REFIID Riid, IUnknown* Object) override;

  // Reads Stream to its end (or until it has nothing more for now) into the
  // request; false when the request refused the data.
  bool ReadStream(IStream* Stream);

 private:
  FlashControl* control_;  // null once detached
  uint64_t token_;
  vt::TComPtr<IBinding> binding_;
  bool stopped_ = false;
};

}  // namespace flashctl
