// Windowless in-place activation: the site is asked in the order containers
// expect, the object rectangle comes from GetWindowContext and
// SetObjectRects, and the control never creates a window.
#include <algorithm>

#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"

namespace flashctl {

HRESULT FlashControl::ActivateInPlace(IOleClientSite* Site) {
  if (active_) return S_OK;
  if (!Site) return E_FAIL;
  vt::TComPtr<IOleInPlaceSiteWindowless> site;
  if (FAILED(Site->QueryInterface(IID_IOleInPlaceSiteWindowless, reinterpret_cast<void**>(site.Receive()))) ||
      !site)
    return E_FAIL;  // only windowless activation is offered
  if (site->CanInPlaceActivate() != S_OK || site->CanWindowlessActivate() != S_OK) return E_FAIL;
  BOOL noRedraw = FALSE;
  if (FAILED(site->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS))) return E_FAIL;
  vt::TComPtr<IOleInPlaceFrame> frame;
  vt::TComPtr<IOleInPlaceUIWindow> document;
  RECT pos{}, clip{};
  OLEINPLACEFRAMEINFO frameInfo{};
  frameInfo.cb = sizeof frameInfo;
  if (FAILED(site->GetWindowContext(frame.Receive(), document.Receive(), &pos, &clip, &frameInfo))) {
    site->OnInPlaceDeactivateEx(TRUE);
    return E_FAIL;
  }
  if (active_) return S_OK;  // activated meanwhile, from inside the site's calls
  inPlaceSite_ = std::move(site);
  active_ = true;
  pos_ = pos;
  StartTimer();
  // What was drawn before activation is stale: all of it is repainted.
  if (!SetViewportFromPos() && movie_ && !noRedraw) Invalidate({0, 0, width_, height_});
  return S_OK;
}

bool FlashControl::SetViewportFromPos() {
  const int32_t w = std::clamp<LONG>(pos_.right - pos_.left, 0, 65535);
  const int32_t h = std::clamp<LONG>(pos_.bottom - pos_.top, 0, 65535);
  if (w == width_ && h == height_) return false;  // the same size: nothing to repaint
  width_ = w;
  height_ = h;
  if (movie_) movie_->SetViewport(width_, height_);  // repaints through InvalidateRect
  return true;
}

HRESULT FlashControl::GetWindow(HWND* Window) {
  if (!Window) return E_POINTER;
  *Window = nullptr;
  return E_FAIL;  // windowless
}

HRESULT FlashControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT FlashControl::InPlaceDeactivate() {
  return vt::ComCall([&]() -> HRESULT {
    if (!active_) return S_OK;
    KeepAlive keep(this);
    StopTimer();
    active_ = false;
    vt::TComPtr<IOleInPlaceSiteWindowless> site = std::move(inPlaceSite_);
    if (site) site->OnInPlaceDeactivateEx(TRUE);
    return S_OK;
  });
}

HRESULT FlashControl::UIDeactivate() { return S_OK; }

HRESULT FlashControl::SetObjectRects(LPCRECT Pos, LPCRECT) {
  if (!Pos) return E_POINTER;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    pos_ = *Pos;
    SetViewportFromPos();
    return S_OK;
  });
}

HRESULT FlashControl::ReactivateAndUndo() { return E_NOTIMPL; }

HRESULT FlashControl::GetDropTarget(IDropTarget** Target) {
  if (!Target) return E_POINTER;
  *Target = nullptr;
  return E_NOTIMPL;
}

// ---- IOleInPlaceActiveObject ----

HRESULT FlashControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
HRESULT FlashControl::OnFrameWindowActivate(BOOL) { return S_OK; }
HRESULT FlashControl::OnDocWindowActivate(BOOL) { return S_OK; }
HRESULT FlashControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
HRESULT FlashControl::EnableModeless(BOOL) { return S_OK; }

}  // namespace flashctl
