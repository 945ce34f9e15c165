// The part of painting both renderer drivers share: the order of passes when
// a renderer reports changes from inside its own drawing, and the two renders
// over black and over white from which a transparent background's alpha is
// recovered.
#include <algorithm>

#include "vt_d7/Vt_flashplayer.h"

namespace vt {

namespace {

constexpr int kMaxPendingPasses = 8;

vcl::TRect Union(const vcl::TRect& A, const vcl::TRect& B) {
  return vcl::Rect(std::min(A.Left, B.Left), std::min(A.Top, B.Top), std::max(A.Right, B.Right),
                   std::max(A.Bottom, B.Bottom));
}

}  // namespace

void TvtFlashDriver::SchedulePaint(vcl::TRect R, const std::function<void(const vcl::TRect&)>& Pass) {
  R.Left = std::max(R.Left, 0);
  R.Top = std::max(R.Top, 0);
  R.Right = std::min(R.Right, FWidth);
  R.Bottom = std::min(R.Bottom, FHeight);
  if (painting_) {
    pendingRect_ = pending_ ? Union(pendingRect_, R) : R;
    pending_ = true;
    return;
  }
  const std::weak_ptr<char> alive = alive_;
  painting_ = true;
  try {
    Pass(R);
    for (int pass = 0; pass < kMaxPendingPasses && !alive.expired() && pending_; ++pass) {
      pending_ = false;
      Pass(pendingRect_);
    }
  } catch (...) {
    if (!alive.expired()) painting_ = pending_ = false;
    throw;
  }
  if (alive.expired()) return;
  painting_ = false;
  pending_ = false;
}

bool TvtFlashDriver::RenderLayers(const vcl::TRect& R, const std::function<bool(HDC)>& Render) {
  const bool hasArea = R.Right > R.Left && R.Bottom > R.Top;
  if (hasArea) FillLongwordRect(FBits, FWidth, FHeight, R.Left, R.Top, R.Right, R.Bottom, 0xFF000000u);
  if (!Render(FDC) || !FAlphaBits) return false;
  if (hasArea) FillLongwordRect(FAlphaBits, FWidth, FHeight, R.Left, R.Top, R.Right, R.Bottom, 0xFFFFFFFFu);
  if (!Render(FAlphaDC) || !FAlphaBits) return false;
  // The renderer may have left its drawing in GDI's batch; the pixels are
  // read directly next.
  GdiFlush();
  if (hasArea)
    for (int32_t y = R.Top; y < R.Bottom; ++y) {
      const size_t row = static_cast<size_t>(y) * static_cast<size_t>(FWidth) + static_cast<size_t>(R.Left);
      RecoverAlpha(FBits + row, FAlphaBits + row, R.Right - R.Left);
    }
  return true;
}

}  // namespace vt
