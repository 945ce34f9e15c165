#pragma once
// Downloads of http: requests for the plug-in driver: one TAsyncSteam per
// request, kept in the process-wide AsyncStreams list until the unit is
// finalised. Shared by the unit's files only.
#include <windows.h>
#include <urlmon.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "renderers/com/com_object.h"
#include "netscape_unit.h"

namespace vt {

// One download: the URL moniker library reports to it, and it writes what
// arrives to the module as the NPAPI stream FNPStream. It delivers only to
// the instance it was opened for: once that instance is destroyed or
// re-created, or the driver is destroyed, it is detached (its binding
// aborted) and delivers nothing more.
class TAsyncSteam final : public vcl::TComponent, public IBindStatusCallback, private TComRefCount {
 public:
  TAsyncSteam(TvtFlashDriverNS* Driver, const std::string& Url, void* NotifyData);

  // The driver that asked; nullptr once detached.
  TvtFlashDriverNS* FDriverNS;
  NPStream FNPStream{};
  // The normalised URL; FNPStream.url points at its characters.
  const std::string FUrl;

  // Starts the transfer of DecodedUrl. False when it could not start.
  bool Start(const std::wstring& DecodedUrl);
  // Stops delivering and aborts the binding; safe twice and from inside a
  // callback.
  void Detach();
  // Still delivering to the instance it was opened for.
  bool Attached() const;
  std::wstring ClassName() const override { return L"TAsyncSteam"; }

  // IUnknown.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  // IBindStatusCallback.
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD Reserved, IBinding* Binding) override;
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* Priority) override;
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD Reserved) override;
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG Progress, ULONG ProgressMax, ULONG StatusCode,
                                       LPCWSTR StatusText) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT Result, LPCWSTR Error) override;
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* BindFlags, BINDINFO* BindInfo) override;
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD Flags, DWORD Size, FORMATETC* Format,
                                            STGMEDIUM* Medium) override;
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID riid, IUnknown* Object) override;

 private:
  ~TAsyncSteam() override;
  // Reads what the stream holds and writes it to the module, a block at a
  // time, each followed by its notification.
  void Deliver(IStream& Stream);

  std::weak_ptr<char> alive_;
  uint32_t generation_;
  TComPtr<IBinding> binding_;
  bool detached_ = false;
};

// The list: a new download takes the first empty slot or is appended.
// Returns the new download, which the list owns.
TAsyncSteam* AddAsyncStream(TvtFlashDriverNS* Driver, const std::string& Url, void* NotifyData);
// Detaches every download of Driver (its instance is going away).
void DetachAsyncStreams(const TvtFlashDriverNS* Driver);
// Detaches and lets go of every download; run when the unit is finalised. A
// download the library still holds a reference to is freed when it lets go.
void FreeAsyncStreams();

}  // namespace vt
