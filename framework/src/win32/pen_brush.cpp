#include "framework/Graphics.h"

namespace vcl {

// A change first lets the owning canvas take the old object out of its DC
// (an object selected into a DC must not be deleted), then drops it; the next
// Handle() makes the new one.

void TPen::Changed() {
  if (canvas_) canvas_->DeselectPen();
  handle_.reset();
}

void TPen::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0) Value = 0;
  if (width_ == Value) return;
  width_ = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Changed();
}

HPEN TPen::Handle() {
  if (!handle_) {
    int style = PS_SOLID;
    switch (style_) {
      case psSolid: style = PS_SOLID; break;
      case psDash: style = PS_DASH; break;
      case psDot: style = PS_DOT; break;
      case psClear: style = PS_NULL; break;
    }
    handle_.reset(CreatePen(style, width_, ColorToRGB(color_)));
    if (!handle_) throw EOutOfMemory(L"Out of system resources (pen)");
  }
  return handle_.get();
}

void TPen::Assign(TPersistent* Source) {
  if (auto* pen = dynamic_cast<TPen*>(Source)) {
    if (pen == this) return;
    color_ = pen->color_;
    width_ = pen->width_;
    style_ = pen->style_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::Changed() {
  if (canvas_) canvas_->DeselectBrush();
  handle_.reset();
}

void TBrush::SetColor(TColor Value) {
  if (color_ == Value) return;
  color_ = Value;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (style_ == bsClear) return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
  if (!handle_) {
    handle_.reset(CreateSolidBrush(ColorToRGB(color_)));
    if (!handle_) throw EOutOfMemory(L"Out of system resources (brush)");
  }
  return handle_.get();
}

void TBrush::Assign(TPersistent* Source) {
  if (auto* brush = dynamic_cast<TBrush*>(Source)) {
    if (brush == this) return;
    color_ = brush->color_;
    style_ = brush->style_;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

}  // namespace vcl
