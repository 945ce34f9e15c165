// The ActiveX driver's loading against the recording fake control: the
// names and variables each load gives the control, and what the driver's
// bind host delivers for each name the control asks for, in which order,
// and what it refuses.
// Before windows.h.
#include "test_http_server.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <urlmon.h>

#include <algorithm>
#include <string>
#include <vector>

#include "activex_fake_control.h"
#include "end_to_end_support.h"
#include "netscape_stream_helpers.h"
#include "vt_d7/Vt_driver_activex.h"

namespace {

using Lines = std::vector<std::string>;
using vt::TComPtr;

const std::string kPrefix = "http://vt-d7.invalid/";

// The control's side of a bind: a status callback that logs every report
// and reads the data it is given.
class TRecordingCallback final : public vt::TComRefCount, public IBindStatusCallback {
 public:
  Lines log;
  std::string data;
  bool stopped = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID Iid, void** Object) override {
    *Object = Iid == IID_IUnknown || Iid == IID_IBindStatusCallback ? static_cast<IBindStatusCallback*>(this) : nullptr;
    if (!*Object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return CountAddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return CountRelease(); }
  // The reserved value is not logged: the system's holder of the callback
  // may pass its own.
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding* Binding) override {
    log.push_back(std::string("start") + (Binding ? " binding" : " nil"));
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG Progress, ULONG Max, ULONG Status, LPCWSTR Text) override {
    if (Status == BINDSTATUS_ENDDOWNLOADDATA)
      log.push_back("progress " + std::to_string(Progress) + "/" + std::to_string(Max) + " 6 '" +
                    vcl::WideToAnsi(Text ? Text : L"?") + "'");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT Result, LPCWSTR Error) override {
    stopped = true;
    log.push_back("stop " + std::to_string(Result) + " '" + vcl::WideToAnsi(Error ? Error : L"?") + "'");
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* Flags, BINDINFO*) override {
    *Flags = BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_PULLDATA;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD Flags, DWORD Size, FORMATETC* Format, STGMEDIUM* Medium) override {
    if (Format || !Medium || Medium->tymed != TYMED_ISTREAM) log.push_back("data in an unexpected form");
    log.push_back("data " + std::to_string(Flags) + " " + std::to_string(Size));
    char buffer[4096];
    ULONG got = 0;
    while (Medium && Medium->pstm && SUCCEEDED(Medium->pstm->Read(buffer, sizeof buffer, &got)) && got > 0)
      data.append(buffer, got);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }
};

Lines Delivered(size_t Size) {
  return {"start nil", "progress 100/100 6 ''", "data 5 " + std::to_string(Size), "stop 0 ''"};
}

class ActiveXLoading : public ::testing::Test {
 protected:
  void SetUp() override {
    driver = vt::TvtFlashDriverActiveX::Create(64, 48, 0xFF000000);
    IServiceProvider* services = nullptr;
    ASSERT_EQ(driver->SiteQueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(&services)), S_OK);
    EXPECT_EQ(services->QueryService(SID_SBindHost, IID_IBindHost, reinterpret_cast<void**>(host.Receive())), S_OK);
    services->Release();
    scope.Take();
  }

  // What the control does to fetch Name: a bind context with its callback,
  // a moniker from the host, the moniker bound. Returns both results.
  std::pair<HRESULT, HRESULT> Fetch(const std::wstring& Name, TRecordingCallback& Callback, bool Register = true) {
    TComPtr<IBindCtx> context;
    CreateBindCtx(0, context.Receive());
    if (Register) RegisterBindStatusCallback(context.Get(), &Callback, nullptr, 0);
    std::wstring name = Name;
    TComPtr<IMoniker> moniker;
    const HRESULT created = host->CreateMoniker(name.data(), context.Get(), moniker.Receive(), 0);
    if (!moniker) return {created, E_POINTER};
    IUnknown* object = reinterpret_cast<IUnknown*>(1);
    const HRESULT bound = moniker->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(&object));
    EXPECT_EQ(object, nullptr);
    return {created, bound};
  }

  vt_test::TFakeControlScope scope;
  std::unique_ptr<vt::TvtFlashDriverActiveX> driver;
  TComPtr<IBindHost> host;
};

