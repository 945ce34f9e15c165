#pragma once
// The picture the screenshot test shows in a layered window, and what the
// screen must show for it. Portable: the checks also run on the host.

#include <cstdint>
#include <string>
#include <vector>

#include "xwd_image.h"

namespace xdisplay {

// A rectangle of the picture in one colour with straight (not premultiplied) alpha.
struct PictureArea {
  std::string name;
  int left, top, right, bottom;  // layer coordinates, right and bottom exclusive
  uint32_t rgb;                  // 0xRRGGBB
  uint8_t alpha;                 // 0 transparent .. 255 opaque
};

struct LayerPicture {
  int width, height;
  std::vector<PictureArea> areas;  // side by side, covering the picture
};

// Three columns: opaque red, fully transparent, half-transparent blue.
LayerPicture TestPicture();

// The 32-bit pixel (0xAARRGGBB) a layered window takes for Area: colour multiplied by alpha.
uint32_t PremultipliedPixel(const PictureArea& Area);

// What a compositor shows for Area over the desktop colour: source over, premultiplied.
uint32_t Blend(uint32_t Desktop, const PictureArea& Area);

struct ScreenCheck {
  int originX, originY;  // the layer's top-left corner on the screen
  uint32_t desktop;      // 0xRRGGBB
  bool composited;       // a compositing manager blends translucent pixels
};

// Compares the screen with the picture: the desktop around the layer, each area's inside
// (transparent areas show the desktop, opaque ones their colour, translucent ones the blend
// when composited). Returns one line per mismatch; empty when the screen is right. Notes
// what it did not check (translucent areas without a compositor) in *Notes.
std::vector<std::string> CheckScreen(const XwdImage& Screen, const LayerPicture& Picture,
                                     const ScreenCheck& Check, std::vector<std::string>* Notes);

std::string ColourText(uint32_t Rgb);

}  // namespace xdisplay
