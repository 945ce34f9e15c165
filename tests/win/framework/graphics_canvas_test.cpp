// Colours and the canvas over a memory DC.
#include <gtest/gtest.h>

#include "controls_test_support.h"

using namespace vcl;
using vcl_test::Dib;
using vcl_test::PixelOf;

namespace {
constexpr uint32_t kFill = 0x00123456;
}

TEST(Colors, SystemColoursComeFromTheSystemOthersKeepTheirLow24Bits) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindowText), GetSysColor(COLOR_WINDOWTEXT));
  EXPECT_EQ(ColorToRGB(clInfoBk), GetSysColor(COLOR_INFOBK));
  EXPECT_EQ(ColorToRGB(clRed), 0x0000FFu);
  EXPECT_EQ(ColorToRGB(clNavy), 0x800000u);
  EXPECT_EQ(ColorToRGB(0x12345678), 0x345678u);
  EXPECT_EQ(ColorToRGB(clNone), 0xFFFFFFu);
}

TEST(Canvas, RectangleDrawsThePenOutlineAndFillsWithTheBrush) {
  Dib dib(12, 12, kFill);
  TCanvas canvas;
  canvas.SetHandle(dib.DC());
  canvas.Pen().SetColor(clRed);
  canvas.Brush().SetColor(clBlue);
  canvas.Rectangle(2, 2, 8, 8);
  EXPECT_EQ(dib.At(2, 2), PixelOf(clRed));
  EXPECT_EQ(dib.At(7, 7), PixelOf(clRed));
  EXPECT_EQ(dib.At(4, 5), PixelOf(clBlue));
  EXPECT_EQ(dib.At(8, 8), kFill);  // right and bottom exclusive
  EXPECT_EQ(dib.At(1, 1), kFill);

  // A clear brush leaves the inside alone; a clear pen draws no outline.
  canvas.Brush().SetStyle(bsClear);
  canvas.Pen().SetColor(clLime);
  canvas.Rectangle(0, 0, 12, 12);
  EXPECT_EQ(dib.At(0, 0), PixelOf(clLime));
  EXPECT_EQ(dib.At(4, 5), PixelOf(clBlue));
  canvas.Pen().SetStyle(psClear);
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(clWhite);
  canvas.Rectangle(0, 0, 12, 12);
  EXPECT_EQ(dib.At(11, 11), PixelOf(clLime));
  EXPECT_EQ(dib.At(4, 5), PixelOf(clWhite));
}

TEST(Canvas, FillRectLinesAndPixels) {
  Dib dib(10, 10, kFill);
  TCanvas canvas;
  canvas.SetHandle(dib.DC());
  canvas.Brush().SetColor(clYellow);
  canvas.FillRect(Rect(1, 1, 4, 3));
  EXPECT_EQ(dib.At(1, 1), PixelOf(clYellow));
  EXPECT_EQ(dib.At(3, 2), PixelOf(clYellow));
  EXPECT_EQ(dib.At(4, 2), kFill);
  EXPECT_EQ(dib.At(3, 3), kFill);
  canvas.Brush().SetStyle(bsClear);
  canvas.FillRect(Rect(0, 0, 10, 10));
  EXPECT_EQ(dib.At(0, 0), kFill);

  canvas.Pen().SetColor(clFuchsia);
  canvas.MoveTo(0, 6);
  canvas.LineTo(5, 6);
  EXPECT_EQ(dib.At(0, 6), PixelOf(clFuchsia));
  EXPECT_EQ(dib.At(4, 6), PixelOf(clFuchsia));
  EXPECT_EQ(dib.At(5, 6), kFill);  // the end point is not drawn
  EXPECT_EQ(canvas.PenPos(), (TPoint{5, 6}));

  canvas.SetPixels(9, 9, clAqua);
  EXPECT_EQ(dib.At(9, 9), PixelOf(clAqua));
  EXPECT_EQ(canvas.Pixels(9, 9), clAqua);
  EXPECT_EQ(canvas.Pixels(50, 50), clNone);
}

