// Registered, the control is found by its class id like any other.
#include <gtest/gtest.h>

#include "tests/win/flashctl/test_container.h"

namespace flashctl_test {
namespace {

std::wstring RegText(const std::wstring& Key, const wchar_t* Name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CLASSES_ROOT, Key.c_str(), Name, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return L"(missing)";
  return value;
}

TEST(FlashctlRegistration, CoCreateInstanceFindsTheRegisteredControl) {
  using RegisterFunc = HRESULT(__stdcall*)();
  auto reg = Export<RegisterFunc>("DllRegisterServer");
  ASSERT_TRUE(reg);
  ASSERT_EQ(reg(), S_OK);  // what the build did already; it does it again here
  const std::wstring key = L"CLSID\\{D27CDB6E-AE6D-11CF-96B8-444553540000}";
  wchar_t path[MAX_PATH];
  GetModuleFileNameW(TheModule(), path, MAX_PATH);
  EXPECT_EQ(RegText(key + L"\\InprocServer32", nullptr), path);
  EXPECT_EQ(RegText(key + L"\\InprocServer32", L"ThreadingModel"), L"Both");
  EXPECT_EQ(RegText(key + L"\\TypeLib", nullptr), L"{D27CDB6B-AE6D-11CF-96B8-444553540000}");
  EXPECT_EQ(std::stoul(RegText(key + L"\\MiscStatus\\1", nullptr)) & OLEMISC_SETCLIENTSITEFIRST,
            DWORD(OLEMISC_SETCLIENTSITEFIRST));
  TComPtr<IvtFlashPlayer> control;
  ASSERT_EQ(CoCreateInstance(CLSID_vtFlashPlayer, nullptr, CLSCTX_INPROC_SERVER, IID_IvtFlashPlayer,
                             reinterpret_cast<void**>(control.Receive())),
            S_OK);
  LONG version = 0;
  EXPECT_EQ(control->FlashVersion(&version), S_OK);
  EXPECT_EQ(version, 0x000A0000);
  // The registered type library describes the interface too.
  TComPtr<ITypeLib> library;
  EXPECT_EQ(LoadRegTypeLib(LIBID_vtFlashPlayerObjects, 1, 0, 0, library.Receive()), S_OK);
}

}  // namespace
}  // namespace flashctl_test