TEST_F(ActiveXLoading, EachLoadGivesTheControlANameUnderThePrefixAndTheFlvPlayerItsVariables) {
  vcl::TMemoryStream flv, swf;
  flv.WriteBuffer("FLV\x01", 4);
  swf.WriteBuffer("FWS", 3);
  const struct {
    const char* name;
    std::function<void()> load;
    Lines calls;
    bool flvMode;
  } rows[] = {
      {"name", [&] { driver->LoadMovie(L"movie.swf"); },
       {"LoadMovie 0 " + kPrefix + "movie.swf", "OnWindowMessage 0 0 0"}, false},
      {"FLV name",
       [&] {
         driver->FSkin = L"SteelOverAll";
         driver->LoadMovie(L"C:\\v\\my.flvfiles\\clip");
       },
       {"LoadMovie 0 flvplayback.swf", "SetVariable flv.skin=SteelOverAll.swf", "SetVariable flv.volume=50",
        "SetVariable flv.contentPath=" + kPrefix + "C:/v/my.flvfiles/clip", "OnWindowMessage 0 0 0"},
       true},
      // A stream's name carries a token; no null message follows.
      {"FLV stream", [&] { driver->LoadMovieFromStream(&flv); },
       {"LoadMovie 0 flvplayback.swf", "SetVariable flv.contentPath=" + kPrefix + "<stream>00000001.flv",
        "SetVariable flv.skin=SteelOverAll.swf", "SetVariable flv.volume=50"},
       true},
      {"stream", [&] { driver->LoadMovieFromStream(&swf); }, {"LoadMovie 0 " + kPrefix + "<stream>00000002.swf"}, false},
      {"empty name", [&] { driver->LoadMovie(L""); }, {}, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    row.load();
    EXPECT_EQ(scope.Take(), row.calls);
    EXPECT_EQ(driver->FFlvMode, row.flvMode);
  }
  // A refused load raises, and sets no variable.
  scope.options.failAt = "LoadMovie";
  EXPECT_THROW(driver->LoadMovie(L"b.flv"), vcl::EOleException);
  EXPECT_EQ(scope.Take(), (Lines{"LoadMovie 0 flvplayback.swf"}));
  EXPECT_FALSE(driver->FFlvMode);
}

TEST_F(ActiveXLoading, ADriverFreedWhileItsFlvPlayerIsSetUpSetsNothingMore) {
  scope.options.onCall = [&](const std::string& Entry) {
    if (Entry.starts_with("SetVariable flv.volume")) driver.reset();
  };
  driver->LoadMovie(L"clip.flv");
  EXPECT_FALSE(driver);
  EXPECT_EQ(scope.log.back(), "destroyed");
  EXPECT_EQ(std::count_if(scope.log.begin(), scope.log.end(),
                          [](const std::string& L) { return L.starts_with("SetVariable"); }),
            2);
}

TEST_F(ActiveXLoading, StoredMoviesWinOverResourcesAndEachArrivesWholeInOneNotification) {
  TRecordingCallback callback;
  EXPECT_EQ(Fetch(L"vttestskin.swf", callback), std::make_pair(S_OK, S_OK));
  EXPECT_EQ(callback.log, Delivered(18));
  EXPECT_EQ(callback.data, "skin-from-resource");
  const vt_test::TStoredMovie stored(L"VtTestSkin.swf", "stored");
  TRecordingCallback again;
  EXPECT_EQ(Fetch(vcl::AnsiToWide(kPrefix) + L"dir/VTTESTSKIN.swf?x=1", again), std::make_pair(S_OK, S_OK));
  EXPECT_EQ(again.log, Delivered(6));
  EXPECT_EQ(again.data, "stored");
}

TEST_F(ActiveXLoading, AStreamIsServedByItsTokenAsOftenAsAskedUntilTheNextLoad) {
  vcl::TMemoryStream movie;
  movie.WriteBuffer("FWS-movie", 9);
  driver->LoadMovieFromStream(&movie);
  const std::wstring name = vcl::AnsiToWide(kPrefix) + L"<stream>00000001.swf";
  for (int i = 0; i < 2; ++i) {
    TRecordingCallback callback;
    EXPECT_EQ(Fetch(name, callback), std::make_pair(S_OK, S_OK));
    EXPECT_EQ(callback.data, "FWS-movie");
    EXPECT_EQ(movie.Position(), 9);
  }
  // Tokens of nothing, malformed ones and those of an earlier movie find no
  // source, and the control hears nothing.
  driver->LoadMovie(L"other.swf");
  for (const std::wstring& refused : {name, vcl::AnsiToWide(kPrefix) + L"<stream>0000000g.swf",
                                      vcl::AnsiToWide(kPrefix) + L"<stream>FFFFFFFF.flv"}) {
    TRecordingCallback callback;
    EXPECT_EQ(Fetch(refused, callback), std::make_pair(S_OK, E_FAIL));
    EXPECT_EQ(callback.log, Lines{});
  }
  EXPECT_EQ(driver->StreamCount(), 0u);
}

TEST_F(ActiveXLoading, RefusedNamesAndBindsWithoutACallbackOrASourceDeliverNothing) {
  const vt_test::TStoredMovie stored(L"earlier.swf", "earlier");
  TRecordingCallback callback;
  // No extension the driver serves: no moniker.
  EXPECT_EQ(Fetch(L"MOVIE.SWF", callback), std::make_pair(E_NOTIMPL, E_POINTER));
  // No callback in the bind context.
  EXPECT_EQ(Fetch(L"earlier.swf", callback, false), std::make_pair(S_OK, E_FAIL));
  // A name found nowhere never delivers an earlier request left pending.
  std::wstring first = L"earlier.swf", missing = vcl::AnsiToWide(kPrefix) + L"C:\\no\\such\\file.swf";
  TComPtr<IMoniker> a, b;
  TComPtr<IBindCtx> context;
  CreateBindCtx(0, context.Receive());
  RegisterBindStatusCallback(context.Get(), &callback, nullptr, 0);
  EXPECT_EQ(host->CreateMoniker(first.data(), context.Get(), a.Receive(), 0), S_OK);
  EXPECT_EQ(host->CreateMoniker(missing.data(), context.Get(), b.Receive(), 0), S_OK);
  IUnknown* object = nullptr;
  EXPECT_EQ(b->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(&object)), E_FAIL);
  EXPECT_EQ(callback.log, Lines{});
  // The moniker's other methods answer nothing.
  IMoniker* out = reinterpret_cast<IMoniker*>(1);
  EXPECT_EQ(a->Reduce(nullptr, 0, nullptr, &out), E_NOTIMPL);
  EXPECT_EQ(out, nullptr);
}

