// The ActiveX driver's loading: the names it gives the control, and the data
// it serves when the control asks for them through the driver's bind host.
// Stored movies, the package's resources and application streams are
// delivered at once and whole; files and URLs go to the URL moniker library,
// which reports to the control through a forwarder that falls silent when
// the driver goes.
#include <algorithm>
#include <cstring>

#include "activex_unit.h"
#include "framework/Forms.h"
#include "movie_sources.h"
#include "url_download.h"
#include "vt_d7/moniker_request.h"
#include "vt_d7/url_request.h"

namespace vt {

namespace {

constexpr wchar_t kFlvPlayer[] = L"flvplayback.swf";
constexpr ULONG kEndDownloadData = 6;  // BINDSTATUS_ENDDOWNLOADDATA
constexpr DWORD kWholeData = BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION;

// An IStream over a block of Size bytes that Fill writes; the stream owns
// the block, so a control that keeps the stream never reads freed memory.
// Nothing for 4 GiB or more, which one data notification cannot announce.
template <class F>
TComPtr<IStream> OwningStream(int64_t Size, F&& Fill) {
  TComPtr<IStream> stream;
  if (Size < 0 || static_cast<uint64_t>(Size) > 0xFFFFFFFFull) return stream;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(Size > 0 ? Size : 1));
  if (!block) throw std::bad_alloc();
  if (FAILED(CreateStreamOnHGlobal(block, TRUE, stream.Receive()))) {
    GlobalFree(block);
    throw std::bad_alloc();
  }
  void* bytes = GlobalLock(block);
  try {
    Fill(bytes);
  } catch (...) {
    GlobalUnlock(block);
    throw;
  }
  GlobalUnlock(block);
  // The block may be larger than asked; the stream ends where the data does.
  ULARGE_INTEGER size;
  size.QuadPart = static_cast<uint64_t>(Size);
  stream->SetSize(size);
  return stream;
}

// The whole content in one notification, as a finished download reports it.
// Touches nothing of the driver: the control may free it from any callback.
void Deliver(IStream* Stream, DWORD Size, IBindStatusCallback* Callback) {
  STGMEDIUM medium{};
  medium.tymed = TYMED_ISTREAM;
  medium.pstm = Stream;
  medium.pUnkForRelease = nullptr;
  Callback->OnStartBinding(0, nullptr);
  Callback->OnProgress(100, 100, kEndDownloadData, L"");
  Callback->OnDataAvailable(kWholeData, Size, nullptr, &medium);
  Callback->OnStopBinding(S_OK, L"");
}

}  // namespace

HMODULE UrlMonikerLibrary() {
  static const HMODULE library = LoadLibraryW(L"urlmon.dll");
  return library;
}

// ---- names given to the control ----

void TvtFlashDriverActiveX::ControlLoadMovie(const std::wstring& Url) {
  const TComPtr<IvtFlashPlayer> control = GetControlInterface();
  if (!control) return;
  const TBstr url(Url);
  OleCheck(control->LoadMovie(0, url.Get()));
}

bool TvtFlashDriverActiveX::SetVariables(const std::weak_ptr<char>& Alive,
                                         std::initializer_list<std::pair<const wchar_t*, std::wstring>> Variables) {
  // The movie may answer a variable with an event whose handler frees the
  // player, and with it this driver.
  for (const auto& [name, value] : Variables) {
    if (Alive.expired()) return false;
    SetVariable(name, value);
  }
  return !Alive.expired();
}

void TvtFlashDriverActiveX::LoadMovie(const std::wstring& Url) {
  if (Url.empty() || FFlashNotAvailable || !FOleObject) return;
  const std::weak_ptr<char> alive = alive_;
  // The streams of an earlier movie are not asked for any more.
  streams_.clear();
  if (Url.find(L".flv") != std::wstring::npos) {
    std::wstring path = Url;
    std::replace(path.begin(), path.end(), L'\\', L'/');
    ControlLoadMovie(kFlvPlayer);
    if (!SetVariables(alive, {{L"flv.skin", FSkin + L".swf"},
                              {L"flv.volume", std::to_wstring(FVolume)},
                              {L"flv.contentPath", PlaceholderPrefix + path}}))
      return;
    FFlvMode = true;
  } else {
    ControlLoadMovie(PlaceholderPrefix + Url);
    if (alive.expired()) return;
    FFlvMode = false;
  }
  // Lets the control take up the new movie at once.
  SendWindowMessage(0, 0, 0);
}

