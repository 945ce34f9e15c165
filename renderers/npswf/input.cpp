// Window messages from the browser: painting, the mouse and the keyboard.
#include <windows.h>

#include "renderers/ansitext/key_codes.h"
#include "renderers/npswf/instance.h"

namespace npswf {

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
      const int code = swfwin::SwfKeyCode(static_cast<unsigned>(Event.wParam));
      if (!code) return 0;
      if (movie_) movie_->KeyPress(code);
      return 1;
    }
    default: return 0;
  }
}

}  // namespace npswf
