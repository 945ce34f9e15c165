#include <algorithm>

#include "framework/Controls.h"

namespace vcl {

TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {}

TControl::~TControl() {
  Destroying();
  if (parent_) parent_->RemoveControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  const bool sized = AWidth != width_ || AHeight != height_;
  if (visible_) InvalidateInParent(BoundsRect());
  StoreBounds(ALeft, ATop, AWidth, AHeight);
  if (visible_) InvalidateInParent(BoundsRect());
  const std::weak_ptr<void> alive = AliveToken();
  if (sized) {
    Resize();
    if (alive.expired()) return;
  }
  RequestParentAlign();
}

void TControl::StoreBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  if (!anchorMoving_) UpdateAnchorOrigin();
}

void TControl::UpdateAnchorOrigin() {
  if (!parent_) {
    anchorOrigin_.valid = false;
    return;
  }
  const TRect client = parent_->ClientRect();
  anchorOrigin_ = {BoundsRect(), client.Width(), client.Height(), true};
}

void TControl::RequestParentAlign() {
  if (parent_ && align_ != alNone) parent_->AlignControls();
}

void TControl::InvalidateInParent(const TRect& R) {
  if (windowed_ || !parent_ || !parent_->HandleAllocated()) return;
  RECT r{R.Left, R.Top, R.Right, R.Bottom};
  InvalidateRect(parent_->handle_, &r, TRUE);
}

void TControl::CheckNewParent(TWinControl* AParent) const {
  for (const TWinControl* p = AParent; p; p = p->Parent())
    if (p == this) throw EInvalidOperation(L"A control cannot have itself or a child as its parent");
}

void TControl::SetParent(TWinControl* AParent) {
  if (parent_ == AParent) return;
  CheckNewParent(AParent);
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::ChangeColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  const std::weak_ptr<void> alive = AliveToken();
  CMColorChanged();
  if (alive.expired() || !windowed_) return;
  // Children that follow this control's colour take the new one.
  auto* self = static_cast<TWinControl*>(this);
  const std::vector<TControl*> children = self->controls_;
  for (TControl* c : children) {
    if (!self->HasControl(c) || !c->parentColor_) continue;
    c->ChangeColor(color_);
    if (alive.expired()) return;
  }
}

void TControl::SetColor(TColor Value) {
  parentColor_ = false;
  ChangeColor(Value);
}

void TControl::SetParentColor(bool Value) {
  if (parentColor_ == Value) return;
  parentColor_ = Value;
  if (Value && parent_) ChangeColor(parent_->color_);
}

void TControl::CMColorChanged() { Invalidate(); }

void TControl::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  InvalidateInParent(BoundsRect());
  if (parent_) parent_->AlignControls();
}

void TControl::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  Invalidate();
}

void TControl::SetAlign(TAlign Value) {
  if (align_ == Value) return;
  align_ = Value;
  if (Value == alNone) UpdateAnchorOrigin();
  // Siblings move up when a control stops being aligned, too.
  if (parent_) parent_->AlignControls();
}

void TControl::SetAnchors(TAnchors Value) {
  anchors_ = Value;
  UpdateAnchorOrigin();
}

bool TControl::ShowHint() const {
  if (parentShowHint_ && parent_) return parent_->ShowHint();
  return showHint_;
}

void TControl::SetShowHint(bool Value) {
  showHint_ = Value;
  parentShowHint_ = false;
}

void TControl::Invalidate() {
  if (visible_) InvalidateInParent(BoundsRect());
}

void TControl::Update() {
  if (windowed_) {
    auto* self = static_cast<TWinControl*>(this);
    if (self->HandleAllocated()) UpdateWindow(self->handle_);
  } else if (parent_) {
    parent_->Update();
  }
}

void TControl::Repaint() {
  Invalidate();
  Update();
}

TPoint TControl::ClientToScreen(TPoint Point) {
  if (windowed_) {
    POINT p{Point.X, Point.Y};
    ::ClientToScreen(static_cast<TWinControl*>(this)->Handle(), &p);
    return {p.x, p.y};
  }
  if (!parent_) throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
  return parent_->ClientToScreen({Point.X + left_, Point.Y + top_});
}

TPoint TControl::ScreenToClient(TPoint Point) {
  if (windowed_) {
    POINT p{Point.X, Point.Y};
    ::ScreenToClient(static_cast<TWinControl*>(this)->Handle(), &p);
    return {p.x, p.y};
  }
  if (!parent_) throw EInvalidOperation(L"Control '" + Name() + L"' has no parent window");
  const TPoint p = parent_->ScreenToClient(Point);
  return {p.X - left_, p.Y - top_};
}

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && !Shift.Contains(ssDouble)) clickPending_ = true;
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  bool click = false;
  if (Button == mbLeft) {
    click = clickPending_ && ClientRect().Contains({X, Y});
    clickPending_ = false;
  }
  if (click) {
    const std::weak_ptr<void> alive = AliveToken();
    Click();
    if (alive.expired()) return;
  }
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == popupMenu_) popupMenu_ = nullptr;
}

}  // namespace vcl
