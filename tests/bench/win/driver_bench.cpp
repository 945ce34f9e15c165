// One 1080p frame of a busy movie through each driver, side by side in one
// run: the ActiveX driver with the stand-in control and the plug-in driver
// with the stand-in module, opaque and with alpha (two passes over black and
// white, then the alpha pass), beside the engine's own render of the same
// frame. A new frame is the movie going to its other frame, which changes
// the whole picture: the renderer renders it and the driver paints it from
// inside that call. A repaint redraws the whole buffer with nothing changed.
// Prints the fastest of repeated runs (on a shared machine the run least
// disturbed by others), and how an alpha frame through a driver compares
// with the engine's own render.
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
#include "renderers/engine/movie.h"
#include "renderers/engine/reader.h"
#include "renderers/gdipaint/premultiplied_over.h"
#include "tools/swfc/compile.h"
#include "vt_d7/Vt_driver_activex.h"
#include "vt_d7/Vt_driver_netscape.h"
#include "vt_d7/pixels.h"

namespace {

constexpr int kW = 1920, kH = 1080, kRuns = 15;

double FastestMs(int Runs, const std::function<void()>& Step) {
  double fastest = 1e300;
  for (int r = 0; r < Runs; ++r) {
    const auto t0 = std::chrono::steady_clock::now();
    Step();
    GdiFlush();
    fastest = std::min(fastest, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
  }
  return fastest;
}

// 200 overlapping translucent gradient circles, a quarter of them stroked,
// on a 1080p stage that stops on its first frame. Its second frame adds a
// veil over the whole stage that is all but invisible, so going from one
// frame to the other changes every pixel's render.
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
  text << "shape cover\n  fill c solid #00000001\n  rect 0 0 " << kW << " " << kH << " fill c\nend\n";
  text << "actions\n  stop\nend\nshow\nplace cover 201\nshow\n";
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

class SilentHost final : public swf::MovieHost {
 public:
  void RequestUrl(int, const std::string&, const std::string&) override {}
  void FSCommand(const std::string&, const std::string&) override {}
  std::string CallExternal(const std::string&, const std::vector<swf::ExternalValue>&) override { return {}; }
  void Invalidate(const swf::IntRect&) override {}
  void Log(const std::string&) override {}
};

// The engine's own render of each frame into a 1080p buffer, the frames in
// turn as the drivers get them.
double EngineRenderMs() {
  const std::vector<uint8_t> bytes = swfc::Compile(BusyMovie());
  SilentHost host;
  swf::MovieInstance movie(swf::LoadMovie(bytes.data(), bytes.size()), host);
  movie.SetViewport(kW, kH);
  movie.Step();
  std::vector<uint32_t> pixels(size_t(kW) * kH);
  const swf::RenderTarget target{pixels.data(), kW, kH, kW * 4};
  int frame = 0;
  return FastestMs(kRuns, [&] {
    movie.GotoFrame(frame ^= 1);
    movie.Render(target, {0, 0, kW, kH}, false);
  });
}

// The layer composite alone: a 1080p layer of translucent pixels over a frame.
double CompositeMs() {
  std::vector<uint32_t> layer(size_t(kW) * kH), frame(size_t(kW) * kH, 0xFF336699u);
  for (size_t i = 0; i < layer.size(); ++i) {
    const uint32_t a = i * 7 % 256, c = a / 2;
    layer[i] = a << 24 | c << 16 | c << 8 | c;
  }
  return FastestMs(kRuns, [&] {
    for (int y = 0; y < kH; ++y) swfwin::CompositeOver(&frame[size_t(y) * kW], &layer[size_t(y) * kW], kW);
  });
}

// The driver's own steps on a whole 1080p buffer: the fill before a pass,
// and the alpha recovered from the renders over black and over white.
double FillMs() {
  std::vector<uint32_t> frame(size_t(kW) * kH);
  return FastestMs(kRuns, [&] { vt::FillLongwordRect(frame.data(), kW, kH, 0, 0, kW, kH, 0xFF000000u); });
}

double RecoverAlphaMs() {
  std::vector<uint32_t> black(size_t(kW) * kH, 0xFF102030u), white(size_t(kW) * kH, 0xFF8090A0u);
  return FastestMs(kRuns, [&] {
    for (int y = 0; y < kH; ++y) vt::RecoverAlpha(&black[size_t(y) * kW], &white[size_t(y) * kW], kW);
  });
}

struct Timing {
  double frame = 0, repaint = 0;
};

// Loads the movie, waits until it stands still, then times new frames (the
// driver painting from inside the change) and whole-buffer repaints.
Timing Measure(const char* Name, vt::TvtFlashDriver& D, const std::wstring& Movie) {
  int painted = 0;
  long long area = 0;
  D.FOnPaint = [&](vcl::TObject*, const vcl::TRect& R) {
    ++painted;
    area += static_cast<long long>(R.Right - R.Left) * (R.Bottom - R.Top);
  };
  D.LoadMovie(Movie);
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!(painted > 0 && D.GetTotalFrames() == 2 && !D.GetIsPlaying()) && std::chrono::steady_clock::now() < end) {
    vcl::Application()->ProcessMessages();
    Sleep(5);
  }
  if (!painted) {
    std::printf("  %-34s the movie never showed\n", Name);
    return {};
  }
  Timing t;
  int frame = 0;
  area = 0;
  painted = 0;
  t.frame = FastestMs(kRuns, [&] { D.SetCurrentFrame(frame ^= 1); });
  const double covered = static_cast<double>(area) / (static_cast<double>(kW) * kH * kRuns);
  const double paints = static_cast<double>(painted) / kRuns;
  t.repaint = FastestMs(kRuns, [&] { D.ForceUpdate(); });
  D.FOnPaint = nullptr;
  std::printf("  %-34s %8.2f ms new frame (%.1f paints covering %.2f frames), %8.2f ms repaint\n", Name, t.frame,
              paints, covered, t.repaint);
  return t;
}

}  // namespace

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  vcl::Application()->Initialize();
  const std::wstring movie = WriteMovie();
  vt::InitializeNetscapeDriverUnit();
  vt::CheckFlashActiveX();
  std::printf("%dx%d frame of 200 gradient circles, fastest of %d runs\n", kW, kH, kRuns);
  const double engine = EngineRenderMs();
  std::printf("  %-34s %8.2f ms\n", "engine's own render:", engine);
  std::printf("  %-34s %8.2f ms\n", "layer composite alone:", CompositeMs());
  std::printf("  %-34s %8.2f ms\n", "driver's fill alone:", FillMs());
  std::printf("  %-34s %8.2f ms\n", "alpha recovery alone:", RecoverAlphaMs());
  if (!vt::FlashActiveXAvailable) std::printf("  the stand-in control is not registered\n");
  if (!vt::TvtFlashDriverNS::PluginExists()) std::printf("  the stand-in module is not beside the program\n");
  for (const uint32_t background : {0xFF000000u, 0u}) {
    const char* mode = background ? "opaque" : "alpha";
    if (vt::FlashActiveXAvailable) {
      auto d = vt::TvtFlashDriverActiveX::Create(kW, kH, background);
      const Timing t = Measure((std::string("ActiveX driver, ") + mode + ":").c_str(), *d, movie);
      if (!background && t.frame > 0) std::printf("    alpha frame / engine's render: %.2fx\n", t.frame / engine);
    }
    if (vt::TvtFlashDriverNS::PluginExists()) {
      auto d = vt::TvtFlashDriverNS::Create(kW, kH, background);
      const Timing t = Measure((std::string("plug-in driver, ") + mode + ":").c_str(), *d, movie);
      if (!background && t.frame > 0) std::printf("    alpha frame / engine's render: %.2fx\n", t.frame / engine);
    }
  }
  vt::FinalizeNetscapeDriverUnit();
  DeleteFileW(movie.c_str());
  vcl::FreeDeviceContexts();
  CoUninitialize();
  return 0;
}
