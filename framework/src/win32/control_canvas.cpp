#include "framework/Controls.h"

namespace vcl {

namespace {
// Canvases holding a window DC, linked through the canvases themselves so
// that releasing needs no allocation and works during static destruction.
TControlCanvas* firstHolder = nullptr;
}  // namespace

TControlCanvas::TControlCanvas(TControl* AControl) : control_(AControl) {}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::Link() {
  prevHolder_ = nullptr;
  nextHolder_ = firstHolder;
  if (firstHolder) firstHolder->prevHolder_ = this;
  firstHolder = this;
}

void TControlCanvas::Unlink() {
  if (prevHolder_)
    prevHolder_->nextHolder_ = nextHolder_;
  else
    firstHolder = nextHolder_;
  if (nextHolder_) nextHolder_->prevHolder_ = prevHolder_;
  prevHolder_ = nextHolder_ = nullptr;
}

void TControlCanvas::CreateHandle() {
  if (windowDC_) {  // detached by hand but still held: use it again
    SetHandle(windowDC_);
    return;
  }
  HWND window = nullptr;
  const bool windowless = !control_->IsWindowed();
  if (windowless) {
    TWinControl* parent = control_->Parent();
    if (!parent) throw EInvalidOperation(L"Control '" + control_->Name() + L"' has no parent window");
    window = parent->Handle();
  } else {
    window = static_cast<TWinControl*>(control_)->Handle();
  }
  HDC dc = GetDC(window);
  if (!dc) throw EOutOfMemory(L"Out of system resources (device context)");
  const int saved = SaveDC(dc);
  if (windowless) {
    // The control draws in its own coordinates, and only on itself.
    OffsetViewportOrgEx(dc, control_->Left(), control_->Top(), nullptr);
    IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
  }
  window_ = window;
  windowDC_ = dc;
  savedState_ = saved;
  Link();
  SetHandle(dc);
}

void TControlCanvas::FreeHandle() {
  if (!windowDC_) return;
  HDC dc = windowDC_;
  if (PeekHandle() == dc) SetHandle(nullptr);
  Unlink();
  windowDC_ = nullptr;
  RestoreDC(dc, savedState_);
  ReleaseDC(window_, dc);
  window_ = nullptr;
}

void TControlCanvas::PaintWith(HDC DC, const std::function<void()>& Paint) {
  const HDC previous = PeekHandle();
  const HDC acquired = windowDC_;
  const std::weak_ptr<void> alive = control_->AliveToken();
  SetHandle(DC);
  auto restore = [&] {
    if (alive.expired()) return;  // the canvas went with its control
    const bool released = previous && previous == acquired && windowDC_ != acquired;
    SetHandle(released ? nullptr : previous);
  };
  try {
    Paint();
  } catch (...) {
    restore();
    throw;
  }
  restore();
}

void TControlCanvas::FreeWindowDeviceContexts(HWND Window) {
  for (TControlCanvas* c = firstHolder; c;) {
    TControlCanvas* next = c->nextHolder_;
    if (c->window_ == Window || IsChild(Window, c->window_)) c->FreeHandle();
    c = next;
  }
}

void FreeDeviceContexts() {
  while (firstHolder) firstHolder->FreeHandle();
}

int DeviceContextsInUse() {
  int n = 0;
  for (TControlCanvas* c = firstHolder; c; c = c->nextHolder_) ++n;
  return n;
}

}  // namespace vcl
