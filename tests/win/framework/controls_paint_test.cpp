// Painting: the parent paints windowless children at their place and clip,
// PaintTo works without a window, and DCs taken outside a paint are given back.
#include <gtest/gtest.h>

#include <memory>

#include "controls_test_support.h"

using namespace vcl;
using vcl_test::Dib;
using vcl_test::PixelOf;
using vcl_test::TBlock;
using vcl_test::TPanel;

namespace {

class PaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetColor(clWhite);
    form->SetClientWidth(100);
    form->SetClientHeight(80);
  }
  TBlock* AddBlock(int X, int Y, int W, int H, TColor Color, TWinControl* Parent = nullptr) {
    auto* b = new TBlock(form.get());  // owned by the form
    b->SetBounds(X, Y, W, H);
    b->SetColor(Color);
    b->SetParent(Parent ? Parent : form.get());
    return b;
  }
  std::unique_ptr<TForm> form;
};

TEST_F(PaintTest, PaintToDrawsAHiddenFormAndItsWindowlessChildrenClippedAtTheirPlace) {
  TBlock* block = AddBlock(10, 20, 30, 15, clRed);
  AddBlock(30, 30, 20, 20, clBlue);  // later child, on top where they overlap
  TBlock* hidden = AddBlock(60, 5, 10, 10, clLime);
  hidden->SetVisible(false);

  Dib dib(100, 80);
  form->PaintTo(dib.DC(), 0, 0);
  EXPECT_FALSE(form->HandleAllocated());
  EXPECT_EQ(dib.At(0, 0), PixelOf(clWhite));
  EXPECT_EQ(dib.At(10, 20), PixelOf(clRed));
  EXPECT_EQ(dib.At(29, 29), PixelOf(clRed));
  EXPECT_EQ(dib.At(9, 20), PixelOf(clWhite));   // the block fills beyond itself:
  EXPECT_EQ(dib.At(10, 19), PixelOf(clWhite));  // clipped
  EXPECT_EQ(dib.At(39, 34), PixelOf(clBlue));
  EXPECT_EQ(dib.At(39, 35), PixelOf(clBlue));
  EXPECT_EQ(dib.At(40, 25), PixelOf(clWhite));
  EXPECT_EQ(dib.At(65, 10), PixelOf(clWhite));
  EXPECT_EQ(hidden->paints, 0);
  // The canvas drew in the block's own coordinates.
  EXPECT_EQ(block->origin.x, 10);
  EXPECT_EQ(block->origin.y, 20);
  EXPECT_EQ(block->clip.right - block->clip.left, 30);
  EXPECT_EQ(block->clip.bottom - block->clip.top, 15);
  EXPECT_FALSE(block->Canvas().HandleAllocated());
}

TEST_F(PaintTest, PaintToHonoursTheOffsetNestedWindowedChildrenAndRestoresTheDC) {
  auto* panel = new TPanel(form.get());
  panel->SetBounds(40, 10, 50, 50);
  panel->SetColor(clYellow);
  panel->fill = clPurple;  // its own painting: the top-left 4 x 4
  panel->SetParent(form.get());
  AddBlock(10, 10, 10, 10, clRed, panel);

  Dib dib(120, 100, 0);
  POINT orgBefore{};
  GetViewportOrgEx(dib.DC(), &orgBefore);
  RECT clipBefore{};
  GetClipBox(dib.DC(), &clipBefore);
  form->PaintTo(dib.DC(), 5, 7);
  EXPECT_EQ(dib.At(4, 6), 0u);
  EXPECT_EQ(dib.At(5, 7), PixelOf(clWhite));
  EXPECT_EQ(dib.At(104, 86), PixelOf(clWhite));
  EXPECT_EQ(dib.At(105, 87), 0u);
  EXPECT_EQ(dib.At(45, 17), PixelOf(clPurple));
  EXPECT_EQ(dib.At(49, 21), PixelOf(clYellow));
  EXPECT_EQ(dib.At(55, 27), PixelOf(clRed));  // 5 + 40 + 10, 7 + 10 + 10
  EXPECT_EQ(dib.At(64, 36), PixelOf(clRed));
  EXPECT_EQ(dib.At(65, 37), PixelOf(clYellow));

  POINT orgAfter{};
  GetViewportOrgEx(dib.DC(), &orgAfter);
  RECT clipAfter{};
  GetClipBox(dib.DC(), &clipAfter);
  EXPECT_EQ(orgAfter.x, orgBefore.x);
  EXPECT_EQ(orgAfter.y, orgBefore.y);
  EXPECT_TRUE(EqualRect(&clipAfter, &clipBefore));
}