void TvtFlashDriverActiveX::LoadMovieFromStream(vcl::TStream* Stream) {
  if (!Stream || FFlashNotAvailable || !FOleObject) return;
  const std::weak_ptr<char> alive = alive_;
  char head[3] = {};
  Stream->SetPosition(0);
  const int64_t got = Stream->Read(head, 3);
  Stream->SetPosition(0);
  const bool flv = got == 3 && std::memcmp(head, "FLV", 3) == 0;
  streams_.clear();
  const uint32_t token = ++lastToken_;
  streams_[token] = Stream;
  const std::wstring name = PlaceholderPrefix + std::wstring(StreamTokenMarker) + FormatStreamToken(token);
  if (flv) {
    ControlLoadMovie(kFlvPlayer);
    if (!SetVariables(alive, {{L"flv.contentPath", name + L".flv"},
                              {L"flv.skin", FSkin + L".swf"},
                              {L"flv.volume", std::to_wstring(FVolume)}}))
      return;
    FFlvMode = true;
  } else {
    ControlLoadMovie(name + L".swf");
    if (alive.expired()) return;
    FFlvMode = false;
  }
}

// ---- the control's requests ----

HRESULT TvtFlashDriverActiveX::CreateMoniker(const std::wstring& Name, IMoniker** Moniker) {
  *Moniker = nullptr;
  TMovieLookup lookup;
  lookup.IsStoredMovie = [](const std::wstring& N) { return FindStoredMovie(N) != nullptr; };
  lookup.IsResource = HasPackageResource;
  lookup.IsFile = IsFile;
  lookup.AppFolder = ExecutableFolder();
  TMonikerRequest request = ResolveMonikerRequest(Name, PlaceholderRoot, PlaceholderPrefix, lookup);
  if (!request.Accepted) return E_NOTIMPL;
  FBindUrl = std::move(request.BindUrl);
  *Moniker = static_cast<IMoniker*>(bindHost_.Get());
  (*Moniker)->AddRef();
  return S_OK;
}

HRESULT TvtFlashDriverActiveX::BindToStorage(IBindCtx* Context, void** Object) {
  if (Object) *Object = nullptr;
  if (!Context) return E_FAIL;
  TComPtr<IUnknown> holder;
  if (FAILED(Context->GetObjectParam(const_cast<LPOLESTR>(L"_BSCB_Holder_"), holder.Receive())) || !holder)
    return E_FAIL;
  TComPtr<IBindStatusCallback> callback;
  if (FAILED(holder->QueryInterface(IID_IBindStatusCallback, reinterpret_cast<void**>(callback.Receive()))) ||
      !callback)
    return E_FAIL;
  // The pending name is consumed by this bind whatever becomes of it, so a
  // later request never receives it.
  const TBindTarget target = ParseBindUrl(FBindUrl);
  FBindUrl.clear();
  TComPtr<IStream> stream;
  int64_t size = 0;
  try {
    switch (target.Source) {
      case TBindSource::Nothing: return E_FAIL;
      case TBindSource::Url: return StartDownload(target.Name, callback.Get());
      case TBindSource::StoredMovie: {
        vcl::TMemoryStream* movie = FindStoredMovie(target.Name);
        if (!movie) return E_FAIL;
        size = movie->Size();
        stream = OwningStream(size, [&](void* To) { std::memcpy(To, movie->Memory(), static_cast<size_t>(size)); });
        break;
      }
      case TBindSource::Resource: {
        const std::unique_ptr<vcl::TStream> resource = OpenPackageResource(target.Name);
        if (!resource) return E_FAIL;
        size = resource->Size();
        stream = OwningStream(size, [&](void* To) {
          resource->SetPosition(0);
          resource->ReadBuffer(To, size);
        });
        break;
      }
      case TBindSource::Stream: {
        const auto it = streams_.find(target.Token);
        if (it == streams_.end()) return E_FAIL;
        vcl::TStream* source = it->second;
        size = source->Size();
        // Read from its start each time; left at its end.
        stream = OwningStream(size, [&](void* To) {
          source->SetPosition(0);
          source->ReadBuffer(To, size);
        });
        break;
      }
    }
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    // The application's stream failed: the application hears of it, the
    // control only that its bind failed.
    vcl::Application()->HandleException(this);
    return E_FAIL;
  }
  if (!stream) return E_FAIL;
  Deliver(stream.Get(), static_cast<DWORD>(size), callback.Get());
  return S_OK;
}

HRESULT TvtFlashDriverActiveX::StartDownload(const std::wstring& Url, IBindStatusCallback* Callback) {
  std::erase_if(downloads_, [](const TComPtr<TBindForwarder>& D) { return !D->Active(); });
  const auto forwarder = TComPtr<TBindForwarder>::Adopt(new TBindForwarder(Callback));
  downloads_.push_back(forwarder);
  // The library may report, and the control free this driver, before the
  // call returns.
  if (StartPullDownload(UrlMonikerLibrary(), Url, forwarder.Get())) return S_OK;
  forwarder->Detach();
  return E_FAIL;
}

size_t TvtFlashDriverActiveX::DownloadCount() const {
  return static_cast<size_t>(
      std::count_if(downloads_.begin(), downloads_.end(), [](const auto& D) { return D->Active(); }));
}

}  // namespace vt
