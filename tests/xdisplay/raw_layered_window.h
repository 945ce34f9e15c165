#pragma once
// A top-most layered popup window showing a picture with per-pixel alpha,
// handed over in one UpdateLayeredWindow call from a premultiplied 32-bit DIB.

#include <windows.h>

#include "layer_picture.h"
#include "shown_layer.h"

namespace xdisplay {

class RawLayeredWindow : public ShownLayer {
 public:
  // Shows Picture with its top-left corner at (Left, Top); std::runtime_error when Windows refuses.
  RawLayeredWindow(int Left, int Top, const LayerPicture& Picture);
  ~RawLayeredWindow() override;
  RawLayeredWindow(const RawLayeredWindow&) = delete;
  RawLayeredWindow& operator=(const RawLayeredWindow&) = delete;

  int Left() const override { return left_; }
  int Top() const override { return top_; }

 private:
  int left_, top_;
  HWND window_ = nullptr;
};

}  // namespace xdisplay
