// Painting of windowed controls: their own picture, their windowless
// children on top, and PaintTo into any DC.
#include <algorithm>

#include "framework/Controls.h"

namespace vcl {

namespace {
// Saves a DC's state for the life of the scope.
class DCState {
 public:
  explicit DCState(HDC DC) : dc_(DC), saved_(SaveDC(DC)) {}
  ~DCState() { RestoreDC(dc_, saved_); }
  DCState(const DCState&) = delete;
  DCState& operator=(const DCState&) = delete;

 private:
  HDC dc_;
  int saved_;
};

class PaintScope {
 public:
  explicit PaintScope(HWND Window) : window_(Window), dc_(BeginPaint(Window, &ps_)) {}
  ~PaintScope() { EndPaint(window_, &ps_); }
  PaintScope(const PaintScope&) = delete;
  PaintScope& operator=(const PaintScope&) = delete;
  HDC DC() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};
}  // namespace

void TWinControl::WMPaint(TMessage& Message) {
  const std::weak_ptr<void> self = AliveToken();
  auto paint = [&](HDC dc) {
    {
      DCState state(dc);
      PaintWindow(dc);
    }
    if (!self.expired()) PaintControls(dc, nullptr);
  };
  Message.Result = 0;
  // PaintTo sends the DC to paint on; a real paint message brings none.
  if (HDC dc = reinterpret_cast<HDC>(Message.WParam)) {
    paint(dc);
    return;
  }
  if (!handle_) return;
  PaintScope scope(handle_);
  paint(scope.DC());
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  const TRect client = ClientRect();
  RECT r{0, 0, client.Width(), client.Height()};
  if (HBRUSH brush = CreateSolidBrush(ColorToRGB(Color()))) {
    ::FillRect(dc, &r, brush);
    DeleteObject(brush);
  }
  Message.Result = 1;
}

void TWinControl::PaintWindow(HDC) {}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  const std::weak_ptr<void> self = AliveToken();
  const std::vector<TControl*> children = controls_;
  auto it = First ? std::find(children.begin(), children.end(), First) : children.begin();
  for (; it != children.end(); ++it) {
    TControl* c = *it;
    if (c->windowed_ || !c->Visible() || !HasControl(c)) continue;
    const RECT bounds{c->Left(), c->Top(), c->Left() + c->Width(), c->Top() + c->Height()};
    if (!RectVisible(DC, &bounds)) continue;
    auto* control = static_cast<TGraphicControl*>(c);
    {
      DCState state(DC);
      OffsetViewportOrgEx(DC, c->Left(), c->Top(), nullptr);
      IntersectClipRect(DC, 0, 0, c->Width(), c->Height());
      control->canvas_->PaintWith(DC, [control] { control->Paint(); });
    }
    if (self.expired()) return;
  }
}

void TWinControl::PaintTo(HDC DC, int X, int Y) {
  const std::weak_ptr<void> self = AliveToken();
  DCState state(DC);
  OffsetViewportOrgEx(DC, X, Y, nullptr);
  const TRect client = ClientRect();
  IntersectClipRect(DC, 0, 0, client.Width(), client.Height());
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(DC), 0);
  if (self.expired()) return;
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  if (self.expired()) return;
  // Windowed children lie above the windowless ones.
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (!c->windowed_ || !c->Visible() || !HasControl(c)) continue;
    static_cast<TWinControl*>(c)->PaintTo(DC, c->Left(), c->Top());
    if (self.expired()) return;
  }
}

}  // namespace vcl
