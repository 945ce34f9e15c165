#include "framework/Graphics.h"

namespace vcl {

namespace {
// A raster operation reads the brush when its result depends on the pattern bits.
bool RopUsesPattern(DWORD Rop) { return ((Rop & 0xF00000) >> 4) != (Rop & 0x0F0000); }
}  // namespace

TCanvas::TCanvas() {
  pen_.canvas_ = this;
  brush_.canvas_ = this;
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  if (!dc_) throw EInvalidOperation(L"Canvas does not allow drawing");
  return dc_;
}

void TCanvas::SetHandle(HDC Value) {
  if (dc_ == Value) return;
  if (dc_) {
    DeselectPen();
    DeselectBrush();
    pen_.FreeHandle();
    brush_.FreeHandle();
  }
  dc_ = Value;
}

void TCanvas::RequirePen() {
  HDC dc = Handle();
  if (!oldPen_) oldPen_ = SelectObject(dc, pen_.Handle());
}

void TCanvas::RequireBrush() {
  HDC dc = Handle();
  if (!oldBrush_) oldBrush_ = SelectObject(dc, brush_.Handle());
}

void TCanvas::DeselectPen() {
  if (dc_ && oldPen_) SelectObject(dc_, oldPen_);
  oldPen_ = nullptr;
}

void TCanvas::DeselectBrush() {
  if (dc_ && oldBrush_) SelectObject(dc_, oldBrush_);
  oldBrush_ = nullptr;
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  RequirePen();
  RequireBrush();
  ::Rectangle(dc_, X1, Y1, X2, Y2);
}

void TCanvas::FillRect(const TRect& R) {
  RECT r{R.Left, R.Top, R.Right, R.Bottom};
  HDC dc = Handle();
  ::FillRect(dc, &r, brush_.Handle());
}

void TCanvas::MoveTo(int X, int Y) { MoveToEx(Handle(), X, Y, nullptr); }

void TCanvas::LineTo(int X, int Y) {
  RequirePen();
  ::LineTo(dc_, X, Y);
}

TPoint TCanvas::PenPos() {
  POINT p{};
  GetCurrentPositionEx(Handle(), &p);
  return {p.x, p.y};
}

TColor TCanvas::Pixels(int X, int Y) {
  COLORREF c = GetPixel(Handle(), X, Y);
  return c == CLR_INVALID ? clNone : static_cast<TColor>(c);
}

void TCanvas::SetPixels(int X, int Y, TColor Color) { SetPixel(Handle(), X, Y, ColorToRGB(Color)); }

void TCanvas::BitBlt(int X, int Y, int Width, int Height, HDC Source, int XSrc, int YSrc, DWORD Rop) {
  HDC dc = Handle();
  if (RopUsesPattern(Rop)) RequireBrush();
  ::BitBlt(dc, X, Y, Width, Height, Source, XSrc, YSrc, Rop);
}

void TCanvas::CopyRect(const TRect& Dest, TCanvas& Source, const TRect& SrcRect) {
  HDC dc = Handle();
  HDC src = Source.Handle();
  if (RopUsesPattern(copyMode_)) RequireBrush();
  if (Dest.Width() == SrcRect.Width() && Dest.Height() == SrcRect.Height())
    ::BitBlt(dc, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, SrcRect.Left, SrcRect.Top, copyMode_);
  else
    StretchBlt(dc, Dest.Left, Dest.Top, Dest.Width(), Dest.Height(), src, SrcRect.Left, SrcRect.Top,
               SrcRect.Width(), SrcRect.Height(), copyMode_);
}

}  // namespace vcl
