#include "movie_sources.h"

#include <cstring>

#include "framework/SysUtils.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

vcl::TMemoryStream* FindStoredMovie(const std::wstring& Name) {
  vcl::TStringList* list = FlashList();
  if (!list || Name.empty()) return nullptr;
  const int index = list->IndexOf(Name);
  if (index < 0) return nullptr;
  const auto* item = dynamic_cast<const TvtFlashStream*>(list->Objects(index));
  return item ? item->FStream.get() : nullptr;
}

std::unique_ptr<vcl::TMemoryStream> CopyStoredMovie(const std::wstring& Name) {
  vcl::TMemoryStream* bytes = FindStoredMovie(Name);
  if (!bytes) return nullptr;
  auto copy = std::make_unique<vcl::TMemoryStream>();
  copy->SetSize(bytes->Size());
  if (copy->Size() > 0) std::memcpy(copy->Memory(), bytes->Memory(), static_cast<size_t>(copy->Size()));
  return copy;
}

bool IsFile(const std::wstring& Path) {
  if (Path.empty()) return false;
  const DWORD a = GetFileAttributesW(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

HMODULE PackageModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&PackageModule), &module);
  return module;
}

bool HasPackageResource(const std::wstring& Name) {
  if (Name.empty() || Name.front() == L'#') return false;
  HMODULE module = PackageModule();
  return module && FindResourceW(module, Name.c_str(), RT_RCDATA);
}

std::unique_ptr<vcl::TStream> OpenPackageResource(const std::wstring& Name) {
  if (!HasPackageResource(Name)) return nullptr;
  try {
    return std::make_unique<vcl::TResourceStream>(PackageModule(), Name, RT_RCDATA);
  } catch (const vcl::Exception&) {
    return nullptr;
  }
}

}  // namespace vt
