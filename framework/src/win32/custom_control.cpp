#include "framework/Controls.h"

namespace vcl {

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), canvas_(std::make_unique<TControlCanvas>(this)) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC DC) {
  canvas_->PaintWith(DC, [this] { Paint(); });
}

}  // namespace vcl