TEST_F(PaintTest, PaintMessagePaintsChildrenWithTheirOriginAndClip) {
  TBlock* block = AddBlock(25, 15, 20, 10, clRed);
  form->Show();
  HWND h = form->Handle();
  UpdateWindow(h);
  block->paints = 0;
  InvalidateRect(h, nullptr, TRUE);
  UpdateWindow(h);
  ASSERT_EQ(block->paints, 1);
  EXPECT_EQ(block->origin.x, 25);
  EXPECT_EQ(block->origin.y, 15);
  EXPECT_LE(block->clip.right - block->clip.left, 20);
  EXPECT_LE(block->clip.bottom - block->clip.top, 10);
  EXPECT_FALSE(block->Canvas().HandleAllocated());

  // Invalidating the block repaints it through its parent.
  block->Invalidate();
  UpdateWindow(h);
  EXPECT_EQ(block->paints, 2);
}

TEST_F(PaintTest, CanvasOutsideAPaintTakesTheParentDCAndGivesItBack) {
  TBlock* block = AddBlock(30, 20, 16, 12, clRed);
  EXPECT_EQ(DeviceContextsInUse(), 0);
  HDC dc = block->Canvas().Handle();  // makes the form's window
  EXPECT_TRUE(form->HandleAllocated());
  form->Show();
  EXPECT_EQ(DeviceContextsInUse(), 1);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 30);
  EXPECT_EQ(origin.y, 20);
  RECT clip{};
  ASSERT_NE(GetClipBox(dc, &clip), ERROR);
  EXPECT_EQ(clip.left, 0);
  EXPECT_EQ(clip.top, 0);
  EXPECT_EQ(clip.right, 16);
  EXPECT_EQ(clip.bottom, 12);

  FreeDeviceContexts();
  EXPECT_EQ(DeviceContextsInUse(), 0);
  EXPECT_FALSE(block->Canvas().HandleAllocated());

  // Moving, destroying the control, destroying the parent's window and
  // the message loop all give the DC back.
  block->Canvas().Handle();
  block->SetLeft(31);
  EXPECT_EQ(DeviceContextsInUse(), 0);
  block->Canvas().Handle();
  form->DestroyHandle();
  EXPECT_EQ(DeviceContextsInUse(), 0);
  block->Canvas().Handle();
  Application()->ProcessMessages();
  EXPECT_EQ(DeviceContextsInUse(), 0);
  block->Canvas().Handle();
  delete block;
  EXPECT_EQ(DeviceContextsInUse(), 0);
}

TEST_F(PaintTest, APaintInsideADirectDrawGivesTheCanvasItsDCBack) {
  TBlock* block = AddBlock(0, 0, 10, 10, clRed);
  HDC acquired = block->Canvas().Handle();
  Dib dib(100, 80);
  form->PaintTo(dib.DC(), 0, 0);  // as a transparent player's erase does
  EXPECT_EQ(block->paints, 1);
  EXPECT_EQ(block->Canvas().Handle(), acquired);
  EXPECT_EQ(DeviceContextsInUse(), 1);
  FreeDeviceContexts();
}

TEST_F(PaintTest, ACanvasWithoutAParentCannotDraw) {
  TBlock orphan(nullptr);
  EXPECT_THROW(orphan.Canvas().Handle(), EInvalidOperation);
}

}  // namespace
