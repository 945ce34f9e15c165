// The layered player: the layered style of its form, the update of the
// form's picture, and moving the form by dragging the movie.
#include "framework/Forms.h"
#include "vt_d7/Vt_layer.h"
#include "flash_layer_unit.h"

namespace vt {

TvtFlashLayer::TvtFlashLayer(vcl::TComponent* AOwner) : TvtCustomFlashPlayerWnd(AOwner) {
  FBackgroundMask = 0;
  // The driver was made with the opaque colour; with the transparent pixel
  // it keeps its second buffer and recovers each pixel's alpha, which the
  // layered window needs.
  if (FDriver) FDriver->SetBackground(BackgroundPixel());
  SetAlign(vcl::alClient);
  SetMasterAlpha(255);
  SetAllowDrag(true);
}

void TvtFlashLayer::SetMasterAlpha(int32_t Value) {
  FMasterAlpha = Value < 0 ? 0 : Value > 255 ? 255 : Value;
}

bool TvtFlashLayer::LayerFunctionAvailable() {
  if (UpdateLayeredWindowFunc) return true;
  ReportLayerFallback(this);
  return false;
}

void TvtFlashLayer::CreateHandle() {
  const std::weak_ptr<void> alive = AliveToken();
  TvtCustomFlashPlayerWnd::CreateHandle();
  if (alive.expired() || !HandleAllocated()) return;
  if (FDriver) FDriver->Resize(Width(), Height());
  if (IsDesigning()) return;
  vcl::TWinControl* parent = Parent();
  if (!dynamic_cast<vcl::TForm*>(parent) || !parent->HandleAllocated()) return;
  // Without the update function a layered form would show nothing at all:
  // it keeps its ordinary style and the layer paints in its window.
  if (!LayerFunctionAvailable()) return;
  HWND form = parent->Handle();
  SetWindowLongA(form, GWL_EXSTYLE, GetWindowLongA(form, GWL_EXSTYLE) | WS_EX_LAYERED);
  UpdateLayer();
}

void TvtFlashLayer::UpdateLayer() {
  if (IsDesigning()) return;
  vcl::TWinControl* parent = Parent();
  if (!parent || !parent->HandleAllocated() || !FDriver) return;
  const TUpdateLayeredWindowFunc update = UpdateLayeredWindowFunc;
  if (!update) return;
  POINT position{parent->Left() + Left(), parent->Top() + Top()};
  SIZE size{Width(), Height()};
  POINT origin{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(FMasterAlpha & 0xFF), AC_SRC_ALPHA};
  // A failing update leaves the previous picture.
  update(parent->Handle(), nullptr, &position, &size, FDriver->FDC, &origin, 0, &blend, ULW_ALPHA);
}

// The form's layered picture replaces both painting steps; without the
// update function the layer shows its buffer as the windowed player does.
void TvtFlashLayer::DoPaint(vcl::TObject* ASender, const vcl::TRect& ARect) {
  if (IsDesigning()) return;
  if (UpdateLayeredWindowFunc) {
    UpdateLayer();
    return;
  }
  // The fallback is reported once the layer has a form to show in.
  if (dynamic_cast<vcl::TForm*>(Parent())) ReportLayerFallback(this);
  TvtCustomFlashPlayerWnd::DoPaint(ASender, ARect);
}

void TvtFlashLayer::Paint() {
  if (IsDesigning() || UpdateLayeredWindowFunc) return;
  TvtCustomFlashPlayerWnd::Paint();
}

// ---- dragging the form ----

void TvtFlashLayer::MouseDown(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) {
  const std::weak_ptr<void> alive = AliveToken();
  // The movie gets the press first.
  TvtCustomFlashPlayerWnd::MouseDown(Button, Shift, X, Y);
  if (alive.expired()) return;
  auto* form = dynamic_cast<vcl::TForm*>(Parent());
  if (!FAllowDrag || Button != vcl::mbLeft || IsDesigning() || !form || !HandleAllocated()) return;
  FDragging = true;
  FDragStart = ClientToScreen({X, Y});
  FFormStart = {form->Left(), form->Top()};
}

void TvtFlashLayer::MouseMove(vcl::TShiftState Shift, int X, int Y) {
  const std::weak_ptr<void> alive = AliveToken();
  TvtCustomFlashPlayerWnd::MouseMove(Shift, X, Y);
  if (alive.expired() || !FDragging) return;
  auto* form = dynamic_cast<vcl::TForm*>(Parent());
  if (!FAllowDrag || !Shift.Contains(vcl::ssLeft) || !form || !HandleAllocated()) {
    FDragging = false;
    return;
  }
  // The point under the cursor keeps its place on the form.
  const vcl::TPoint now = ClientToScreen({X, Y});
  form->SetBounds(FFormStart.X + now.X - FDragStart.X, FFormStart.Y + now.Y - FDragStart.Y, form->Width(),
                  form->Height());
}

void TvtFlashLayer::MouseUp(vcl::TMouseButton Button, vcl::TShiftState Shift, int X, int Y) {
  if (Button == vcl::mbLeft) FDragging = false;
  TvtCustomFlashPlayerWnd::MouseUp(Button, Shift, X, Y);
}

// ---- published properties ----

void TvtFlashLayer::GetPublishedProperties(vcl::TPropList& List) {
  TvtCustomFlashPlayerWnd::GetPublishedProperties(List);
  // The framework's common properties without Align and Color: the layer
  // always fills its form, and its colour is never shown.
  vcl::TPropList common;
  PublishCommon(common);
  for (const vcl::TPropInfo& info : common)
    if (info.Name != L"Align" && info.Name != L"Color") List.Add(info);
  vcl::TPublisher<TvtFlashLayer>(List)
      .Boolean(L"AllowDrag", &TvtFlashLayer::AllowDrag, &TvtFlashLayer::SetAllowDrag, true)
      .Integer(L"MasterAlpha", &TvtFlashLayer::MasterAlpha, &TvtFlashLayer::SetMasterAlpha, 255);
}

}  // namespace vt
