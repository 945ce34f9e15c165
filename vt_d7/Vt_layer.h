#pragma once
// Vt_layer: the layered player, which shows a movie as a free-floating,
// per-pixel translucent window: the form that holds it becomes a layered
// window whose whole picture is the movie's frame buffer.

#include <windows.h>

#include <cstdint>

#include "framework/Controls.h"
#include "vt_d7/Vt_flashplayer.h"

namespace vt {

// The signature of the system's UpdateLayeredWindow.
using TUpdateLayeredWindowFunc = BOOL(WINAPI*)(HWND Window, HDC DestDC, POINT* DestPos, SIZE* Size,
                                               HDC SourceDC, POINT* SourcePos, COLORREF Key,
                                               BLENDFUNCTION* Blend, DWORD Flags);

// The layered-window update every layer calls; resolved from user32.dll by
// the first InitializeLayerUnit. An application (or a test) may replace it.
// While it is null the layers fall back to painting their buffer in their own
// window, as the windowed player does.
extern TUpdateLayeredWindowFunc UpdateLayeredWindowFunc;

// Unit initialisation: resolves UpdateLayeredWindowFunc (first call only),
// registers TvtFlashLayer for form streams, and lets the next fallback be
// reported again.
void InitializeLayerUnit();

// The layered player. Its parent form becomes layered when the layer's window
// is made at run time; each frame the driver draws is handed whole to the
// form's layered window, which also moves and sizes the form to the layer.
// The buffer's background is the transparent pixel 0.
//
// AllowDrag: a left press on the movie reaches the movie as usual; moving the
// mouse with the left button held then moves the form along with it (the
// movie still gets the moves and the release).
class TvtFlashLayer : public TvtCustomFlashPlayerWnd {
 public:
  explicit TvtFlashLayer(vcl::TComponent* AOwner);
  std::wstring ClassName() const override { return L"TvtFlashLayer"; }
  void GetPublishedProperties(vcl::TPropList& List) override;

  // The constant opacity over the per-pixel alpha, 0..255 (clamped). A new
  // value shows with the next frame the movie draws.
  int32_t MasterAlpha() const { return FMasterAlpha; }
  void SetMasterAlpha(int32_t Value);
  bool AllowDrag() const { return FAllowDrag; }
  void SetAllowDrag(bool Value) { FAllowDrag = Value; }

  void CreateHandle() override;
  void Paint() override;
  void DoPaint(vcl::TObject* ASender, const vcl::TRect& ARect) override;
  void MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;
  void MouseMove(vcl::TShiftState Shift, int X, int Y) override;
  void MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) override;

  // Pushes the whole frame buffer to the parent's layered window, placed at
  // the parent's position plus the layer's offset.
  void UpdateLayer();

 private:
  // True when the update function is there; otherwise reports the fallback
  // (once) and answers false.
  bool LayerFunctionAvailable();

  int32_t FMasterAlpha = 255;
  bool FAllowDrag = true;
  bool FDragging = false;
  vcl::TPoint FDragStart{};  // screen point of the press
  vcl::TPoint FFormStart{};  // the form's position at the press
};

}  // namespace vt
