// Fetching content: the first movie and every request of the engine. With a
// bind host from the container (IServiceProvider on the client site), names
// go through its monikers; without one, they are files (a path or a file://
// URL; relative names against Base or the first movie's folder). Anything
// else fails the request.
#include <shlwapi.h>

#include <algorithm>

#include "renderers/com/utf8_text.h"
#include "renderers/flashctl/bind_callback.h"
#include "renderers/flashctl/control.h"

namespace flashctl {
namespace {

uint64_t g_lastToken = 0;

// A closing handle.
struct FileHandle {
  HANDLE h;
  ~FileHandle() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

bool IsFileUrl(const std::wstring& Name) { return Name.size() > 7 && _wcsnicmp(Name.c_str(), L"file:", 5) == 0; }

// A scheme of two letters or more ("http:", "data:"); "C:" is a drive.
bool HasScheme(const std::wstring& Name) {
  const size_t colon = Name.find(L':');
  if (colon == std::wstring::npos || colon < 2) return false;
  for (size_t i = 0; i < colon; ++i)
    if (!iswalnum(Name[i]) && Name[i] != L'+' && Name[i] != L'-' && Name[i] != L'.') return false;
  return true;
}

std::wstring PathOfFileUrl(const std::wstring& Url) {
  std::wstring path(MAX_PATH * 4, L'\0');
  DWORD size = static_cast<DWORD>(path.size());
  if (FAILED(PathCreateFromUrlW(Url.c_str(), path.data(), &size, 0))) return {};
  path.resize(size);
  return path;
}

bool IsAbsolutePath(const std::wstring& P) {
  return (P.size() >= 3 && P[1] == L':' && (P[2] == L'\\' || P[2] == L'/')) ||
         (P.size() >= 2 && (P[0] == L'\\' || P[0] == L'/'));
}

}  // namespace

ContentRequest* FlashControl::FindRequest(uint64_t Token) const {
  for (const auto& r : requests_)
    if (r->token == Token) return r.get();
  return nullptr;
}

vt::TComPtr<IBindHost> FlashControl::BindHost() const {
  vt::TComPtr<IBindHost> host;
  if (!clientSite_) return host;
  vt::TComPtr<IServiceProvider> services;
  if (FAILED(clientSite_->QueryInterface(IID_IServiceProvider, reinterpret_cast<void**>(services.Receive()))) ||
      !services)
    return host;
  if (FAILED(services->QueryService(SID_SBindHost, IID_IBindHost, reinterpret_cast<void**>(host.Receive()))))
    host.Reset();
  return host;
}

void FlashControl::Fetch(bool FirstMovie, int EngineId, const std::wstring& Name) {
  KeepAlive keep(this);
  auto request = std::make_unique<ContentRequest>();
  const uint64_t token = request->token = ++g_lastToken;
  request->firstMovie = FirstMovie;
  request->engineId = EngineId;
  request->name = Name;
  requests_.push_back(std::move(request));
  if (FirstMovie) SetReadyState(READYSTATE_LOADING);
  if (vt::TComPtr<IBindHost> host = BindHost()) {
    if (!FetchThroughBindHost(host.Get(), token, Name)) CompleteRequest(token, false);
    return;
  }
  FetchFromFile(token, Name);
}

bool FlashControl::FetchThroughBindHost(IBindHost* Host, uint64_t Token, const std::wstring& Name) {
  ContentRequest* r = FindRequest(Token);
  if (!r) return true;
  vt::TComPtr<IMoniker> moniker;
  vt::TComPtr<IBindCtx> context;
  if (FAILED(CreateBindCtx(0, context.Receive())) || !context) return false;
  std::wstring name = Name;
  if (FAILED(Host->CreateMoniker(name.data(), context.Get(), moniker.Receive(), 0)) || !moniker) return false;
  r = FindRequest(Token);  // the host may have re-entered and dropped it
  if (!r) return true;
  auto callback = vt::TComPtr<BindCallback>::Adopt(new BindCallback(this, Token));
  r->callback = callback;
  if (FAILED(RegisterBindStatusCallback(context.Get(), callback.Get(), nullptr, 0))) return false;
  vt::TComPtr<IStream> stream;
  // Data, the end of the binding, even the release of this control may come
  // inside (KeepAlive in Fetch).
  const HRESULT hr = moniker->BindToStorage(context.Get(), nullptr, IID_IStream, reinterpret_cast<void**>(stream.Receive()));
  if (FAILED(hr)) return callback->stopped() || !FindRequest(Token);
  if (hr == S_OK && stream && !callback->stopped() && FindRequest(Token)) {
    // Bound at once and no notifications finished it: the stream holds it all.
    if (!callback->ReadStream(stream.Get())) return false;
    callback->Detach();
    CompleteRequest(Token, true);
  }
  return true;
}

std::wstring FlashControl::ResolveFileName(const std::wstring& Request) const {
  // A query names variables, not a part of the file's name.
  const std::wstring name = Request.substr(0, Request.find(L'?'));
  if (IsFileUrl(name)) return PathOfFileUrl(name);
  if (HasScheme(name)) return {};
  if (IsAbsolutePath(name)) return name;
  std::wstring folder;
  if (!props_.base.empty() && props_.base != L".") {
    folder = IsFileUrl(props_.base) ? PathOfFileUrl(props_.base) : HasScheme(props_.base) ? std::wstring() : props_.base;
    if (folder.empty()) return {};
  } else {
    folder = movieFolder_;
  }
  if (folder.empty()) return name;
  if (folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
  return folder + name;
}

void FlashControl::FetchFromFile(uint64_t Token, const std::wstring& Name) {
  const std::wstring path = ResolveFileName(Name);
  ContentRequest* r = FindRequest(Token);
  if (path.empty() || !r) return CompleteRequest(Token, false);
  FileHandle file{CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)};
  LARGE_INTEGER size{};
  if (file.h == INVALID_HANDLE_VALUE || !GetFileSizeEx(file.h, &size) || size.QuadPart < 0 ||
      static_cast<uint64_t>(size.QuadPart) > kMaxRequestBytes)
    return CompleteRequest(Token, false);
  if (r->firstMovie) {
    const size_t slash = path.find_last_of(L"\\/");
    movieFolder_ = slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
  }
  ReceiveExpectedSize(Token, static_cast<size_t>(size.QuadPart));
  std::vector<uint8_t> buffer(std::min<size_t>(static_cast<size_t>(size.QuadPart) + 1, 1u << 20));
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file.h, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
      return CompleteRequest(Token, false);
    if (got == 0) break;
    if (!ReceiveData(Token, buffer.data(), got)) return;  // refused: already failed
  }
  CompleteRequest(Token, true);
}

void FlashControl::ReceiveExpectedSize(uint64_t Token, size_t Size) {
  ContentRequest* r = FindRequest(Token);
  if (!r || r->expected == Size) return;  // progress reports repeat it
  r->expected = Size;
  // A video stream's bytesTotal before it has all arrived.
  if (!r->firstMovie && movie_ && Size) movie_->SetRequestSize(r->engineId, Size);  // may re-enter; r is not used after
}

bool FlashControl::ReceiveData(uint64_t Token, const uint8_t* Data, size_t Size) {
  KeepAlive keep(this);
  ContentRequest* r = FindRequest(Token);
  if (!r) return false;
  if (Size > kMaxRequestBytes - r->received) {
    CompleteRequest(Token, false);
    return false;
  }
  r->received += Size;
  if (r->firstMovie) {
    r->data.insert(r->data.end(), Data, Data + Size);
    ReportProgress(*r);  // handlers may re-enter; r is not used after
  } else if (movie_) {
    movie_->DeliverData(r->engineId, Data, Size);
  }
  return true;
}

void FlashControl::CompleteRequest(uint64_t Token, bool Ok) {
  KeepAlive keep(this);
  const auto it = std::find_if(requests_.begin(), requests_.end(), [&](const auto& r) { return r->token == Token; });
  if (it == requests_.end()) return;
  // Out of the table before anything runs: what follows may re-enter and change it.
  const std::unique_ptr<ContentRequest> done = std::move(*it);
  requests_.erase(it);
  if (done->callback) done->callback->Detach();
  if (!done->firstMovie) {
    if (movie_) movie_->FinishRequest(done->engineId, Ok);
    return;
  }
  if (Ok) {
    StartMovie(std::move(done->data));
  } else if (!movie_) {
    SetReadyState(READYSTATE_UNINITIALIZED);
  }
}

}  // namespace flashctl
