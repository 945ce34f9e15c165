// The graphic player's frame path on Windows: erasing the buffer (opaque
// fill, and the parent's picture when transparent) and showing it (one block
// transfer onto the parent's surface). Prints the median of repeated runs.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

#include "framework/Forms.h"
#include "vt_d7/Vt_flashplayer.h"

namespace {

// Wine's null display is 1024 x 768, and a window is kept inside it.
constexpr int kW = 960, kH = 540;

double MedianMs(int Runs, int PerRun, const std::function<void()>& Step) {
  std::vector<double> ms;
  for (int r = 0; r < Runs; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < PerRun; ++i) Step();
    GdiFlush();
    auto t1 = std::chrono::steady_clock::now();
    ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count() / PerRun);
  }
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

}  // namespace

int main() {
  vcl::Application()->Initialize();
  auto form = std::make_unique<vcl::TForm>(nullptr);
  form->SetClientWidth(kW);
  form->SetClientHeight(kH);
  auto* player = new vt::TvtFlashPlayer(form.get());
  player->SetParent(form.get());
  player->SetBounds(0, 0, kW, kH);
  form->Show();  // a visible window, so the block transfer has a surface to land on
  vt::TvtFlashDriver* d = player->Driver();
  const vcl::TRect all = vcl::Rect(0, 0, kW, kH);
  const vcl::TRect small = vcl::Bounds(600, 400, 256, 256);

  RECT client{};
  GetClientRect(form->Handle(), &client);
  std::printf("%dx%d frame buffer on a form whose window client is %ldx%ld, median of 15 runs\n", kW, kH,
              client.right, client.bottom);
  std::printf("  transparent erase, whole buffer (parent's PaintTo): %8.3f ms\n",
              MedianMs(15, 5, [&] { player->DoEraseBackground(d, all); }));
  std::printf("  transparent erase, 256x256:                         %8.3f ms\n",
              MedianMs(15, 20, [&] { player->DoEraseBackground(d, small); }));
  player->SetTransparent(false);
  std::printf("  opaque erase, whole buffer (FillLongwordRect):      %8.3f ms\n",
              MedianMs(15, 20, [&] { player->DoEraseBackground(d, all); }));
  std::printf("  opaque erase, 256x256:                              %8.3f ms\n",
              MedianMs(15, 200, [&] { player->DoEraseBackground(d, small); }));
  std::printf("  show, whole buffer onto the form (DoPaint):         %8.3f ms\n",
              MedianMs(15, 20, [&] { player->DoPaint(d, small); }));
  vcl::FreeDeviceContexts();
  return 0;
}
