// The plug-in unit: where the module is found, the exchange of the function
// tables, and unloading (deferred while drivers live).
#include <gtest/gtest.h>

#include "framework/SysUtils.h"
#include "netscape_fake_module.h"

namespace {

using vt_test::NoEntryFolder;
using vt_test::RecorderFolder;
using vt_test::RecorderPath;
using vt_test::TFakeModule;
using Lines = std::vector<std::string>;

// A key of the test's own under HKCU, deleted again afterwards.
class TTestKey {
 public:
  explicit TTestKey(const std::wstring* PathValue) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kPath, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (key && PathValue)
      RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(PathValue->c_str()),
                     static_cast<DWORD>((PathValue->size() + 1) * sizeof(wchar_t)));
    if (key) RegCloseKey(key);
  }
  ~TTestKey() { RegDeleteKeyW(HKEY_CURRENT_USER, kPath); }
  static constexpr const wchar_t* kPath = L"Software\\vt_d7_tests_npswf";
};

vt::TvtPluginLocation Location(const std::wstring& AppFolder, const std::wstring& Default) {
  vt::TvtPluginLocation l;
  l.AppFolder = AppFolder;
  l.RegistryRoot = HKEY_CURRENT_USER;
  l.KeyPath = TTestKey::kPath;
  l.DefaultPath = Default;
  return l;
}

std::string Narrow(const std::wstring& Text) { return vcl::WideToAnsi(Text); }

class NetscapeModule : public ::testing::Test {
 protected:
  void SetUp() override {
    vt::FinalizeNetscapeDriverUnit();
    fake.Clear();
  }
  void TearDown() override { vt::FinalizeNetscapeDriverUnit(); }
  TFakeModule fake{RecorderFolder()};
};

TEST_F(NetscapeModule, TheApplicationFolderBeatsTheRegistryWhichBeatsTheDefault) {
  const std::wstring recorder = RecorderPath();
  TTestKey key(&recorder);
  const std::wstring noEntry = NoEntryFolder() + L"\\npswf32.dll";

  vt::InitializeNetscapeDriverUnit(Location(NoEntryFolder(), L"Z:\\nowhere\\npswf32.dll"));
  EXPECT_EQ(vt::NetscapeModulePath(), Narrow(noEntry));
  EXPECT_TRUE(vt::NetscapeModuleLoaded());
  EXPECT_FALSE(vt::TvtFlashDriverNS::PluginExists()) << "no NP_GetEntryPoints";
  EXPECT_FALSE(vt::TvtFlashDriverNSClass().PluginExists());
  EXPECT_NE(GetModuleHandleW(noEntry.c_str()), nullptr);
  vt::FinalizeNetscapeDriverUnit();
  EXPECT_EQ(GetModuleHandleW(noEntry.c_str()), nullptr) << "unloaded at finalisation all the same";
  EXPECT_FALSE(vt::NetscapeUnitInitialized());
  EXPECT_EQ(vt::NetscapeModulePath(), "");

  vt::InitializeNetscapeDriverUnit(Location(L"Z:\\nowhere", L"Z:\\nowhere\\npswf32.dll"));
  EXPECT_EQ(vt::NetscapeModulePath(), Narrow(recorder));
  EXPECT_TRUE(vt::TvtFlashDriverNS::PluginExists());
}

TEST_F(NetscapeModule, AKeyWithoutPathLeavesThePathEmptyAndNoKeyLeavesTheDefault) {
  {
    TTestKey key(nullptr);
    vt::InitializeNetscapeDriverUnit(Location(L"Z:\\nowhere", RecorderPath()));
    EXPECT_EQ(vt::NetscapeModulePath(), "");
    EXPECT_FALSE(vt::NetscapeModuleLoaded());
    EXPECT_FALSE(vt::TvtFlashDriverNS::PluginExists());
    EXPECT_TRUE(fake.Lines().empty());
  }
  vt::InitializeNetscapeDriverUnit(Location(L"Z:\\nowhere", RecorderPath()));
  EXPECT_EQ(vt::NetscapeModulePath(), Narrow(RecorderPath()));
  EXPECT_TRUE(vt::TvtFlashDriverNS::PluginExists());
}

