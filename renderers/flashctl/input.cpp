// Window messages from the windowless site: the mouse and the keyboard.
#include "renderers/com/com_call.h"
#include "renderers/ansitext/key_codes.h"
#include "renderers/flashctl/control.h"

namespace flashctl {

HRESULT FlashControl::OnWindowMessage(UINT Msg, WPARAM WParam, LPARAM LParam, LRESULT* Result) {
  if (Result) *Result = 0;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    // Positions in the containing window's client area: x in the low word,
    // y in the high word, both signed; the movie sees them from the object's top left.
    const double x = static_cast<int16_t>(LParam & 0xFFFF) - pos_.left;
    const double y = static_cast<int16_t>((LParam >> 16) & 0xFFFF) - pos_.top;
    switch (Msg) {
      case WM_MOUSEMOVE:
        if (!movie_) return S_FALSE;
        movie_->MouseMove(x, y);
        return S_OK;
      case WM_LBUTTONDOWN:
        if (!movie_) return S_FALSE;
        movie_->MouseDown(x, y);
        return S_OK;
      case WM_LBUTTONUP:
        if (!movie_) return S_FALSE;
        movie_->MouseUp(x, y);
        return S_OK;
      case WM_RBUTTONDOWN:
      case WM_RBUTTONUP:
      case WM_MOUSEWHEEL: return S_OK;  // no menu and no scrolling: taken and ignored
      case WM_SETCURSOR:
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        if (Result) *Result = TRUE;
        return S_OK;
      case WM_CHAR: {
        // The keys below 32 (enter, tab, backspace, escape) come as WM_KEYDOWN.
        const int code = chars_.Feed(static_cast<unsigned char>(WParam & 0xFF));
        if (code >= 32 && code != 127 && movie_) movie_->KeyPress(code);
        return S_OK;
      }
      case WM_KEYDOWN: {
        const int code = swfwin::SwfKeyCode(static_cast<unsigned>(WParam));
        if (!code) return S_FALSE;
        if (movie_) movie_->KeyPress(code);
        return S_OK;
      }
      default: return S_FALSE;
    }
  });
}

}  // namespace flashctl
