// Loading and unloading the plug-in module, and the exchange of the function
// tables.
#include <cstdlib>

#include "framework/SysUtils.h"
#include "netscape_downloads.h"
#include "netscape_unit.h"

namespace vt {

unsigned NetscapeCodePage = CP_ACP;

TNetscapeUnit& NetscapeUnit() {
  static TNetscapeUnit unit;
  return unit;
}

namespace {

bool IsFile(const std::wstring& Path) {
  const DWORD a = GetFileAttributesW(Path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// The string value "Path" of the key; nullopt-like false when the key does
// not open. A key without the value yields the empty string.
bool ReadRegistryPath(const TvtPluginLocation& Location, std::wstring& Path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(Location.RegistryRoot, Location.KeyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  Path.clear();
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key, L"Path", nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ) && bytes > 0) {
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    DWORD got = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegQueryValueExW(key, L"Path", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &got) ==
        ERROR_SUCCESS) {
      value.resize(got / sizeof(wchar_t));
      // The stored text may or may not carry its terminator.
      const size_t end = value.find(L'\0');
      if (end != std::wstring::npos) value.resize(end);
      Path = value;
    }
  }
  RegCloseKey(key);
  return true;
}

// A module's export as the function type it is declared with.
template <class F>
F Resolve(HMODULE Module, const char* Name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
}

void LoadModule(const TvtPluginLocation& Location) {
  TNetscapeUnit& u = NetscapeUnit();
  u.urlmon = LoadLibraryW(L"urlmon.dll");

  std::wstring path = Location.DefaultPath;
  std::wstring registered;
  if (ReadRegistryPath(Location, registered)) path = registered;
  if (!Location.AppFolder.empty()) {
    std::wstring local = Location.AppFolder;
    if (local.back() != L'\\' && local.back() != L'/') local += L'\\';
    local += L"npswf32.dll";
    if (IsFile(local)) path = local;
  }
  u.path = vcl::WideToAnsi(path, NetscapeCodePage);

  if (path.empty()) return;
  u.module = LoadLibraryW(path.c_str());
  if (!u.module) return;

  PrepareBrowserObjectClass();
  auto getEntryPoints = Resolve<NP_GetEntryPointsFunc>(u.module, "NP_GetEntryPoints");
  auto initialize = Resolve<NP_InitializeFunc>(u.module, "NP_Initialize");
  u.shutdown = Resolve<NP_ShutdownFunc>(u.module, "NP_Shutdown");
  auto disableLocalSecurity = Resolve<Flash_DisableLocalSecurityFunc>(u.module, "Flash_DisableLocalSecurity");
  if (!getEntryPoints) return;

  u.browserFuncs = NPNetscapeFuncs{};
  u.browserFuncs.size = sizeof(NPNetscapeFuncs);
  u.browserFuncs.version = (NP_VERSION_MAJOR << 8) | NP_VERSION_MINOR;
  FillBrowserFuncs(u.browserFuncs);

  u.pluginFuncs = NPPluginFuncs{};
  getEntryPoints(&u.pluginFuncs);
  if (initialize) initialize(&u.browserFuncs);
  if (disableLocalSecurity) disableLocalSecurity();
}

void Unload() {
  TNetscapeUnit& u = NetscapeUnit();
  // The downloads go first: none may report to the module once it is shut
  // down.
  FreeAsyncStreams();
  if (u.module) {
    if (u.shutdown) u.shutdown();
    FreeLibrary(u.module);
  }
  if (u.urlmon) FreeLibrary(u.urlmon);
  u.module = nullptr;
  u.shutdown = nullptr;
  u.urlmon = nullptr;
  u.pluginFuncs = NPPluginFuncs{};
  u.browserFuncs = NPNetscapeFuncs{};
  u.path.clear();
  u.initialized = false;
  u.finalizePending = false;
}

void Initialize(const TvtPluginLocation& Location) {
  static bool registered = false;
  if (!registered) {
    registered = true;
    std::atexit([] { FinalizeNetscapeDriverUnit(); });
  }
  NetscapeUnit().initialized = true;
  LoadModule(Location);
}

}  // namespace

TvtPluginLocation DefaultPluginLocation() {
  TvtPluginLocation location;
  location.AppFolder = ExecutableFolder();
  location.RegistryRoot = HKEY_LOCAL_MACHINE;
  location.KeyPath = L"SOFTWARE\\MozillaPlugins\\@adobe.com/FlashPlayer";
  location.DefaultPath = L"C:\\Windows\\system32\\Macromed\\Flash\\NPSWF32.dll";
  return location;
}

void InitializeNetscapeDriverUnit() {
  TNetscapeUnit& u = NetscapeUnit();
  if (u.initialized) {
    // A deferred finalisation is called off: the unit is wanted again.
    u.finalizePending = false;
    return;
  }
  Initialize(DefaultPluginLocation());
}

void InitializeNetscapeDriverUnit(const TvtPluginLocation& Location) {
  FinalizeNetscapeDriverUnit();
  if (NetscapeUnit().initialized)
    throw vcl::EInvalidOperation(L"The plug-in unit cannot be initialised again while plug-in drivers exist");
  Initialize(Location);
}

void FinalizeNetscapeDriverUnit() {
  TNetscapeUnit& u = NetscapeUnit();
  if (!u.initialized) return;
  if (!u.drivers.empty() || u.callDepth > 0) {
    u.finalizePending = true;
    return;
  }
  Unload();
}

TModuleCall::~TModuleCall() {
  TNetscapeUnit& u = NetscapeUnit();
  if (--u.callDepth == 0 && !fromModule_ && u.finalizePending && u.drivers.empty()) Unload();
}

void RegisterNetscapeDriver(TvtFlashDriverNS* Driver) { NetscapeUnit().drivers.insert(Driver); }

void UnregisterNetscapeDriver(TvtFlashDriverNS* Driver) {
  TNetscapeUnit& u = NetscapeUnit();
  u.drivers.erase(Driver);
  if (u.drivers.empty() && u.finalizePending && u.callDepth == 0) Unload();
}

bool NetscapeUnitInitialized() { return NetscapeUnit().initialized; }
bool NetscapeModuleLoaded() { return NetscapeUnit().module != nullptr; }
const std::string& NetscapeModulePath() { return NetscapeUnit().path; }
const NPNetscapeFuncs& NetscapeBrowserFuncs() { return NetscapeUnit().browserFuncs; }
const NPPluginFuncs& NetscapePluginFuncs() { return NetscapeUnit().pluginFuncs; }
int NetscapeDriverCount() { return static_cast<int>(NetscapeUnit().drivers.size()); }

}  // namespace vt
