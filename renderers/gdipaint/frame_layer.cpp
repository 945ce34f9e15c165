// The frame layer's buffer and its dirty parts.
#include "renderers/gdipaint/frame_layer.h"

#include <algorithm>
#include <atomic>

#include "renderers/gdipaint/gdi_target.h"

namespace swfwin {
namespace {

std::atomic<uint64_t> renders{0};

}  // namespace

uint64_t RenderCount() { return renders.load(); }
void CountRender() { ++renders; }

FrameLayer::~FrameLayer() { Release(); }

void FrameLayer::Release() {
  if (bitmap_) DeleteObject(bitmap_);
  bitmap_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = 0;
}

void FrameLayer::Invalidate(const swf::IntRect& R) noexcept {
  if (!bits_ || whole_) return;
  try {
    dirty_.Add(R.Intersect({0, 0, width_, height_}));
  } catch (...) {
    whole_ = true;  // no memory to note the part: all of it is rendered again
  }
}

bool FrameLayer::Resize(int32_t Width, int32_t Height) {
  if (bits_ && Width == width_ && Height == height_) return true;
  Release();
  if (Width <= 0 || Height <= 0 || size_t(Width) * size_t(Height) > kMaxBytes / 4) return false;
  bitmap_ = NewTopDownDib(Width, Height, bits_);
  if (!bitmap_) return false;
  width_ = Width;
  height_ = Height;
  whole_ = true;
  return true;
}

void FrameLayer::Update(const swf::MovieInstance& Movie, const swf::IntRect& Area) {
  if (!bits_) return;
  if (whole_) {
    dirty_.Clear();
    dirty_.Add({0, 0, width_, height_});
    whole_ = false;
  }
  const std::vector<swf::IntRect> parts = dirty_.Take(Area.Intersect({0, 0, width_, height_}));
  if (parts.empty()) return;
  GdiFlush();  // GDI may still be reading the bits from an earlier blend
  const swf::RenderTarget target{bits_, width_, height_, width_ * 4};
  try {
    for (const swf::IntRect& r : parts) {
      for (int32_t y = r.top; y < r.bottom; ++y)
        std::fill(bits_ + size_t(y) * size_t(width_) + size_t(r.left),
                  bits_ + size_t(y) * size_t(width_) + size_t(r.right), 0u);
      CountRender();
      Movie.Render(target, r, /*Transparent=*/true);
    }
  } catch (...) {
    whole_ = true;  // parts are half drawn and no longer noted: start over next time
    throw;
  }
}

}  // namespace swfwin
