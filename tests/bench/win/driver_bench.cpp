// One 1080p frame of a busy movie through each driver, side by side in one
// run: the ActiveX driver with the stand-in control and the plug-in driver
// with the stand-in module, each redrawing its whole buffer opaque (one
// render) and with alpha (two renders over black and white, then the alpha
// pass). Prints the median of repeated runs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "framework/Forms.h"
#include "tools/swfc/compile.h"
#include "vt_d7/Vt_driver_activex.h"
#include "vt_d7/Vt_driver_netscape.h"

namespace {

constexpr int kW = 1920, kH = 1080;

double MedianMs(int Runs, const std::function<void()>& Step) {
  std::vector<double> ms;
  for (int r = 0; r < Runs; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    Step();
    GdiFlush();
    ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

// 200 overlapping translucent gradient circles, a quarter of them stroked,
// on a 1080p stage that stops on its first frame.
std::string BusyMovie() {
  std::mt19937 random(7);
  auto between = [&](int Lo, int Hi) { return std::uniform_int_distribution<int>(Lo, Hi)(random); };
  std::ostringstream text;
  text << "size " << kW << " " << kH << "\nrate 30\nbackground #203040\n";
  for (int i = 0; i < 200; ++i) {
    const int r = between(40, 220);
    char colour[16];
    std::snprintf(colour, sizeof colour, "#%02x%02x%02xc0", between(0, 255), between(0, 255), between(0, 255));
    text << "shape s" << i << "\n  fill g radial " << r << " " << r << " " << r << " stops 0 white 255 " << colour
         << "\n";
    if (i % 4 == 0) text << "  line l 3 black\n";
    text << "  circle " << r << " " << r << " " << r << " fill g" << (i % 4 == 0 ? " line l" : "") << "\nend\n";
    text << "place s" << i << " " << i + 1 << " at " << between(-100, kW - 100) << " " << between(-100, kH - 100)
         << "\n";
  }
  text << "actions\n  stop\nend\nshow\n";
  return text.str();
}

// The movie on disk for the drivers to load.
std::wstring WriteMovie() {
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const std::wstring path = std::wstring(folder) + L"vt_driver_bench.swf";
  const std::vector<uint8_t> bytes = swfc::Compile(BusyMovie());
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return path;
}

// Loads the movie, waits until it stands still, and times whole-buffer
// repaints.
void Measure(const char* Name, vt::TvtFlashDriver& D, const std::wstring& Movie) {
  int painted = 0;
  D.FOnPaint = [&painted](vcl::TObject*, const vcl::TRect&) { ++painted; };
  D.LoadMovie(Movie);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!(painted > 0 && D.GetTotalFrames() == 1 && !D.GetIsPlaying()) && std::chrono::steady_clock::now() < end) {
    vcl::Application()->ProcessMessages();
    Sleep(5);
  }
  if (!painted) {
    std::printf("  %-34s the movie never showed\n", Name);
    return;
  }
  std::printf("  %-34s %8.2f ms\n", Name, MedianMs(9, [&] { D.ForceUpdate(); }));
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  vcl::Application()->Initialize();
  const std::wstring movie = WriteMovie();
  vt::InitializeNetscapeDriverUnit();
  vt::CheckFlashActiveX();
  std::printf("%dx%d frame of 200 gradient circles, whole-buffer repaint, median of 9 runs\n", kW, kH);
  if (!vt::FlashActiveXAvailable) std::printf("  the stand-in control is not registered\n");
  if (!vt::TvtFlashDriverNS::PluginExists()) std::printf("  the stand-in module is not beside the program\n");
  for (const uint32_t background : {0xFF000000u, 0u}) {
    const char* mode = background ? "opaque" : "alpha";
    if (vt::FlashActiveXAvailable) {
      auto d = vt::TvtFlashDriverActiveX::Create(kW, kH, background);
      Measure((std::string("ActiveX driver, ") + mode + ":").c_str(), *d, movie);
    }
    if (vt::TvtFlashDriverNS::PluginExists()) {
      auto d = vt::TvtFlashDriverNS::Create(kW, kH, background);
      Measure((std::string("plug-in driver, ") + mode + ":").c_str(), *d, movie);
    }
  }
  vt::FinalizeNetscapeDriverUnit();
  DeleteFileW(movie.c_str());
  vcl::FreeDeviceContexts();
  CoUninitialize();
  return 0;
}
