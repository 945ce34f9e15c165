#include <windows.h>

#include "framework/Classes.h"

namespace vcl {

TResourceStream::TResourceStream(HINSTANCE__* Instance, const std::wstring& ResName, const wchar_t* ResType) {
  Initialize(Instance, ResName.c_str(), ResName, ResType);
}

TResourceStream::TResourceStream(HINSTANCE__* Instance, int ResId, const wchar_t* ResType) {
  // Integer identifiers are 16 bits; anything else would be read as a pointer.
  if (ResId < 0 || ResId > 0xFFFF) throw EResNotFound(L"Resource " + std::to_wstring(ResId) + L" not found");
  Initialize(Instance, MAKEINTRESOURCEW(ResId), std::to_wstring(ResId), ResType);
}

void TResourceStream::Initialize(HINSTANCE__* Instance, const wchar_t* Name, const std::wstring& DisplayName,
                                 const wchar_t* ResType) {
  // A resource lives as long as its module: loaded resources need no freeing.
  HRSRC info = ResType ? FindResourceW(Instance, Name, ResType) : nullptr;
  if (!info) throw EResNotFound(L"Resource " + DisplayName + L" not found");
  const DWORD size = SizeofResource(Instance, info);
  HGLOBAL handle = LoadResource(Instance, info);
  void* data = handle ? LockResource(handle) : nullptr;
  if (!data && size != 0) throw EResNotFound(L"Resource " + DisplayName + L" not found");
  SetPointer(data, size);
}

int64_t TResourceStream::Write(const void*, int64_t) {
  throw EStreamError(L"Can't write to a read-only resource stream");
}

void TResourceStream::SetSize(int64_t) { throw EStreamError(L"Can't write to a read-only resource stream"); }

}  // namespace vcl
