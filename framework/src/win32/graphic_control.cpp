#include "framework/Controls.h"

namespace vcl {

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TGraphicControl::~TGraphicControl() {
  Destroying();
  canvas_->FreeHandle();
}

// A DC acquired for drawing outside a paint has the old origin and clip
// built in; it is given back whenever the control moves or changes parent.

void TGraphicControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  canvas_->FreeHandle();
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TGraphicControl::SetParent(TWinControl* AParent) {
  canvas_->FreeHandle();
  TControl::SetParent(AParent);
}

}  // namespace vcl