TEST(Canvas, DetachingLeavesTheDCWithItsOwnObjectsAndFreesTheCanvasOnes) {
  Dib dib(8, 8);
  const HGDIOBJ dcPen = GetCurrentObject(dib.DC(), OBJ_PEN);
  const HGDIOBJ dcBrush = GetCurrentObject(dib.DC(), OBJ_BRUSH);
  HGDIOBJ ourPen = nullptr;
  HGDIOBJ ourBrush = nullptr;
  {
    TCanvas canvas;
    canvas.SetHandle(dib.DC());
    canvas.Pen().SetColor(clRed);
    canvas.Brush().SetColor(clGreen);
    canvas.Rectangle(0, 0, 4, 4);
    ourPen = GetCurrentObject(dib.DC(), OBJ_PEN);
    ourBrush = GetCurrentObject(dib.DC(), OBJ_BRUSH);
    EXPECT_NE(ourPen, dcPen);
    EXPECT_NE(ourBrush, dcBrush);

    // A pen change while selected swaps the object without leaking the old one.
    canvas.Pen().SetColor(clBlue);
    EXPECT_EQ(GetObjectType(ourPen), 0u);
    canvas.MoveTo(0, 6);
    canvas.LineTo(3, 6);
    EXPECT_EQ(dib.At(1, 6), PixelOf(clBlue));
    ourPen = GetCurrentObject(dib.DC(), OBJ_PEN);

    canvas.SetHandle(nullptr);
    EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_PEN), dcPen);
    EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_BRUSH), dcBrush);
    EXPECT_EQ(GetObjectType(ourPen), 0u);
    EXPECT_EQ(GetObjectType(ourBrush), 0u);

    // Attached again, and destroyed while attached: the DC is restored too.
    canvas.SetHandle(dib.DC());
    canvas.Rectangle(0, 0, 4, 4);
    ourPen = GetCurrentObject(dib.DC(), OBJ_PEN);
  }
  EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_PEN), dcPen);
  EXPECT_EQ(GetCurrentObject(dib.DC(), OBJ_BRUSH), dcBrush);
  EXPECT_EQ(GetObjectType(ourPen), 0u);
}

TEST(Canvas, BlockTransfersAndCopyRect) {
  Dib source(8, 8, 0);
  TCanvas src;
  src.SetHandle(source.DC());
  src.SetPixels(1, 1, clRed);
  src.SetPixels(2, 1, clLime);

  Dib dest(8, 8, kFill);
  TCanvas dst;
  dst.SetHandle(dest.DC());
  dst.BitBlt(5, 6, 2, 1, source.DC(), 1, 1);
  EXPECT_EQ(dest.At(5, 6), PixelOf(clRed));
  EXPECT_EQ(dest.At(6, 6), PixelOf(clLime));
  EXPECT_EQ(dest.At(7, 6), kFill);

  dst.CopyRect(Rect(0, 0, 2, 1), src, Rect(1, 1, 3, 2));
  EXPECT_EQ(dest.At(0, 0), PixelOf(clRed));
  EXPECT_EQ(dest.At(1, 0), PixelOf(clLime));
  // Stretched: each source pixel becomes two.
  dst.CopyRect(Rect(0, 3, 4, 4), src, Rect(1, 1, 3, 2));
  EXPECT_EQ(dest.At(1, 3), PixelOf(clRed));
  EXPECT_EQ(dest.At(2, 3), PixelOf(clLime));
}

TEST(Canvas, DrawingWithoutADeviceContextRaises) {
  TCanvas canvas;
  EXPECT_FALSE(canvas.HandleAllocated());
  EXPECT_THROW(canvas.Rectangle(0, 0, 1, 1), EInvalidOperation);
}

TEST(Canvas, PenAndBrushAssign) {
  TPen a, b;
  a.SetColor(clTeal);
  a.SetWidth(3);
  a.SetStyle(psDot);
  b.Assign(&a);
  EXPECT_EQ(b.Color(), clTeal);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Style(), psDot);
  TBrush brush;
  EXPECT_THROW(brush.Assign(&a), EConvertError);
}
