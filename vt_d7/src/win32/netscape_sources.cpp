// Where the plug-in driver finds the data a request names: files (as named,
// by bare name in the current folder, in the application's folder), stored
// movies, application streams waiting for their request, and resources of
// the package's own module. The first that matches serves.
#include "framework/SysUtils.h"
#include "movie_sources.h"
#include "netscape_unit.h"
#include "vt_d7/url_request.h"

namespace vt {

namespace {

// A file that exists but cannot be opened counts as not found.
std::unique_ptr<vcl::TStream> OpenFile(const std::wstring& Path) {
  if (!IsFile(Path)) return nullptr;
  try {
    return std::make_unique<vcl::TFileStream>(Path, vcl::fmOpenRead | vcl::fmShareDenyWrite);
  } catch (const vcl::Exception&) {
    return nullptr;
  }
}

}  // namespace

std::unique_ptr<vcl::TStream> TvtFlashDriverNS::FindSource(const std::wstring& URL) {
  const std::wstring bare = BareName(URL);
  if (auto s = OpenFile(DecodeUrlEscapes(URL))) return s;
  if (auto s = OpenFile(bare)) return s;
  if (auto s = OpenFile(ExecutableFolder() + URL)) return s;
  if (auto s = CopyStoredMovie(bare)) return s;
  if (auto s = TakePendingStream(URL)) return s;
  // A name under the placeholder root keeps the slash after the root; the
  // resource is named without it, so "x.swf" and PlaceholderPrefix + "x.swf"
  // find the same one.
  return OpenPackageResource(WithoutLastExtension(URL.starts_with(L'/') ? URL.substr(1) : URL));
}

std::unique_ptr<vcl::TStream> TvtFlashDriverNS::TakePendingStream(const std::wstring& URL) {
  const std::optional<uint32_t> token = StreamTokenOf(URL);
  if (!token) return nullptr;
  const auto it = pendingStreams_.find(*token);
  if (it == pendingStreams_.end()) return nullptr;
  // Consumed by this request, whatever becomes of its delivery.
  std::unique_ptr<vcl::TStream> copy = std::move(it->second);
  pendingStreams_.erase(it);
  copy->Seek(0, vcl::soBeginning);
  return copy;
}

}  // namespace vt
