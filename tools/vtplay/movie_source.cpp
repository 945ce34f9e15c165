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

// Where a query starts in Name, past the "\\?\" of a long path.
size_t QueryStart(const std::wstring& Name) { return Name.find(L'?', Name.starts_with(L"\\\\?\\") ? 4 : 0); }

// The last path component, without a query.
std::wstring BareName(const std::wstring& Name) {
  std::wstring n = Name.substr(0, QueryStart(Name));
  const size_t slash = n.find_last_of(L"/\\");
  return slash == std::wstring::npos ? n : n.substr(slash + 1);
}

bool IsUrl(const std::wstring& Name) { return Name.find(L"://") != std::wstring::npos; }

// A name Windows reads against the current folder: no drive, no root.
bool IsRelative(const std::wstring& Name) {
  return !(Name.size() >= 2 && Name[1] == L':') && !Name.starts_with(L'\\') && !Name.starts_with(L'/');
}

bool IsFile(const std::wstring& Path) {
  const DWORD a = GetFileAttributesW(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// Path as Windows resolves it (empty when it cannot); a "\\?\" path is
// left as it is.
std::wstring FullPathName(const std::wstring& Path) {
  const DWORD size = GetFullPathNameW(Path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(Path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return {};
  full.resize(length);
  return full;
}

bool IsStoredMovie(const std::wstring& Name) {
  const std::wstring bare = BareName(Name);
  vcl::TStringList* stored = vt::FlashList();
  return !bare.empty() && stored && stored->IndexOf(bare) >= 0;
}

}  // namespace

bool MovieAvailable(const std::wstring& Name) {
  if (IsUrl(Name)) return true;
  if (GetFileAttributesW(Name.substr(0, QueryStart(Name)).c_str()) != INVALID_FILE_ATTRIBUTES) return true;
  if (IsStoredMovie(Name)) return true;
  const std::wstring bare = BareName(Name);
  std::wstring resource = bare.substr(0, bare.rfind(L'.'));
  for (wchar_t& c : resource) c = static_cast<wchar_t>(std::towupper(c));
  return !resource.empty() &&
         FindResourceW(GetModuleHandleW(nullptr), resource.c_str(), RT_RCDATA) != nullptr;
}

// The plug-in driver looks for a relative name in the current folder, the
// control's driver does not; a full path reaches the same file through both.
// A stored movie's name is left alone, so that each driver weighs it against
// files in its own order.
std::wstring FullMoviePath(const std::wstring& Name, const std::vector<std::wstring>& Folders) {
  const size_t query = QueryStart(Name);
  const std::wstring file = Name.substr(0, query);
  if (file.empty() || IsUrl(Name) || IsStoredMovie(Name)) return Name;
  for (const std::wstring& folder : Folders) {
    const std::wstring candidate = folder.empty() || !IsRelative(file) ? file : folder + L"\\" + file;
    if (!IsFile(candidate)) continue;
    if (const std::wstring full = FullPathName(candidate); !full.empty())
      return full + (query == std::wstring::npos ? L"" : Name.substr(query));
  }
  return Name;
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
