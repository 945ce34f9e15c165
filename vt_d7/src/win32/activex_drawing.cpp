// The ActiveX driver's drawing: every change the control reports is painted
// into the frame buffer at once, through the control's view object, clipped
// to the changed rectangle; with a transparent background, twice (over
// black and over white) and alpha recovered, as the plug-in driver does.
#include <algorithm>

#include "activex_unit.h"

namespace vt {

namespace {

// Drawn as an opaque object: the driver supplies the background itself.
constexpr DWORD kAspectOpaque = 16;

}  // namespace

void TvtFlashDriverActiveX::CreateBuffer() {
  TvtFlashDriver::CreateBuffer();
  if (!FOleInPlaceObjectWindowless) return;
  const std::weak_ptr<char> alive = alive_;
  const RECT r{0, 0, FWidth, FHeight};
  FOleInPlaceObjectWindowless->SetObjectRects(&r, &r);
  if (!alive.expired()) Repaint(vcl::Rect(0, 0, FWidth, FHeight));
}

void TvtFlashDriverActiveX::ResizeBuffer() {
  TvtFlashDriver::ResizeBuffer();
  if (!FOleInPlaceObjectWindowless) return;
  const RECT r{0, 0, FWidth, FHeight};
  FOleInPlaceObjectWindowless->SetObjectRects(&r, &r);
}

void TvtFlashDriverActiveX::ForceUpdate() { Repaint(vcl::Rect(0, 0, FWidth, FHeight)); }

void TvtFlashDriverActiveX::Repaint(const vcl::TRect& ARect) {
  SchedulePaint(ARect, [this](const vcl::TRect& R) { PaintPass(R); });
}

void TvtFlashDriverActiveX::PaintPass(const vcl::TRect& R) {
  const std::weak_ptr<char> alive = alive_;
  if (FDC && FViewObject) {
    if (FAlphaBits) {
      if (!RenderLayers(R, [this, &R](HDC DC) { return DrawControl(DC, R); })) return;
    } else {
      if (FOnEraseBackground) {
        FOnEraseBackground(this, R);
        if (alive.expired()) return;
      }
      if (!DrawControl(FDC, R)) return;
    }
    // Outlined before it is reported, so the player shows the outline at once.
    DrawUpdateRect(R);
  }
  if (FOnPaint) FOnPaint(this, R);
}

bool TvtFlashDriverActiveX::DrawControl(HDC DC, const vcl::TRect& R) {
  // The view may be let go from inside its own drawing.
  const TComPtr<IViewObject> view = FViewObject;
  if (!view || !DC) return true;
  const std::weak_ptr<char> alive = alive_;
  const int saved = SaveDC(DC);
  IntersectClipRect(DC, R.Left, R.Top, R.Right, R.Bottom);
  // The whole object as bounds, whatever part is clipped: bounds of the
  // changed rectangle would squeeze the movie into it.
  const RECTL bounds{0, 0, FWidth, FHeight};
  view->Draw(kAspectOpaque, -1, nullptr, nullptr, nullptr, DC, &bounds, nullptr, nullptr, 0);
  if (alive.expired()) return false;
  RestoreDC(DC, saved);
  GdiFlush();
  return true;
}

}  // namespace vt
