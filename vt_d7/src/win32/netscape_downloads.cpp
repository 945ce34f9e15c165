// Downloads of http: requests: the data arrives through the thread's message
// loop (StartPullDownload) and is written to the module as it comes.
#include "netscape_downloads.h"

#include <algorithm>
#include <vector>

#include "url_download.h"

namespace vt {

namespace {

constexpr char kMimeType[] = "application/x-shockwave-flash";
// What one NPP_Write of a download carries at most.
constexpr ULONG kMaxBlock = 16u << 20;
constexpr ULONG kFirstBlock = 64u << 10;

std::vector<TComPtr<TAsyncSteam>>& AsyncStreams() {
  static std::vector<TComPtr<TAsyncSteam>> list;
  return list;
}

}  // namespace

TAsyncSteam::TAsyncSteam(TvtFlashDriverNS* Driver, const std::string& Url, void* NotifyData)
    : vcl::TComponent(nullptr),
      FDriverNS(Driver),
      FUrl(Url),
      alive_(Driver->AliveLink()),
      generation_(Driver->InstanceGeneration()) {
  FNPStream.url = FUrl.c_str();
  FNPStream.notifyData = NotifyData;
}

TAsyncSteam::~TAsyncSteam() = default;

bool TAsyncSteam::Attached() const {
  return !detached_ && !alive_.expired() && FDriverNS && FDriverNS->InstanceGeneration() == generation_ &&
         FDriverNS->InstanceReady();
}

void TAsyncSteam::Detach() {
  if (detached_) return;
  detached_ = true;
  FDriverNS = nullptr;
  // Aborting may report the end of the binding at once; this object is
  // already detached then.
  const TComPtr<TAsyncSteam> self = TComPtr<TAsyncSteam>::Share(this);
  TComPtr<IBinding> binding = std::move(binding_);
  if (binding) binding->Abort();
}

bool TAsyncSteam::Start(const std::wstring& DecodedUrl) {
  return StartPullDownload(NetscapeUnit().urlmon, DecodedUrl, this);
}

HRESULT STDMETHODCALLTYPE TAsyncSteam::QueryInterface(REFIID riid, void** ppv) {
  if (!ppv) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IBindStatusCallback)) {
    *ppv = static_cast<IBindStatusCallback*>(this);
    AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE TAsyncSteam::OnStartBinding(DWORD, IBinding* Binding) {
  if (detached_) {
    // Detached before the library started: this binding is not wanted.
    if (Binding) Binding->Abort();
    return S_OK;
  }
  binding_ = TComPtr<IBinding>::Share(Binding);
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TAsyncSteam::GetPriority(LONG*) { return S_OK; }
HRESULT STDMETHODCALLTYPE TAsyncSteam::OnLowResource(DWORD) { return S_OK; }
HRESULT STDMETHODCALLTYPE TAsyncSteam::OnProgress(ULONG, ULONG, ULONG, LPCWSTR) { return S_OK; }
HRESULT STDMETHODCALLTYPE TAsyncSteam::OnObjectAvailable(REFIID, IUnknown*) { return S_OK; }

HRESULT STDMETHODCALLTYPE TAsyncSteam::GetBindInfo(DWORD* BindFlags, BINDINFO*) {
  if (BindFlags) *BindFlags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE TAsyncSteam::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM* Medium) {
  if (!Medium || Medium->tymed != TYMED_ISTREAM || !Medium->pstm) return S_OK;
  if (!Attached()) {
    Detach();
    return S_OK;
  }
  const TComPtr<TAsyncSteam> self = TComPtr<TAsyncSteam>::Share(this);
  try {
    Deliver(*Medium->pstm);
  } catch (...) {
    // The player's callbacks failed during the refresh; the library only
    // hears that the data was taken.
  }
  return S_OK;
}

void TAsyncSteam::Deliver(IStream& Stream) {
  const TModuleCall call;
  std::vector<char> block;
  ULONG want = kFirstBlock;
  for (;;) {
    // Read what is there, up to one block.
    block.resize(want);
    ULONG filled = 0;
    HRESULT hr = S_OK;
    while (filled < want) {
      ULONG got = 0;
      hr = Stream.Read(block.data() + filled, want - filled, &got);
      filled += got;
      if (hr != S_OK || got == 0) break;
    }
    if (filled == 0) break;
    const NPPluginFuncs& f = NetscapeUnit().pluginFuncs;
    TvtFlashDriverNS* driver = FDriverNS;
    if (f.write) f.write(&driver->FInstance, &FNPStream, 0, static_cast<int32_t>(filled), block.data());
    if (!Attached()) return;
    if (f.urlnotify) f.urlnotify(&driver->FInstance, FUrl.c_str(), NPRES_DONE, FNPStream.notifyData);
    if (!Attached()) return;
    // More may be waiting: the next block may be larger.
    if (filled < want || hr != S_OK) break;
    want = std::min(kMaxBlock, want * 2);
  }
  block = {};
  FDriverNS->RefreshWindow();
}

HRESULT STDMETHODCALLTYPE TAsyncSteam::OnStopBinding(HRESULT Result, LPCWSTR) {
  binding_.Reset();
  if (FAILED(Result) || !Attached()) return S_OK;
  const TComPtr<TAsyncSteam> self = TComPtr<TAsyncSteam>::Share(this);
  try {
    const TModuleCall call;
    const NPPluginFuncs& f = NetscapeUnit().pluginFuncs;
    TvtFlashDriverNS* driver = FDriverNS;
    if (f.urlnotify) f.urlnotify(&driver->FInstance, FUrl.c_str(), NPRES_DONE, FNPStream.notifyData);
    if (!Attached()) return S_OK;
    if (f.destroystream) f.destroystream(&driver->FInstance, &FNPStream, NPRES_DONE);
  } catch (...) {
  }
  return S_OK;
}

TAsyncSteam* AddAsyncStream(TvtFlashDriverNS* Driver, const std::string& Url, void* NotifyData) {
  auto& list = AsyncStreams();
  auto slot = std::find_if(list.begin(), list.end(), [](const auto& s) { return !s; });
  if (slot == list.end()) slot = list.insert(list.end(), TComPtr<TAsyncSteam>());
  *slot = TComPtr<TAsyncSteam>::Adopt(new TAsyncSteam(Driver, Url, NotifyData));
  return slot->Get();
}

void DetachAsyncStreams(const TvtFlashDriverNS* Driver) {
  // Copies: detaching may run callbacks that add downloads.
  const std::vector<TComPtr<TAsyncSteam>> list = AsyncStreams();
  for (const auto& s : list)
    if (s && s->FDriverNS == Driver) s->Detach();
}

void FreeAsyncStreams() {
  std::vector<TComPtr<TAsyncSteam>> list = std::move(AsyncStreams());
  AsyncStreams().clear();
  for (const auto& s : list)
    if (s) s->Detach();
}

}  // namespace vt
