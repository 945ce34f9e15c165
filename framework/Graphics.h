#pragma once
// Colours, pens, brushes and the canvas: drawing on a Windows device context.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <type_traits>

#include "Classes.h"

namespace vcl {

// 0x00BBGGRR, or 0x80000000 | COLOR_xxx for a system colour.
using TColor = int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The colours written by name in form streams (clBlack, clWindow, ...).
struct TIntegerIdents;
const TIntegerIdents& ColorIdents();

// The RGB value (0x00BBGGRR) of a colour: system colours are looked up with
// GetSysColor, every other value keeps its low 24 bits.
uint32_t ColorToRGB(TColor Color);

namespace detail {
struct GdiObjectDeleter {
  void operator()(HGDIOBJ Object) const noexcept { DeleteObject(Object); }
};
template <class H>
using GdiObject = std::unique_ptr<std::remove_pointer_t<H>, GdiObjectDeleter>;
}  // namespace detail

enum class TPenStyle { psSolid, psDash, psDot, psClear };
using enum TPenStyle;
enum class TBrushStyle { bsSolid, bsClear };
using enum TBrushStyle;

class TCanvas;

// A pen of a canvas. Its GDI object is made when first needed and remade
// after a change; the canvas that owns the pen swaps it in its DC.
class TPen : public TPersistent {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  int Width() const { return width_; }
  void SetWidth(int Value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle Value);
  HPEN Handle();
  void Assign(TPersistent* Source) override;
  std::wstring ClassName() const override { return L"TPen"; }

 private:
  friend class TCanvas;
  void Changed();
  void FreeHandle() { handle_.reset(); }

  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  detail::GdiObject<HPEN> handle_;
  TCanvas* canvas_ = nullptr;
};

// A brush of a canvas; bsClear paints nothing (the stock hollow brush).
class TBrush : public TPersistent {
 public:
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle Value);
  HBRUSH Handle();
  void Assign(TPersistent* Source) override;
  std::wstring ClassName() const override { return L"TBrush"; }

 private:
  friend class TCanvas;
  void Changed();
  void FreeHandle() { handle_.reset(); }

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  detail::GdiObject<HBRUSH> handle_;  // empty for bsClear (stock object)
  TCanvas* canvas_ = nullptr;
};

// Drawing on a device context the canvas does not own. Pen and brush are
// selected into the DC when a drawing operation needs them; detaching the
// canvas (SetHandle with another DC or nullptr) puts the DC's own objects
// back and deletes the ones the canvas made, so the DC is left as it was.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;

  // The device context; CreateHandle() is asked for one when none is set.
  // Raises EInvalidOperation when there is still none.
  HDC Handle();
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  // Raster operation of CopyRect (SRCCOPY by default).
  DWORD CopyMode() const { return copyMode_; }
  void SetCopyMode(DWORD Value) { copyMode_ = Value; }

  // Outline with the pen, inside filled with the brush (hollow with bsClear).
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  // Fills with the brush, no outline.
  void FillRect(const TRect& R);
  void MoveTo(int X, int Y);
  void LineTo(int X, int Y);
  TPoint PenPos();
  // clNone for a point outside the DC's clip region or bitmap.
  TColor Pixels(int X, int Y);
  void SetPixels(int X, int Y, TColor Color);
  // The block transfer from Source at (XSrc, YSrc) to (X, Y).
  void BitBlt(int X, int Y, int Width, int Height, HDC Source, int XSrc, int YSrc, DWORD Rop = SRCCOPY);
  // Copies SrcRect of Source into Dest, stretching when the sizes differ.
  void CopyRect(const TRect& Dest, TCanvas& Source, const TRect& SrcRect);

  std::wstring ClassName() const override { return L"TCanvas"; }

 protected:
  // Hook for canvases that find their DC themselves (a control's canvas).
  virtual void CreateHandle() {}
  // The current DC without asking CreateHandle for one.
  HDC PeekHandle() const { return dc_; }

 private:
  friend class TPen;
  friend class TBrush;
  void RequirePen();
  void RequireBrush();
  void DeselectPen();
  void DeselectBrush();

  HDC dc_ = nullptr;
  HGDIOBJ oldPen_ = nullptr;    // the DC's own pen while ours is selected
  HGDIOBJ oldBrush_ = nullptr;  // the DC's own brush while ours is selected
  DWORD copyMode_ = SRCCOPY;
  TPen pen_;
  TBrush brush_;
};

}  // namespace vcl