TEST_F(NetscapeModule, TablesAreExchangedInOrderAndTheModuleShutsDownAtFinalisation) {
  vt::InitializeNetscapeDriverUnit(vt_test::RecorderLocation());
  EXPECT_EQ(fake.Lines(), (Lines{"NP_GetEntryPoints size=0", "NP_Initialize size=344 version=18",
                                 "Flash_DisableLocalSecurity"}));
  const NPNetscapeFuncs& table = vt::NetscapeBrowserFuncs();
  EXPECT_EQ(fake.Browser(), &table) << "the module keeps the unit's own table";
  EXPECT_EQ(table.size, 344);
  EXPECT_EQ(table.version, 18);
  // All 42 entries are filled.
  const auto* entries = reinterpret_cast<void* const*>(&table.geturl);
  for (int i = 0; i < 42; ++i) EXPECT_NE(entries[i], nullptr) << "entry " << i;
  EXPECT_EQ(entries + 42, reinterpret_cast<void* const*>(&table + 1));
  EXPECT_NE(vt::NetscapePluginFuncs().newp, nullptr);

  // Initialising again from the real locations does nothing now.
  vt::InitializeNetscapeDriverUnit();
  EXPECT_EQ(vt::NetscapeModulePath(), Narrow(RecorderPath()));

  vt::FinalizeNetscapeDriverUnit();
  EXPECT_EQ(fake.Lines().back(), "NP_Shutdown");
  EXPECT_FALSE(vt::TvtFlashDriverNS::PluginExists());
  vt::FinalizeNetscapeDriverUnit();  // twice is harmless
}

TEST_F(NetscapeModule, FinalisationWaitsForTheLastDriver) {
  vt::InitializeNetscapeDriverUnit(vt_test::RecorderLocation());
  auto first = vt::TvtFlashDriverNS::Create(10, 10, 0xFF000000u);
  auto second = vt::TvtFlashDriverNS::Create(10, 10, 0xFF000000u);
  EXPECT_EQ(vt::NetscapeDriverCount(), 2);
  EXPECT_THROW(vt::InitializeNetscapeDriverUnit(vt_test::RecorderLocation()), vcl::EInvalidOperation);
  fake.ClearLog();
  vt::FinalizeNetscapeDriverUnit();
  EXPECT_TRUE(vt::TvtFlashDriverNS::PluginExists()) << "deferred";
  first.reset();
  EXPECT_EQ(fake.Lines(), (Lines{"NPP_Destroy", "script deallocate"}));
  second.reset();
  EXPECT_EQ(fake.Lines(),
            (Lines{"NPP_Destroy", "script deallocate", "NPP_Destroy", "script deallocate", "NP_Shutdown"}));
  EXPECT_FALSE(vt::NetscapeModuleLoaded());
  EXPECT_EQ(vt::NetscapeDriverCount(), 0);
}

void FreeDriver(const char* event, void* context) {
  auto* d = static_cast<std::unique_ptr<vt::TvtFlashDriverNS>*>(context);
  if (std::string(event) == "WM_PAINT" && *d) {
    d->reset();
    EXPECT_TRUE(vt::NetscapeModuleLoaded()) << "not while the module's code runs";
  }
}

TEST_F(NetscapeModule, TheLastDriverFreedInsideAModuleCallUnloadsOnlyAfterIt) {
  vt::InitializeNetscapeDriverUnit(vt_test::RecorderLocation());
  auto d = vt::TvtFlashDriverNS::Create(10, 10, 0xFF000000u);
  vt::FinalizeNetscapeDriverUnit();
  fake.SetHook(FreeDriver, &d);
  d->ForceUpdate();
  fake.SetHook(nullptr, nullptr);
  EXPECT_EQ(d, nullptr);
  EXPECT_FALSE(vt::NetscapeModuleLoaded());
  EXPECT_EQ(fake.Lines().back(), "NP_Shutdown");
}

TEST_F(NetscapeModule, WithoutAModuleTheDriverClassIsNotChosenAndADriverDoesNothing) {
  vt::InitializeNetscapeDriverUnit(Location(L"Z:\\nowhere", L"Z:\\nowhere\\npswf32.dll"));
  EXPECT_FALSE(vt::TvtFlashDriverNSClass().PluginExists());
  EXPECT_EQ(vt::TvtFlashDriverNSClass().ClassName(), L"TvtFlashDriverNS");
  auto d = vt::TvtFlashDriverNS::Create(10, 10, 0);
  d->ForceUpdate();
  d->Play();
  d->LoadMovie(L"a.swf");
  uint16_t key = 65;
  d->KeyDown(key, {});
  EXPECT_EQ(d->GetVariable(L"x"), L"");
  EXPECT_FALSE(d->GetLoop());
  EXPECT_EQ(d->FInstance.ndata, nullptr);
  EXPECT_TRUE(fake.Lines().empty());
}

}  // namespace
