// Starting movies and serving the module's data requests as NPAPI streams.
#include <cstdint>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "netscape_unit.h"

namespace vt {

namespace {

constexpr char kMimeType[] = "application/x-shockwave-flash";

// Normalisation of a requested URL: the placeholder root, then a file URL's
// scheme, are removed.
std::wstring NormalizeRequestUrl(std::wstring Url) {
  const std::wstring_view root = PlaceholderRoot;
  if (Url.starts_with(root)) Url.erase(0, root.size());
  if (Url.starts_with(L"file:///")) Url.erase(0, 8);
  return Url;
}

// The escapes a movie's names may carry, in this order, in either case.
std::wstring DecodeUrlEscapes(std::wstring Url) {
  static constexpr struct {
    const wchar_t* escape;
    wchar_t character;
  } kEscapes[] = {{L"%3f", L'?'}, {L"%3d", L'='}, {L"%26", L'&'},
                  {L"%20", L' '}, {L"%2d", L'-'}, {L"%2f", L'/'}};
  for (const auto& e : kEscapes) {
    std::wstring out;
    out.reserve(Url.size());
    for (size_t i = 0; i < Url.size();) {
      if (i + 3 <= Url.size() && Url[i] == L'%' && Url[i + 1] == e.escape[1] &&
          vcl::UpperCaseChar(Url[i + 2]) == vcl::UpperCaseChar(e.escape[2])) {
        out += e.character;
        i += 3;
      } else {
        out += Url[i++];
      }
    }
    Url = std::move(out);
  }
  return Url;
}

bool IsFile(const std::wstring& Path) {
  if (Path.empty()) return false;
  const DWORD a = GetFileAttributesW(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

void TvtFlashDriverNS::LoadMovie(const std::wstring& Movie) {
  if (!PluginExists() || Movie.empty() || !FScriptObject) return;
  const std::weak_ptr<char> alive = alive_;
  DestroyPlugin();
  if (alive.expired()) return;
  CreatePlugin();
  if (alive.expired() || !FScriptObject) return;
  if (Movie.find(L".flv") != std::wstring::npos) {
    InvokeLoadMovie(L"flvplayback.swf");
    if (alive.expired()) return;
    SetVariable(L"flv.skin", FSkin + L".swf");
    if (alive.expired()) return;
    SetVariable(L"flv.volume", std::to_wstring(FVolume));
    if (alive.expired()) return;
    SetVariable(L"flv.contentPath", PlaceholderRoot + Movie);
    if (alive.expired()) return;
    FFlvMode = true;
  } else {
    InvokeLoadMovie(Movie);
    if (alive.expired()) return;
    FFlvMode = false;
  }
}

void TvtFlashDriverNS::CreateStream(const std::wstring& URL, void* NotifyData) {
  if (!InstanceReady()) return;
  const std::wstring url = NormalizeRequestUrl(URL);
  if (std::unique_ptr<vcl::TStream> source = FindFileSource(url)) DeliverSource(url, *source, NotifyData);
  // Anything else finds no source: the module hears nothing of the request.
}

std::unique_ptr<vcl::TStream> TvtFlashDriverNS::FindFileSource(const std::wstring& URL) {
  const std::wstring path = DecodeUrlEscapes(URL);
  if (!IsFile(path)) return nullptr;
  try {
    return std::make_unique<vcl::TFileStream>(path, vcl::fmOpenRead | vcl::fmShareDenyWrite);
  } catch (const vcl::Exception&) {
    // A file that cannot be opened counts as not found.
    return nullptr;
  }
}

void TvtFlashDriverNS::DeliverSource(const std::wstring& URL, vcl::TStream& Source, void* NotifyData) {
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

  std::vector<char> block(static_cast<size_t>(size));
  Source.Seek(0, vcl::TSeekOrigin::soBeginning);
  if (size > 0) Source.ReadBuffer(block.data(), size);

  const std::weak_ptr<char> alive = alive_;
  std::string mime = kMimeType;
  uint16_t type = NP_NORMAL;
  const NPError result =
      f.newstream ? f.newstream(&FInstance, mime.data(), &stream, true, &type) : NPERR_GENERIC_ERROR;
  if (alive.expired()) return;
  if (result == NPERR_NO_ERROR) {
    if (f.write) f.write(&FInstance, &stream, 0, static_cast<int32_t>(size), block.data());
    if (alive.expired() || !InstanceReady()) return;
    if (f.urlnotify) f.urlnotify(&FInstance, url.c_str(), NPRES_DONE, NotifyData);
    if (alive.expired() || !InstanceReady()) return;
    if (f.destroystream) f.destroystream(&FInstance, &stream, NPRES_DONE);
    if (alive.expired()) return;
  }
  block = {};
  RefreshWindow();
}

}  // namespace vt
