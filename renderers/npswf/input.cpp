// Window messages from the browser: painting, the mouse and the keyboard.
#include <windows.h>

#include "renderers/npswf/instance.h"

namespace npswf {
namespace {

// The movie's code for a key that has no character: the format's button key codes.
int SwfKeyCode(WPARAM VirtualKey) {
  switch (VirtualKey) {
    case VK_LEFT: return 1;
    case VK_RIGHT: return 2;
    case VK_HOME: return 3;
    case VK_END: return 4;
    case VK_INSERT: return 5;
    case VK_DELETE: return 6;
    case VK_BACK: return 8;
    case VK_RETURN: return 13;
    case VK_UP: return 14;
    case VK_DOWN: return 15;
    case VK_PRIOR: return 16;
    case VK_NEXT: return 17;
    case VK_TAB: return 18;
    case VK_ESCAPE: return 19;
    default: return 0;
  }
}

}  // namespace

int16_t PluginInstance::HandleEvent(const NPEvent& Event) {
  // Positions: x in the low word, y in the high word, both signed.
  const double x = static_cast<int16_t>(Event.lParam & 0xFFFF) - originX_;
  const double y = static_cast<int16_t>((Event.lParam >> 16) & 0xFFFF) - originY_;
  switch (Event.event) {
    case WM_PAINT: return Paint();
    case WM_MOUSEMOVE:
      if (!movie_) return 0;
      movie_->MouseMove(x, y);
      return 1;
    case WM_LBUTTONDOWN:
      if (!movie_) return 0;
      movie_->MouseDown(x, y);
      return 1;
    case WM_LBUTTONUP:
      if (!movie_) return 0;
      movie_->MouseUp(x, y);
      return 1;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL: return 1;  // no menu and no scrolling: taken and ignored
    case WM_CHAR: {
      // The keys below 32 (enter, tab, backspace, escape) come as WM_KEYDOWN.
      const int code = chars_.Feed(static_cast<unsigned char>(Event.wParam & 0xFF));
      if (code >= 32 && code != 127 && movie_) movie_->KeyPress(code);
      return 1;
    }
    case WM_KEYDOWN: {
      const int code = SwfKeyCode(Event.wParam);
      if (!code) return 0;
      if (movie_) movie_->KeyPress(code);
      return 1;
    }
    default: return 0;
  }
}

}  // namespace npswf
