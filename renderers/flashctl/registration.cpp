// DllRegisterServer and DllUnregisterServer: the class under
// HKEY_LOCAL_MACHINE\Software\Classes (what HKEY_CLASSES_ROOT shows to every
// user, in the 64-bit view) and the type library from the module's own
// TYPELIB resource.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "renderers/com/com_call.h"
#include "renderers/com/com_object.h"
#include "renderers/flashctl/module.h"
#include "renderers/flashocx/flash_player.h"

namespace flashctl {
namespace {

constexpr DWORD kMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT |
                              OLEMISC_CANTLINKINSIDE | OLEMISC_RECOMPOSEONRESIZE;

std::wstring GuidText(REFGUID Guid) {
  wchar_t text[40] = {};
  StringFromGUID2(Guid, text, 40);
  return text;
}

std::wstring ClassKey() { return L"Software\\Classes\\CLSID\\" + GuidText(CLSID_vtFlashPlayer); }

// Sets the value Name (the default value for nullptr) of Key below the class key.
LSTATUS SetValue(const std::wstring& Key, const wchar_t* Name, const std::wstring& Value) {
  HKEY key = nullptr;
  LSTATUS s = RegCreateKeyExW(HKEY_LOCAL_MACHINE, Key.c_str(), 0, nullptr, 0, KEY_WRITE | KEY_WOW64_64KEY, nullptr,
                              &key, nullptr);
  if (s != ERROR_SUCCESS) return s;
  s = RegSetValueExW(key, Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()),
                     static_cast<DWORD>((Value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return s;
}

LSTATUS DeleteClassKey() {
  const LSTATUS s = RegDeleteTreeW(HKEY_LOCAL_MACHINE, ClassKey().c_str());
  return s == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : s;
}

HRESULT RegisterClassKeys(const std::wstring& Path) {
  const std::wstring cls = ClassKey();
  const struct {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;
  } values[] = {
      {cls, nullptr, L"vt_d7 Flash player control"},
      {cls + L"\\InprocServer32", nullptr, Path},
      {cls + L"\\InprocServer32", L"ThreadingModel", L"Both"},
      {cls + L"\\Control", nullptr, L""},
      {cls + L"\\MiscStatus", nullptr, L"0"},
      {cls + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus)},
      {cls + L"\\TypeLib", nullptr, GuidText(LIBID_vtFlashPlayerObjects)},
      {cls + L"\\Version", nullptr, L"1.0"},
  };
  for (const auto& v : values) {
    const LSTATUS s = SetValue(v.key, v.name, v.value);
    if (s != ERROR_SUCCESS) return HRESULT_FROM_WIN32(s);
  }
  return S_OK;
}

}  // namespace
}  // namespace flashctl

extern "C" HRESULT __stdcall DllRegisterServer() {
  return vt::ComCall([]() -> HRESULT {
    const std::wstring path = flashctl::ModulePath();
    if (path.empty()) return SELFREG_E_CLASS;
    if (FAILED(flashctl::RegisterClassKeys(path))) {
      flashctl::DeleteClassKey();
      return SELFREG_E_CLASS;
    }
    vt::TComPtr<ITypeLib> library;
    if (FAILED(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.Receive())) ||
        FAILED(RegisterTypeLib(library.Get(), std::wstring(path).data(), nullptr)))
      return SELFREG_E_TYPELIB;
    return S_OK;
  });
}

extern "C" HRESULT __stdcall DllUnregisterServer() {
  return vt::ComCall([]() -> HRESULT {
    const HRESULT typelib = UnRegisterTypeLib(LIBID_vtFlashPlayerObjects, 1, 0, LOCALE_NEUTRAL, SYS_WIN64);
    if (flashctl::DeleteClassKey() != ERROR_SUCCESS) return SELFREG_E_CLASS;
    // A library that was not registered is no failure of unregistering.
    return SUCCEEDED(typelib) || typelib == TYPE_E_REGISTRYACCESS || typelib == TYPE_E_CANTLOADLIBRARY ||
                   typelib == TYPE_E_LIBNOTREGISTERED
               ? S_OK
               : SELFREG_E_TYPELIB;
  });
}
