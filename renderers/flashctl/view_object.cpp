// IViewObject2: the current frame drawn into the container's device context.
#include "renderers/com/com_call.h"
#include "renderers/flashctl/control.h"
#include "renderers/gdipaint/gdi_paint.h"

namespace flashctl {
namespace {

// The aspects drawn: the content, opaque or over what is there.
constexpr DWORD kAspectOpaque = 16, kAspectTransparent = 32;

}  // namespace

HRESULT FlashControl::Draw(DWORD Aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC Dc, LPCRECTL Bounds, LPCRECTL,
                           BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (Aspect != DVASPECT_CONTENT && Aspect != kAspectOpaque && Aspect != kAspectTransparent) return DV_E_DVASPECT;
  if (!Dc || !Bounds) return E_INVALIDARG;
  return vt::ComCall([&]() -> HRESULT {
    KeepAlive keep(this);
    const LONG bw = Bounds->right - Bounds->left, bh = Bounds->bottom - Bounds->top;
    if (bw <= 0 || bh <= 0) return S_OK;
    if ((width_ <= 0 || height_ <= 0) && movie_) {
      // Drawn before any object rectangle: the bounds are the viewport.
      width_ = std::min<LONG>(bw, 65535);
      height_ = std::min<LONG>(bh, 65535);
      movie_->SetViewport(width_, height_);
    }
    swfwin::PaintJob job;
    job.dc = Dc;
    job.originX = Bounds->left;
    job.originY = Bounds->top;
    job.width = width_ > 0 ? width_ : bw;
    job.height = height_ > 0 ? height_ : bh;
    job.transparent = transparent();
    if (const auto color = ParseColor(props_.bgcolor)) job.background = 0xFF000000u | *color;
    job.movie = movie_.get();
    job.layer = &layer_;
    // Nothing outside the bounds: the clip region is narrowed for the call.
    const int saved = SaveDC(Dc);
    if (!saved) return E_FAIL;
    IntersectClipRect(Dc, Bounds->left, Bounds->top, Bounds->right, Bounds->bottom);
    const bool ok = swfwin::PaintMovie(job);
    RestoreDC(Dc, saved);
    return ok ? S_OK : E_FAIL;
  });
}

HRESULT FlashControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** Colors) {
  if (!Colors) return E_POINTER;
  *Colors = nullptr;
  return S_FALSE;  // no palette
}

HRESULT FlashControl::Freeze(DWORD, LONG, void*, DWORD* Freeze) {
  if (Freeze) *Freeze = 0;
  return E_NOTIMPL;
}

HRESULT FlashControl::Unfreeze(DWORD) { return E_NOTIMPL; }

HRESULT FlashControl::SetAdvise(DWORD Aspects, DWORD Flags, IAdviseSink* Sink) {
  viewAspects_ = Aspects;
  viewFlags_ = Flags;
  vt::TComPtr<IAdviseSink> old = std::exchange(viewSink_, vt::TComPtr<IAdviseSink>::Share(Sink));
  return S_OK;
}

HRESULT FlashControl::GetAdvise(DWORD* Aspects, DWORD* Flags, IAdviseSink** Sink) {
  if (Aspects) *Aspects = viewAspects_;
  if (Flags) *Flags = viewFlags_;
  if (Sink) {
    *Sink = viewSink_.Get();
    if (*Sink) (*Sink)->AddRef();
  }
  return S_OK;
}

HRESULT FlashControl::GetExtent(DWORD Aspect, LONG, DVTARGETDEVICE*, LPSIZEL Size) {
  return GetExtent(Aspect, Size);
}

}  // namespace flashctl
