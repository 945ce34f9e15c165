#pragma once
// Helpers for the Graphics, Controls and Forms tests: a 32-bit DIB section
// to paint into and read back, and small controls that record what happens.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"

namespace vcl_test {

// The value a 32-bit DIB pixel holds for a colour (0x00RRGGBB).
inline uint32_t PixelOf(vcl::TColor Color) {
  const uint32_t c = vcl::ColorToRGB(Color);
  return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// A top-down 32-bit DIB section selected into a memory DC.
class Dib {
 public:
  Dib(int Width, int Height, uint32_t Fill = 0x00123456) : width_(Width), height_(Height) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = Width;
    bi.bmiHeader.biHeight = -Height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    dc_ = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<uint32_t*>(bits);
    old_ = SelectObject(dc_, bitmap_);
    for (int i = 0; i < Width * Height; ++i) bits_[i] = Fill;
  }
  ~Dib() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;

  HDC DC() const { return dc_; }
  uint32_t At(int X, int Y) const {
    GdiFlush();
    return bits_[Y * width_ + X] & 0x00FFFFFF;
  }

 private:
  int width_;
  int height_;
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
  uint32_t* bits_;
};

// A windowless control that fills a larger area than itself with its
// colour (so clipping shows) and records the DC state it painted with.
class TBlock : public vcl::TGraphicControl {
 public:
  using vcl::TGraphicControl::TGraphicControl;
  void Paint() override {
    ++paints;
    HDC dc = Canvas().Handle();
    GetViewportOrgEx(dc, &origin);
    GetClipBox(dc, &clip);
    Canvas().Brush().SetColor(Color());
    Canvas().FillRect(vcl::Rect(-20, -20, Width() + 20, Height() + 20));
  }
  void CMColorChanged() override {
    ++colorChanges;
    vcl::TGraphicControl::CMColorChanged();
  }
  int paints = 0;
  int colorChanges = 0;
  POINT origin{};
  RECT clip{};
};

// A windowed control that paints itself a colour of its own choice.
class TPanel : public vcl::TCustomControl {
 public:
  using vcl::TCustomControl::TCustomControl;
  void Paint() override {
    if (fill == vcl::clNone) return;
    Canvas().Brush().SetColor(fill);
    Canvas().FillRect(vcl::Rect(0, 0, 4, 4));
  }
  void CMColorChanged() override {
    ++colorChanges;
    vcl::TCustomControl::CMColorChanged();
  }
  vcl::TColor fill = vcl::clNone;
  int colorChanges = 0;
};

}  // namespace vcl_test
