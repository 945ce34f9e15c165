#include "movie_source.h"

#include <windows.h>
#include <fcntl.h>
#include <io.h>

#include <cwctype>

#include "framework/Classes.h"
#include "framework/SysUtils.h"
#include "vt_d7/flash_store.h"

namespace vtplay {

namespace {

// The last path component, without a query.
std::wstring BareName(const std::wstring& Name) {
  std::wstring n = Name.substr(0, Name.find(L'?'));
  const size_t slash = n.find_last_of(L"/\\");
  return slash == std::wstring::npos ? n : n.substr(slash + 1);
}

}  // namespace

bool MovieAvailable(const std::wstring& Name) {
  if (Name.find(L"://") != std::wstring::npos) return true;
  if (GetFileAttributesW(Name.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  const std::wstring bare = BareName(Name);
  if (bare.empty()) return false;
  if (vcl::TStringList* stored = vt::FlashList(); stored && stored->IndexOf(bare) >= 0) return true;
  std::wstring resource = bare.substr(0, bare.rfind(L'.'));
  for (wchar_t& c : resource) c = static_cast<wchar_t>(std::towupper(c));
  return !resource.empty() &&
         FindResourceW(GetModuleHandleW(nullptr), resource.c_str(), RT_RCDATA) != nullptr;
}

std::vector<uint8_t> ReadAllInput(std::FILE* In, size_t Limit) {
  _setmode(_fileno(In), _O_BINARY);
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  for (;;) {
    const size_t n = std::fread(chunk, 1, sizeof chunk, In);
    if (n == 0) break;
    if (n > Limit - bytes.size())
      throw vcl::Exception(L"the standard input holds more than " + std::to_wstring(Limit >> 20) +
                           L" MiB, more than a movie may have");
    bytes.insert(bytes.end(), chunk, chunk + n);
  }
  if (std::ferror(In)) throw vcl::Exception(L"cannot read the standard input");
  return bytes;
}

std::unique_ptr<vcl::TStream> DemoMovie() {
  return std::make_unique<vcl::TResourceStream>(GetModuleHandleW(nullptr), L"VTPLAY_DEMO", RT_RCDATA);
}

}  // namespace vtplay
