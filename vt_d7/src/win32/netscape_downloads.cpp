// Downloads of http: requests: the URL moniker library's pull download, or,
// where the system lacks it, an asynchronous bind of a URL moniker to a
// stream; either way the data arrives through the thread's message loop and
// is written to the module as it comes.
#include "netscape_downloads.h"

#include <algorithm>
#include <vector>

namespace vt {

namespace {

constexpr char kMimeType[] = "application/x-shockwave-flash";
// What one NPP_Write of a download carries at most.
constexpr ULONG kMaxBlock = 16u << 20;
constexpr ULONG kFirstBlock = 64u << 10;

using URLOpenPullStreamWFunc = HRESULT(WINAPI*)(LPUNKNOWN, LPCWSTR, DWORD, LPBINDSTATUSCALLBACK);
using CreateURLMonikerExFunc = HRESULT(WINAPI*)(LPMONIKER, LPCWSTR, LPMONIKER*, DWORD);
using CreateAsyncBindCtxFunc = HRESULT(WINAPI*)(DWORD, IBindStatusCallback*, IEnumFORMATETC*, IBindCtx**);

template <class F>
F As(FARPROC P) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(P));
}

std::vector<TComPtr<TAsyncSteam>>& AsyncStreams() {
  static std::vector<TComPtr<TAsyncSteam>> list;
  return list;
}

// The library reports through windows of its own on this thread: once a
// download has started, it stays loaded for the process, so no report can
// arrive in unloaded code after the unit has let it go.
void KeepUrlMonikerLibrary() {
  static bool pinned = false;
  if (pinned) return;
  HMODULE module = nullptr;
  pinned = GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN, L"urlmon.dll", &module) != FALSE;
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
  const TNetscapeUnit& u = NetscapeUnit();
  if (!u.urlmon) return false;
  KeepUrlMonikerLibrary();
  if (const auto pull = As<URLOpenPullStreamWFunc>(u.urlOpenPullStream)) {
    const HRESULT hr = pull(nullptr, DecodedUrl.c_str(), 0, this);
    if (hr != E_NOTIMPL) return SUCCEEDED(hr);
  }
  return StartWithMoniker(DecodedUrl);
}

// The same contract as the pull download: an asynchronous bind context with
// this object registered, the moniker bound to a stream; the library then
// reports to this object.
bool TAsyncSteam::StartWithMoniker(const std::wstring& DecodedUrl) {
  const TNetscapeUnit& u = NetscapeUnit();
  const auto createMoniker = As<CreateURLMonikerExFunc>(GetProcAddress(u.urlmon, "CreateURLMonikerEx"));
  const auto createContext = As<CreateAsyncBindCtxFunc>(GetProcAddress(u.urlmon, "CreateAsyncBindCtx"));
  if (!createMoniker || !createContext) return false;
  TComPtr<IMoniker> moniker;
  if (FAILED(createMoniker(nullptr, DecodedUrl.c_str(), moniker.Receive(), URL_MK_UNIFORM)) || !moniker)
    return false;
  TComPtr<IBindCtx> context;
  if (FAILED(createContext(0, this, nullptr, context.Receive())) || !context) return false;
  TComPtr<IStream> stream;
  const HRESULT hr =
      moniker->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(stream.Receive()));
  return SUCCEEDED(hr);
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
