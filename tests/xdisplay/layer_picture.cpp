#include "layer_picture.h"

#include <cstdio>
#include <cstdlib>

namespace xdisplay {
namespace {

uint32_t Channel(uint32_t Rgb, int Shift) { return (Rgb >> Shift) & 0xFF; }

uint32_t Scale(uint32_t Value, uint32_t Alpha) { return (Value * Alpha + 127) / 255; }

bool Near(uint32_t A, uint32_t B, int Tolerance) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>(Channel(A, shift)) - static_cast<int>(Channel(B, shift))) > Tolerance)
      return false;
  }
  return true;
}

// Screen pixels the checks read; a point off the screen is a mismatch of its own.
struct Probe {
  const XwdImage& screen;
  std::vector<std::string>& failures;

  void Expect(const std::string& What, int X, int Y, uint32_t Want, int Tolerance) {
    if (X < 0 || Y < 0 || X >= screen.Width() || Y >= screen.Height()) {
      failures.push_back(What + " at (" + std::to_string(X) + ", " + std::to_string(Y) +
                         ") lies off the " + std::to_string(screen.Width()) + "x" +
                         std::to_string(screen.Height()) + " screen");
      return;
    }
    uint32_t got = screen.Pixel(X, Y);
    if (!Near(got, Want, Tolerance))
      failures.push_back(What + " at (" + std::to_string(X) + ", " + std::to_string(Y) + ") shows " +
                         ColourText(got) + ", expected " + ColourText(Want));
  }
};

}  // namespace

LayerPicture TestPicture() {
  return LayerPicture{240, 90,
                      {{"opaque red", 0, 0, 80, 90, 0xFF0000, 255},
                       {"transparent", 80, 0, 160, 90, 0x00FF00, 0},
                       {"half-transparent blue", 160, 0, 240, 90, 0x0000FF, 128}}};
}

uint32_t PremultipliedPixel(const PictureArea& Area) {
  return (uint32_t{Area.alpha} << 24) | (Scale(Channel(Area.rgb, 16), Area.alpha) << 16) |
         (Scale(Channel(Area.rgb, 8), Area.alpha) << 8) | Scale(Channel(Area.rgb, 0), Area.alpha);
}

uint32_t Blend(uint32_t Desktop, const PictureArea& Area) {
  uint32_t source = PremultipliedPixel(Area);
  uint32_t result = 0;
  for (int shift : {0, 8, 16}) {
    uint32_t value = Channel(source, shift) + Scale(Channel(Desktop, shift), 255u - Area.alpha);
    result |= (value > 255 ? 255 : value) << shift;
  }
  return result;
}

std::string ColourText(uint32_t Rgb) {
  char text[8];
  std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(Rgb & 0xFFFFFF));
  return text;
}

std::vector<std::string> CheckScreen(const XwdImage& Screen, const LayerPicture& Picture,
                                     const ScreenCheck& Check, std::vector<std::string>* Notes) {
  std::vector<std::string> failures;
  Probe probe{Screen, failures};
  const int x0 = Check.originX, y0 = Check.originY, w = Picture.width, h = Picture.height;

  // The desktop just outside every edge: the window is where it was put and no larger.
  const struct { int x, y; } around[] = {{x0 - 1, y0 + h / 2}, {x0 + w, y0 + h / 2}, {x0 + w / 2, y0 - 1},
                                         {x0 + w / 2, y0 + h}, {x0 - 1, y0 - 1}, {x0 + w, y0 + h}};
  for (auto p : around) probe.Expect("the desktop", p.x, p.y, Check.desktop, 1);

  // Each area near its corners and in its middle: a shifted or cut picture shows at the corners.
  for (const PictureArea& area : Picture.areas) {
    uint32_t want;
    int tolerance = 1;
    if (area.alpha == 0) {
      want = Check.desktop;
    } else if (area.alpha == 255) {
      want = area.rgb;
    } else if (Check.composited) {
      want = Blend(Check.desktop, area);
      tolerance = 3;
    } else {
      if (Notes) {
        int x = x0 + (area.left + area.right) / 2, y = y0 + (area.top + area.bottom) / 2;
        uint32_t got = x >= 0 && y >= 0 && x < Screen.Width() && y < Screen.Height() ? Screen.Pixel(x, y) : 0;
        Notes->push_back("not checked without a compositor: the " + area.name + " area shows " +
                         ColourText(got) + " (blended it would be " +
                         ColourText(Blend(Check.desktop, area)) + ")");
      }
      continue;
    }
    const int xs[] = {area.left + 2, (area.left + area.right) / 2, area.right - 3};
    const int ys[] = {area.top + 2, (area.top + area.bottom) / 2, area.bottom - 3};
    size_t before = failures.size();
    for (int y : ys) {
      for (int x : xs) probe.Expect("the " + area.name + " area", x0 + x, y0 + y, want, tolerance);
    }
    if (failures.size() - before > 3) {  // one line per point would drown the rest
      size_t more = failures.size() - before - 2;
      failures.resize(before + 2);
      failures.push_back("... and " + std::to_string(more) + " more points of the " + area.name + " area");
    }
  }
  return failures;
}

}  // namespace xdisplay
