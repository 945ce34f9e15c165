// Whether a context's pixels can be written straight: only a 32-bit DIB
// section whose rows run top down, which GetObject alone cannot tell (it
// reports every section's height as positive).
#include <gtest/gtest.h>

#include "renderers/gdipaint/gdi_target.h"

namespace {

struct Selected {
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bitmap;
  HGDIOBJ old;
  Selected(int Width, int Height, int Bits) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, Width, Height, 1, static_cast<WORD>(Bits), BI_RGB, 0, 0, 0, 0, 0};
    void* pixels = nullptr;
    bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
    old = SelectObject(dc, bitmap);
  }
  ~Selected() {
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
  }
};

TEST(GdiTarget, OnlyTopDown32BitSectionsAreWrittenStraight) {
  struct Case {
    int height, bits;
    bool straight;
  } cases[] = {{-40, 32, true}, {40, 32, false}, {-1, 32, true}, {1, 32, true}, {-40, 24, false}};
  for (const Case& c : cases) {
    Selected s(30, c.height, c.bits);
    DIBSECTION dib{};
    EXPECT_EQ(swfwin::TopDownDib(s.dc, dib), c.straight) << c.height << " " << c.bits;
  }
  HDC screen = GetDC(nullptr);  // a context with no DIB section in it
  DIBSECTION dib{};
  EXPECT_FALSE(swfwin::TopDownDib(screen, dib));
  ReleaseDC(nullptr, screen);
}

TEST(GdiTarget, FindingTheRowOrderLeavesThePixelsAsTheyWere) {
  for (const int height : {-8, 8}) {
    Selected s(4, height, 32);
    DIBSECTION dib{};
    GetObjectW(s.bitmap, sizeof dib, &dib);
    auto* pixels = static_cast<uint32_t*>(dib.dsBm.bmBits);
    for (int i = 0; i < 32; ++i) pixels[i] = 0x01020304u * static_cast<uint32_t>(i + 1);
    swfwin::TopDownDib(s.dc, dib);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(pixels[i], 0x01020304u * static_cast<uint32_t>(i + 1)) << height << " " << i;
  }
}

}  // namespace
