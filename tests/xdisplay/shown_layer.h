#pragma once
// A layered window the screenshot test has put on the screen. The raw Win32
// window (raw_layered_window.h) is one; a form holding the layered player,
// whose movie draws the same picture, can take its place.

namespace xdisplay {

class ShownLayer {
 public:
  virtual ~ShownLayer() = default;
  // The screen position of the picture's top-left corner.
  virtual int Left() const = 0;
  virtual int Top() const = 0;
  // Whether the picture has been handed to the window: the raw window's is at once; a
  // player's once its movie has drawn its first frame. The test dispatches messages until then.
  virtual bool Ready() const { return true; }
};

}  // namespace xdisplay
