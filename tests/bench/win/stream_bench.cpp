// Delivering an application stream to the plug-in module: LoadMovieFromStream
// of 100 MB with a module that only counts the bytes it is given, against a
// memcpy of 100 MB in the same run. Prints the medians of repeated runs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "vt_d7/Vt_driver_netscape.h"

namespace {

constexpr int64_t kSize = 100ll << 20;
constexpr int kRuns = 9;

double MedianSeconds(const std::function<void()>& Step) {
  std::vector<double> s;
  for (int r = 0; r < kRuns; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    Step();
    const auto t1 = std::chrono::steady_clock::now();
    s.push_back(std::chrono::duration<double>(t1 - t0).count());
  }
  std::sort(s.begin(), s.end());
  return s[s.size() / 2];
}

std::wstring ModuleFolder() {
  const std::string folder = COUNT_MODULE_DIR;
  return std::wstring(folder.begin(), folder.end());
}

}  // namespace

int main() {
  vt::TvtPluginLocation location;
  location.AppFolder = ModuleFolder();
  location.RegistryRoot = HKEY_CURRENT_USER;
  location.KeyPath = L"Software\\vt_d7_bench\\no such key";
  vt::InitializeNetscapeDriverUnit(location);
  HMODULE module = GetModuleHandleW((ModuleFolder() + L"\\npswf32.dll").c_str());
  using Counter = uint64_t (*)();
  auto bytes = reinterpret_cast<Counter>(reinterpret_cast<void*>(GetProcAddress(module, "CountNp_Bytes")));
  if (!vt::TvtFlashDriverNS::PluginExists() || !bytes) {
    std::printf("the counting module did not load\n");
    return 1;
  }
  auto driver = vt::TvtFlashDriverNS::Create(64, 64, 0xFF000000u);

  vcl::TMemoryStream stream;
  stream.SetSize(kSize);
  std::memset(stream.Memory(), 0x5A, static_cast<size_t>(kSize));
  std::vector<char> target(static_cast<size_t>(kSize));

  uint64_t before = bytes();
  const double deliver = MedianSeconds([&] { driver->LoadMovieFromStream(&stream); });
  const uint64_t delivered = bytes() - before;
  const double copy = MedianSeconds([&] {
    std::memcpy(target.data(), stream.Memory(), static_cast<size_t>(kSize));
    volatile char sink = target[static_cast<size_t>(kSize) - 1];
    (void)sink;
  });

  // What the one copy the load must make costs by itself: a fresh block of
  // 100 MB (its pages are new to the process) filled by memcpy.
  const double fresh = MedianSeconds([&] {
    std::vector<char> block(static_cast<size_t>(kSize));
    std::memcpy(block.data(), stream.Memory(), static_cast<size_t>(kSize));
    volatile char sink = block[static_cast<size_t>(kSize) - 1];
    (void)sink;
  });

  const double mb = static_cast<double>(kSize) / (1 << 20);
  std::printf("100 MB application stream to the plug-in module, median of %d runs\n", kRuns);
  std::printf("  LoadMovieFromStream to a counting module: %8.1f MB/s (%.1f ms)%s\n", mb / deliver,
              deliver * 1000, delivered == static_cast<uint64_t>(kSize) * kRuns ? "" : "  (bytes missing!)");
  std::printf("  memcpy of the same 100 MB:                %8.1f MB/s (%.1f ms)\n", mb / copy, copy * 1000);
  std::printf("  memcpy into a fresh 100 MB block:         %8.1f MB/s (%.1f ms)\n", mb / fresh, fresh * 1000);
  driver.reset();
  vt::FinalizeNetscapeDriverUnit();
  return 0;
}
