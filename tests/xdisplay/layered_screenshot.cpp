// The layered-window screenshot test: a layered window with an opaque, a fully
// transparent and a half-transparent area is shown over the desktop of a
// private X display, and a picture of the screen must show the window's
// colours where it is opaque and the desktop through it where it is not.
// Run through scripts/xdisplay-run.sh, which starts the display, says the
// desktop colour and whether a compositing manager runs, and takes the pictures:
//   VT_XDISPLAY_DESKTOP     the desktop colour, RRGGBB in hexadecimal
//   VT_XDISPLAY_COMPOSITED  1 when translucent pixels are blended with what lies below
//   VT_XDISPLAY_EXCHANGE    the folder for screenshot requests (screen_capture.h)
// Exit status: 0 when the screen is right, 1 when not, 2 when not run by the script.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "framework/SysUtils.h"
#include "layer_picture.h"
#include "player_layer.h"
#include "raw_layered_window.h"
#include "screen_capture.h"

namespace {

using namespace xdisplay;

constexpr int kLeft = 200, kTop = 150;     // where the layer goes on the 1024x768 screen
constexpr int kAttempts = 5;               // a compositor may need a moment to repaint
constexpr DWORD kShotTimeoutMs = 10000;
constexpr DWORD kReadyTimeoutMs = 10000;

std::string Environment(const char* Name) {
  const char* value = std::getenv(Name);
  return value ? value : "";
}

// The layer under test: the layered player, its movie drawing the picture;
// or, with the argument --raw, a layered window the program fills itself
// (which tells a fault of the display from one of the player).
std::unique_ptr<ShownLayer> ShowLayer(const LayerPicture& Picture, bool Raw) {
  if (Raw) return std::make_unique<RawLayeredWindow>(kLeft, kTop, Picture);
  return std::make_unique<PlayerLayer>(kLeft, kTop, Picture);
}

int Run(bool Raw) {
  const std::string desktop = Environment("VT_XDISPLAY_DESKTOP");
  std::optional<ScreenCapture> capture = ScreenCapture::FromEnvironment();
  char* end = nullptr;
  const unsigned long desktopRgb = std::strtoul(desktop.c_str(), &end, 16);
  if (!capture || desktop.size() != 6 || *end != '\0') {
    std::fprintf(stderr, "layered_screenshot: run me through scripts/xdisplay-run.sh\n");
    return 2;
  }
  ScreenCheck check{kLeft, kTop, static_cast<uint32_t>(desktopRgb),
                    Environment("VT_XDISPLAY_COMPOSITED") == "1"};
  std::printf("desktop %s, %s\n", ColourText(check.desktop).c_str(),
              check.composited ? "composited (translucent pixels are blended)" : "no compositing manager");

  const LayerPicture picture = TestPicture();
  std::unique_ptr<ShownLayer> layer = ShowLayer(picture, Raw);
  for (DWORD waited = 0; !layer->Ready(); waited += 20) {
    if (waited >= kReadyTimeoutMs) {
      std::printf("layered_screenshot: the layer showed nothing within %lu ms\n", kReadyTimeoutMs);
      return 1;
    }
    PumpMessages(20);
  }
  check.originX = layer->Left();
  check.originY = layer->Top();
  PumpMessages(200);

  std::vector<std::string> failures;
  for (int attempt = 1; attempt <= kAttempts; ++attempt) {
    XwdImage screen = capture->Take(kShotTimeoutMs);
    std::vector<std::string> notes;
    failures = CheckScreen(screen, picture, check, &notes);
    if (failures.empty()) {
      for (const PictureArea& area : picture.areas) {
        int x = check.originX + (area.left + area.right) / 2;
        int y = check.originY + (area.top + area.bottom) / 2;
        std::printf("  %s area shows %s\n", area.name.c_str(), ColourText(screen.Pixel(x, y)).c_str());
      }
      for (const std::string& note : notes) std::printf("  %s\n", note.c_str());
      std::printf("layered_screenshot: the screen shows the layer right (screenshot %d)\n", attempt);
      return 0;
    }
    PumpMessages(300);
  }
  std::printf("layered_screenshot: the screen is wrong after %d screenshots:\n", kAttempts);
  for (const std::string& failure : failures) std::printf("  %s\n", failure.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(argc > 1 && std::string(argv[1]) == "--raw");
  } catch (const vcl::Exception& e) {
    std::printf("layered_screenshot: %s\n", vcl::WideToUtf8(e.Message()).c_str());
    return 1;
  } catch (const std::exception& e) {
    std::printf("layered_screenshot: %s\n", e.what());
    return 1;
  }
}
