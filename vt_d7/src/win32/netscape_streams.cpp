// Starting movies and serving the module's data requests as NPAPI streams:
// a found source is written in one piece, then the request's query pairs
// become movie variables; http: requests become downloads.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "netscape_downloads.h"
#include "netscape_unit.h"

namespace vt {

namespace {

constexpr char kMimeType[] = "application/x-shockwave-flash";

// Tokens of application streams: from a counter, never reused in the
// process, so a token names at most one copy ever made.
uint32_t NextStreamToken() {
  static uint32_t last = 0;
  if (last == UINT32_MAX) throw vcl::EInvalidOperation(L"No stream token is left for another stream");
  return ++last;
}

}  // namespace

void TvtFlashDriverNS::LoadFlvPlayer(const std::wstring& ContentPath) {
  const std::weak_ptr<char> alive = alive_;
  InvokeLoadMovie(L"flvplayback.swf");
  if (alive.expired()) return;
  SetVariable(L"flv.skin", FSkin + L".swf");
  if (alive.expired()) return;
  SetVariable(L"flv.volume", std::to_wstring(FVolume));
  if (alive.expired()) return;
  SetVariable(L"flv.contentPath", ContentPath);
  if (alive.expired()) return;
  FFlvMode = true;
}

void TvtFlashDriverNS::LoadMovie(const std::wstring& Movie) {
  if (!PluginExists() || Movie.empty() || !FScriptObject) return;
  const std::weak_ptr<char> alive = alive_;
  DestroyPlugin();
  if (alive.expired()) return;
  CreatePlugin();
  if (alive.expired() || !FScriptObject) return;
  if (Movie.find(L".flv") != std::wstring::npos) {
    LoadFlvPlayer(PlaceholderRoot + Movie);
  } else {
    InvokeLoadMovie(Movie);
    if (alive.expired()) return;
    FFlvMode = false;
  }
}

void TvtFlashDriverNS::LoadMovieFromStream(vcl::TStream* Stream) {
  if (!PluginExists() || !FScriptObject || !Stream) return;
  auto copy = std::make_unique<vcl::TMemoryStream>();
  copy->LoadFromStream(*Stream);
  char head[3] = {};
  const bool flv = copy->Read(head, 3) == 3 && head[0] == 'F' && head[1] == 'L' && head[2] == 'V';
  copy->Seek(0, vcl::soBeginning);
  const uint32_t token = NextStreamToken();
  const std::wstring name = PlaceholderPrefix + std::wstring(StreamTokenMarker) + FormatStreamToken(token);
  // In the table before the movie hears its name: the module asks for it
  // from inside the load.
  pendingStreams_.emplace(token, std::move(copy));

  const std::weak_ptr<char> alive = alive_;
  if (flv) {
    LoadFlvPlayer(name + L".flv");
  } else {
    InvokeLoadMovie(name + L".swf");
    if (alive.expired()) return;
    FFlvMode = false;
  }
}

void TvtFlashDriverNS::CreateStream(const std::wstring& URL, void* NotifyData) {
  if (!InstanceReady()) return;
  const TUrlRequest request = ParseUrlRequest(URL, PlaceholderRoot);
  if (std::unique_ptr<vcl::TStream> source = FindSource(request.Url)) {
    DeliverSource(request.Url, *source, NotifyData, request.Query);
    return;
  }
  if (request.Url.starts_with(L"http:")) StartDownload(request.Url, NotifyData);
  // Anything else finds no source: the module hears nothing of the request.
}

void TvtFlashDriverNS::DeliverSource(const std::wstring& URL, vcl::TStream& Source, void* NotifyData,
                                     const TQueryPairs& Query) {
  const TModuleCall call;
  const NPPluginFuncs& f = NetscapeUnit().pluginFuncs;
  const int64_t size = Source.Size();
  // One NPP_Write takes at most a 32-bit signed count: anything larger is
  // not served rather than handed over cut short.
  if (size < 0 || size > INT32_MAX) return;

  const std::string url = vcl::WideToAnsi(URL, NetscapeCodePage);
  NPStream stream{};
  stream.url = url.c_str();
  stream.end = static_cast<uint32_t>(size);
  stream.notifyData = NotifyData;

  // The driver's own copies are written from their memory; anything else is
  // read into one block first.
  std::vector<char> block;
  void* data = nullptr;
  if (auto* memory = dynamic_cast<vcl::TMemoryStream*>(&Source)) {
    data = memory->Memory();
  } else {
    block.resize(static_cast<size_t>(size));
    Source.Seek(0, vcl::soBeginning);
    if (size > 0) Source.ReadBuffer(block.data(), size);
    data = block.data();
  }

  const std::weak_ptr<char> alive = alive_;
  std::string mime = kMimeType;
  uint16_t type = NP_NORMAL;
  const NPError result =
      f.newstream ? f.newstream(&FInstance, mime.data(), &stream, true, &type) : NPERR_GENERIC_ERROR;
  if (alive.expired()) return;
  if (result == NPERR_NO_ERROR) {
    if (f.write) f.write(&FInstance, &stream, 0, static_cast<int32_t>(size), data);
    if (alive.expired() || !InstanceReady()) return;
    if (f.urlnotify) f.urlnotify(&FInstance, url.c_str(), NPRES_DONE, NotifyData);
    if (alive.expired() || !InstanceReady()) return;
    if (f.destroystream) f.destroystream(&FInstance, &stream, NPRES_DONE);
    if (alive.expired()) return;
  }
  block = {};
  for (const auto& [name, value] : Query) {
    if (!InstanceReady()) break;
    SetVariable(name, value);
    if (alive.expired()) return;
  }
  RefreshWindow();
}

void TvtFlashDriverNS::StartDownload(const std::wstring& URL, void* NotifyData) {
  const TModuleCall call;
  TAsyncSteam* download = AddAsyncStream(this, vcl::WideToAnsi(URL, NetscapeCodePage), NotifyData);
  const NPPluginFuncs& f = NetscapeUnit().pluginFuncs;
  std::string mime = kMimeType;
  uint16_t type = 0;
  const std::weak_ptr<char> alive = alive_;
  if (f.newstream) f.newstream(&FInstance, mime.data(), &download->FNPStream, true, &type);
  if (alive.expired() || !download->Attached()) return;
  download->Start(DecodeUrlEscapes(URL));
}

}  // namespace vt
