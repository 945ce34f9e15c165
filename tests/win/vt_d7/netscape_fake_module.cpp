#include "netscape_fake_module.h"

#include <cstdio>
#include <cstring>
#include <sstream>

namespace vt_test {

namespace {

template <class F>
F Export(HMODULE Module, const char* Name) {
  auto f = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(Module, Name)));
  if (!f) throw std::runtime_error(std::string("the recorder lacks ") + Name);
  return f;
}

std::wstring Widen(const char* Text) { return std::wstring(Text, Text + std::strlen(Text)); }

}  // namespace

std::wstring RecorderFolder() { return Widen(NPSWF_RECORDER_DIR); }
std::wstring NoEntryFolder() { return Widen(NPSWF_NO_ENTRY_DIR); }
std::wstring RecorderPath() { return RecorderFolder() + L"\\npswf32.dll"; }

TFakeModule::TFakeModule(const std::wstring& Folder) {
  module_ = LoadLibraryW((Folder + L"\\npswf32.dll").c_str());
  if (!module_) throw std::runtime_error("the recorder does not load");
  log_ = Export<decltype(log_)>(module_, "FakeNp_Log");
  clear_ = Export<decltype(clear_)>(module_, "FakeNp_Clear");
  clearLog_ = Export<decltype(clearLog_)>(module_, "FakeNp_ClearLog");
  set_ = Export<decltype(set_)>(module_, "FakeNp_Set");
  setHook_ = Export<decltype(setHook_)>(module_, "FakeNp_SetHook");
  invalidate_ = Export<decltype(invalidate_)>(module_, "FakeNp_Invalidate");
  invoke_ = Export<decltype(invoke_)>(module_, "FakeNp_Invoke");
  evaluate_ = Export<decltype(evaluate_)>(module_, "FakeNp_Evaluate");
  getUrlNotify_ = Export<decltype(getUrlNotify_)>(module_, "FakeNp_GetURLNotify");
  browser_ = Export<decltype(browser_)>(module_, "FakeNp_Browser");
}

TFakeModule::~TFakeModule() {
  if (module_) FreeLibrary(module_);
}

std::vector<std::string> TFakeModule::Lines() const { return Lines(""); }

std::vector<std::string> TFakeModule::Lines(const std::string& Prefix) const {
  std::vector<std::string> lines;
  std::istringstream in(log_());
  for (std::string line; std::getline(in, line);)
    if (line.starts_with(Prefix)) lines.push_back(line);
  return lines;
}

vt::TvtPluginLocation RecorderLocation() {
  vt::TvtPluginLocation l;
  l.AppFolder = RecorderFolder();
  l.RegistryRoot = HKEY_CURRENT_USER;
  l.KeyPath = L"Software\\vt_d7_tests\\no such key";
  l.DefaultPath = L"";
  return l;
}

void NetscapeTest::SetUp() {
  vt::FinalizeNetscapeDriverUnit();
  fake = std::make_unique<TFakeModule>(RecorderFolder());
  fake->Clear();
  vt::NetscapeCodePage = CP_ACP;
  vt::InitializeNetscapeDriverUnit(RecorderLocation());
  ASSERT_TRUE(vt::TvtFlashDriverNS::PluginExists());
  fake->ClearLog();
}

void NetscapeTest::TearDown() {
  fake->SetHook(nullptr, nullptr);
  vt::FinalizeNetscapeDriverUnit();
  vt::NetscapeCodePage = CP_ACP;
}

std::unique_ptr<vt::TvtFlashDriverNS> NetscapeTest::NewDriver(int32_t W, int32_t H, uint32_t Background) {
  return vt::TvtFlashDriverNS::Create(W, H, Background);
}

std::string Hex(const void* P) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%llx",
                static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(P)));
  return buffer;
}

}  // namespace vt_test
