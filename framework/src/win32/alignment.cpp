// Layout of a windowed control's children: anchored children keep their
// distances to the edges they are anchored to; aligned children fill the
// client area from its edges inwards.
#include <algorithm>

#include "framework/Controls.h"

namespace vcl {

void TWinControl::AlignControls() {
  if (aligning_ || IsDestroying()) return;
  const std::weak_ptr<void> self = AliveToken();
  aligning_ = true;
  try {
    const TRect client = ClientRect();
    AnchorChildren(client);
    if (!self.expired()) AlignChildren(client);
  } catch (...) {
    if (!self.expired()) aligning_ = false;
    throw;
  }
  if (!self.expired()) aligning_ = false;
}

void TWinControl::AnchorChildren(const TRect& Client) {
  const std::weak_ptr<void> self = AliveToken();
  const std::vector<TControl*> children = controls_;
  for (TControl* c : children) {
    if (!HasControl(c) || c->Align() != alNone || !c->anchorOrigin_.valid) continue;
    const TAnchors a = c->Anchors();
    if (a == TAnchors{akLeft, akTop}) continue;
    // Always from the bounds the control had at the parent size it was
    // placed at, so that shrinking and growing again ends where it began.
    const TControl::AnchorOrigin& origin = c->anchorOrigin_;
    const int dx = Client.Width() - origin.parentWidth;
    const int dy = Client.Height() - origin.parentHeight;
    int left = origin.bounds.Left, top = origin.bounds.Top;
    int width = origin.bounds.Width(), height = origin.bounds.Height();
    if (a.Contains(akRight)) {
      if (a.Contains(akLeft)) width += dx; else left += dx;
    } else if (!a.Contains(akLeft)) {
      left += dx / 2;  // anchored to neither side: stays centred
    }
    if (a.Contains(akBottom)) {
      if (a.Contains(akTop)) height += dy; else top += dy;
    } else if (!a.Contains(akTop)) {
      top += dy / 2;
    }
    const std::weak_ptr<void> childAlive = c->AliveToken();
    c->anchorMoving_ = true;
    try {
      c->SetBounds(left, top, std::max(width, 0), std::max(height, 0));
    } catch (...) {
      if (!childAlive.expired()) c->anchorMoving_ = false;
      throw;
    }
    if (!childAlive.expired()) c->anchorMoving_ = false;
    if (self.expired()) return;
  }
}

void TWinControl::AlignChildren(TRect Client) {
  const std::weak_ptr<void> self = AliveToken();
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->Align() == align && c->Visible()) list.push_back(c);
    if (list.empty()) continue;
    // Controls keep their order along the edge they are aligned to.
    auto byKey = [&](auto key) {
      std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) { return key(a) < key(b); });
    };
    switch (align) {
      case alTop: byKey([](TControl* c) { return c->Top(); }); break;
      case alBottom: byKey([](TControl* c) { return -(c->Top() + c->Height()); }); break;
      case alLeft: byKey([](TControl* c) { return c->Left(); }); break;
      case alRight: byKey([](TControl* c) { return -(c->Left() + c->Width()); }); break;
      default: break;
    }
    for (TControl* c : list) {
      if (!HasControl(c)) continue;
      const int width = std::max(Client.Width(), 0);
      const int height = std::max(Client.Height(), 0);
      const std::weak_ptr<void> childAlive = c->AliveToken();
      switch (align) {
        case alTop: c->SetBounds(Client.Left, Client.Top, width, c->Height()); break;
        case alBottom: c->SetBounds(Client.Left, Client.Bottom - c->Height(), width, c->Height()); break;
        case alLeft: c->SetBounds(Client.Left, Client.Top, c->Width(), height); break;
        case alRight: c->SetBounds(Client.Right - c->Width(), Client.Top, c->Width(), height); break;
        default: c->SetBounds(Client.Left, Client.Top, width, height); break;
      }
      if (self.expired()) return;
      if (childAlive.expired()) continue;
      // The space the control took (its size may differ from the one asked).
      switch (align) {
        case alTop: Client.Top += c->Height(); break;
        case alBottom: Client.Bottom -= c->Height(); break;
        case alLeft: Client.Left += c->Width(); break;
        case alRight: Client.Right -= c->Width(); break;
        default: break;
      }
    }
  }
}

}  // namespace vcl
