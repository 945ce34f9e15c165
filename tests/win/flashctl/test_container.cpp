// The tests' container, event sink and bind host.
#include "tests/win/flashctl/test_container.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include <memory>

#include "tools/swfc/compile.h"

namespace flashctl_test {
namespace {

using GetClassObjectFunc = HRESULT(__stdcall*)(REFCLSID, REFIID, void**);

// Delivery jobs of the asynchronous bind host, run from a thread timer.
std::vector<std::function<void()>>& Jobs() {
  static std::vector<std::function<void()>> jobs;
  return jobs;
}

void CALLBACK RunJobs(HWND, UINT, UINT_PTR Timer, DWORD) {
  KillTimer(nullptr, Timer);
  std::vector<std::function<void()>> jobs = std::move(Jobs());
  Jobs().clear();
  for (auto& job : jobs) job();
}

void Later(std::function<void()> Job) {
  Jobs().push_back(std::move(Job));
  SetTimer(nullptr, 0, 1, RunJobs);
}

// A moniker of one in-memory file; BindToStorage drives the callback it
// finds under "_BSCB_Holder_" in the bind context.
class Moniker final : public IMoniker, public vt::TComRefCount {
 public:
  Moniker(BindHost& H, std::wstring Name) : host_(H), name_(std::move(Name)) {}
  STDMETHODIMP QueryInterface(REFIID Riid, void** Out) override {
    *Out = nullptr;
    if (Riid != IID_IUnknown && Riid != IID_IMoniker) return E_NOINTERFACE;
    *Out = static_cast<IMoniker*>(this);
    AddRef();
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return CountAddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return CountRelease(); }
  STDMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
  STDMETHODIMP IsDirty() override { return S_FALSE; }
  STDMETHODIMP Load(IStream*) override { return E_NOTIMPL; }
  STDMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  STDMETHODIMP BindToObject(IBindCtx*, IMoniker*, REFIID, void**) override { return E_NOTIMPL; }
  STDMETHODIMP Reduce(IBindCtx*, DWORD, IMoniker**, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP ComposeWith(IMoniker*, BOOL, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP Enum(BOOL, IEnumMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP IsEqual(IMoniker*) override { return S_FALSE; }
  STDMETHODIMP Hash(DWORD*) override { return E_NOTIMPL; }
  STDMETHODIMP IsRunning(IBindCtx*, IMoniker*, IMoniker*) override { return S_FALSE; }
  STDMETHODIMP GetTimeOfLastChange(IBindCtx*, IMoniker*, FILETIME*) override { return E_NOTIMPL; }
  STDMETHODIMP Inverse(IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP CommonPrefixWith(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP RelativePathTo(IMoniker*, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP GetDisplayName(IBindCtx*, IMoniker*, LPOLESTR*) override { return E_NOTIMPL; }
  STDMETHODIMP ParseDisplayName(IBindCtx*, IMoniker*, LPOLESTR, ULONG*, IMoniker**) override { return E_NOTIMPL; }
  STDMETHODIMP IsSystemMoniker(DWORD* M) override {
    *M = MKSYS_NONE;
    return S_FALSE;
  }

  STDMETHODIMP BindToStorage(IBindCtx* Ctx, IMoniker*, REFIID, void** Out) override {
    *Out = nullptr;
    TComPtr<IUnknown> holder;
    if (FAILED(Ctx->GetObjectParam(const_cast<LPOLESTR>(L"_BSCB_Holder_"), holder.Receive())))
      return E_INVALIDARG;
    auto callback = As<IBindStatusCallback>(holder.Get(), IID_IBindStatusCallback);
    if (!callback) return E_INVALIDARG;
    ++host_.callbacksFound;
    const auto file = host_.files.find(name_);
    if (file == host_.files.end()) return INET_E_RESOURCE_NOT_FOUND;
    BINDINFO info{};
    info.cbSize = sizeof info;
    callback->GetBindInfo(&host_.bindFlags, &info);
    const std::vector<uint8_t> bytes = file->second;
    const size_t piece = host_.piece ? host_.piece : bytes.size() + 1;
    auto deliver = [callback, bytes, piece] {
      callback->OnStartBinding(0, nullptr);
      callback->OnProgress(0, static_cast<ULONG>(bytes.size()), BINDSTATUS_BEGINDOWNLOADDATA, nullptr);
      // One stream; each notification announces what has been written so far.
      TComPtr<IStream> stream = TComPtr<IStream>::Adopt(SHCreateMemStream(nullptr, 0));
      size_t done = 0;
      do {
        const size_t n = std::min(piece, bytes.size() - done);
        LARGE_INTEGER zero{};
        ULARGE_INTEGER at{};
        stream->Seek(zero, STREAM_SEEK_CUR, &at);
        LARGE_INTEGER end{};
        stream->Seek(end, STREAM_SEEK_END, nullptr);
        stream->Write(bytes.data() + done, static_cast<ULONG>(n), nullptr);
        LARGE_INTEGER back{};
        back.QuadPart = static_cast<LONGLONG>(at.QuadPart);
        stream->Seek(back, STREAM_SEEK_SET, nullptr);
        done += n;
        FORMATETC format{0, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
        STGMEDIUM medium{};
        medium.tymed = TYMED_ISTREAM;
        medium.pstm = stream.Get();
        const DWORD flags = (done == n ? BSCF_FIRSTDATANOTIFICATION : BSCF_INTERMEDIATEDATANOTIFICATION) |
                            (done == bytes.size() ? BSCF_LASTDATANOTIFICATION : 0);
        if (FAILED(callback->OnDataAvailable(flags, static_cast<DWORD>(done), &format, &medium))) break;
      } while (done < bytes.size());
      callback->OnStopBinding(S_OK, nullptr);
    };
    if (host_.asynchronous) {
      Later(deliver);
      return MK_S_ASYNCHRONOUS;
    }
    deliver();
    return S_OK;  // everything came through the callback; no stream handed back
  }

 private:
  BindHost& host_;
  std::wstring name_;
};

}  // namespace

HMODULE TheModule() {
  static HMODULE module = LoadLibraryW(L"" VT_FLASHCTL_PATH);
  return module;
}

TComPtr<IvtFlashPlayer> NewControl() {
  TComPtr<IvtFlashPlayer> control;
  auto get = Export<GetClassObjectFunc>("DllGetClassObject");
  if (!get) return control;
  TComPtr<IClassFactory> factory;
  if (FAILED(get(CLSID_vtFlashPlayer, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive())))) return control;
  factory->CreateInstance(nullptr, IID_IvtFlashPlayer, reinterpret_cast<void**>(control.Receive()));
  return control;
}

ULONG RefCount(IUnknown* U) {
  U->AddRef();
  return U->Release();
}

// ---- Surface ----

Surface::Surface(int Width, int Height) : width_(Width) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = -Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<uint32_t*>(bits);
  dc_ = CreateCompatibleDC(nullptr);
  old_ = SelectObject(dc_, bitmap_);
  Fill(0);
}

Surface::~Surface() {
  SelectObject(dc_, old_);
  DeleteDC(dc_);
  DeleteObject(bitmap_);
}

uint32_t Surface::Pixel(int X, int Y) const {
  GdiFlush();
  return bits_[Y * width_ + X];
}

void Surface::Fill(uint32_t Pixel) {
  GdiFlush();
  BITMAP bm{};
  GetObjectW(bitmap_, sizeof bm, &bm);
  for (int i = 0; i < bm.bmWidth * bm.bmHeight; ++i) bits_[i] = Pixel;
}

// ---- Site ----

HRESULT Site::QueryInterface(REFIID Riid, void** Out) {
  *Out = nullptr;
  if (Riid == IID_IUnknown || Riid == IID_IOleClientSite)
    *Out = static_cast<IOleClientSite*>(this);
  else if (Riid == IID_IOleInPlaceSite || Riid == IID_IOleWindow)
    *Out = static_cast<IOleInPlaceSite*>(static_cast<IOleInPlaceSiteWindowless*>(this));
  else if (windowless && (Riid == IID_IOleInPlaceSiteEx || Riid == IID_IOleInPlaceSiteWindowless))
    *Out = static_cast<IOleInPlaceSiteWindowless*>(this);
  else if (Riid == IID_IDispatch)
    *Out = static_cast<IDispatch*>(this);
  else if (Riid == IID_IServiceProvider && bindHost)
    *Out = static_cast<IServiceProvider*>(this);
  if (Riid == IID_IOleInPlaceSiteWindowless) calls.emplace_back(*Out ? "QI IOleInPlaceSiteWindowless" : "QI refused");
  if (!*Out) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

HRESULT Site::GetMoniker(DWORD, DWORD, IMoniker** M) {
  *M = nullptr;
  return E_NOTIMPL;
}

HRESULT Site::GetContainer(IOleContainer** C) {
  *C = nullptr;
  return E_NOINTERFACE;
}

HRESULT Site::GetWindow(HWND* W) {
  *W = GetDesktopWindow();
  return S_OK;
}

HRESULT Site::GetWindowContext(IOleInPlaceFrame** F, IOleInPlaceUIWindow** D, LPRECT Pos, LPRECT Clip,
                               LPOLEINPLACEFRAMEINFO Info) {
  calls.emplace_back(Info && Info->cb == sizeof(OLEINPLACEFRAMEINFO) ? "GetWindowContext" : "GetWindowContext (no cb)");
  *F = nullptr;
  *D = nullptr;
  *Pos = pos;
  *Clip = pos;
  return S_OK;
}

HRESULT Site::OnInPlaceActivateEx(BOOL* NoRedraw, DWORD Flags) {
  if (NoRedraw) *NoRedraw = FALSE;
  return Note(Flags == ACTIVATE_WINDOWLESS ? "OnInPlaceActivateEx windowless" : "OnInPlaceActivateEx", S_OK);
}

HRESULT Site::InvalidateRect(LPCRECT Rect, BOOL) {
  invalidated.push_back(Rect ? *Rect : pos);
  if (surface && drawn) {
    if (auto view = As<IViewObject>(drawn, IID_IViewObject)) {
      const RECTL bounds{pos.left, pos.top, pos.right, pos.bottom};
      view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, surface->dc(), &bounds, nullptr, nullptr, 0);
    }
  }
  if (onInvalidate) onInvalidate();
  return S_OK;
}

HRESULT Site::GetTypeInfoCount(UINT* N) {
  *N = 0;
  return S_OK;
}

HRESULT Site::Invoke(DISPID Id, REFIID, LCID, WORD Flags, DISPPARAMS*, VARIANT* Result, EXCEPINFO*, UINT*) {
  calls.push_back("ambient " + std::to_string(Id));
  if (!(Flags & DISPATCH_PROPERTYGET) || !Result) return DISP_E_MEMBERNOTFOUND;
  VariantInit(Result);
  if (Id == DISPID_AMBIENT_USERMODE) {
    Result->vt = VT_BOOL;
    Result->boolVal = userMode ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  if (Id == DISPID_AMBIENT_DISPLAYNAME) {
    Result->vt = VT_BSTR;
    Result->bstrVal = SysAllocString(L"Player1");
    return S_OK;
  }
  return DISP_E_MEMBERNOTFOUND;
}

HRESULT Site::QueryService(REFGUID Service, REFIID Riid, void** Out) {
  *Out = nullptr;
  if (Service != SID_SBindHost || !bindHost) return E_NOINTERFACE;
  return bindHost->QueryInterface(Riid, Out);
}

HRESULT Site::Embed(IUnknown* Control) {
  auto object = As<IOleObject>(Control, IID_IOleObject);
  if (!object) return E_NOINTERFACE;
  drawn = Control;
  HRESULT hr = object->SetClientSite(this);
  if (FAILED(hr)) return hr;
  return object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, this, 0, nullptr, &pos);
}

// ---- EventSink ----

HRESULT EventSink::QueryInterface(REFIID Riid, void** Out) {
  *Out = nullptr;
  if (Riid != IID_IUnknown && Riid != IID_IDispatch && Riid != DIID__IvtFlashPlayerEvents) return E_NOINTERFACE;
  *Out = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

HRESULT EventSink::GetTypeInfoCount(UINT* N) {
  *N = 0;
  return S_OK;
}

HRESULT EventSink::Invoke(DISPID Id, REFIID, LCID, WORD Flags, DISPPARAMS* Params, VARIANT*, EXCEPINFO*, UINT*) {
  if (Flags != DISPATCH_METHOD || !Params) return E_INVALIDARG;
  Event e{Id, {}};
  // Automation passes the arguments last to first.
  for (UINT i = Params->cArgs; i-- > 0;) {
    vt::TVariant text;
    if (FAILED(VariantChangeType(&text, &Params->rgvarg[i], 0, VT_BSTR))) return DISP_E_TYPEMISMATCH;
    e.args.push_back(vt::TBstr::BstrText(text.Get().bstrVal));
  }
  events.push_back(e);
  if (handler) handler(e);
  return S_OK;
}

DWORD EventSink::AdviseOn(IUnknown* Control) {
  auto container = As<IConnectionPointContainer>(Control, IID_IConnectionPointContainer);
  TComPtr<IConnectionPoint> point;
  if (!container || FAILED(container->FindConnectionPoint(DIID__IvtFlashPlayerEvents, point.Receive()))) return 0;
  DWORD cookie = 0;
  point->Advise(static_cast<IDispatch*>(this), &cookie);
  return cookie;
}

std::vector<EventSink::Event> EventSink::Of(DISPID Id) const {
  std::vector<Event> out;
  for (const Event& e : events)
    if (e.id == Id) out.push_back(e);
  return out;
}

// ---- BindHost ----

HRESULT BindHost::QueryInterface(REFIID Riid, void** Out) {
  *Out = nullptr;
  if (Riid != IID_IUnknown && Riid != IID_IBindHost) return E_NOINTERFACE;
  *Out = static_cast<IBindHost*>(this);
  AddRef();
  return S_OK;
}

HRESULT BindHost::CreateMoniker(LPOLESTR Name, IBindCtx*, IMoniker** Mk, DWORD) {
  *Mk = nullptr;
  names.emplace_back(Name ? Name : L"");
  if (refuse) return MK_E_SYNTAX;
  *Mk = new Moniker(*this, names.back());
  return S_OK;
}

// ---- movies and the message loop ----

std::vector<uint8_t> MovieBytes(const std::string& Description) { return swfc::Compile(Description); }

std::wstring MovieFile(const std::string& Description, const std::wstring& Name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring folder = std::wstring(temp) + L"flashctl_tests_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring path = folder + L"\\" + Name;
  const std::vector<uint8_t> bytes = MovieBytes(Description);
  HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(f);
  return path;
}

void PumpMessages(int Milliseconds) {
  const DWORD end = GetTickCount() + static_cast<DWORD>(Milliseconds);
  while (static_cast<int>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

bool PumpUntil(const std::function<bool()>& Done, int TimeoutMs) {
  for (int waited = 0; waited < TimeoutMs; waited += 10) {
    if (Done()) return true;
    PumpMessages(10);
  }
  return Done();
}

}  // namespace flashctl_test

namespace flashctl_test {
namespace {

// COM on the tests' thread (an apartment of its own, as containers have).
class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { OleInitialize(nullptr); }
  void TearDown() override { OleUninitialize(); }
};

[[maybe_unused]] const auto* g_ole = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

}  // namespace
}  // namespace flashctl_test