TEST_F(ActiveXLoading, FilesGoThroughTheUrlMonikerLibraryAndStopWhenTheDriverGoes) {
  const vt_test::TTestFile file(vt_test::TempFolder() + L"activex_loading_" + std::to_wstring(GetCurrentProcessId()) +
                                    L".swf",
                                "file-content");
  auto callback = TComPtr<TRecordingCallback>::Adopt(new TRecordingCallback);
  EXPECT_EQ(Fetch(vcl::AnsiToWide(kPrefix) + file.Path(), *callback.Get()), std::make_pair(S_OK, S_OK));
  EXPECT_TRUE(vt_test::PumpUntil([&] { return callback->stopped; }));
  EXPECT_EQ(callback->data, "file-content");
  EXPECT_EQ(callback->log.back(), "stop 0 '?'");

  // A download in flight when its driver is destroyed delivers nothing more.
  vt_test::THttpServer server({"first", "second"}, true);
  auto late = TComPtr<TRecordingCallback>::Adopt(new TRecordingCallback);
  EXPECT_EQ(Fetch(vcl::AnsiToWide(server.Url("/movie.swf")), *late.Get()), std::make_pair(S_OK, S_OK));
  EXPECT_EQ(driver->DownloadCount(), 1u);
  vt_test::PumpUntil([&] { return server.Requests() > 0; });
  driver.reset();
  const size_t heard = late->log.size();
  server.Release();
  vt_test::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
  EXPECT_EQ(late->log.size(), heard);
  EXPECT_FALSE(late->stopped);
}

}  // namespace
