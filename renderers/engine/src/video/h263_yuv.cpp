// Fixed point with 16 fractional bits. Each chroma pair's contributions to
// red, green and blue are worked out once for the two pixels it covers in
// the row, and the arithmetic has no tables and no branches, so the
// compiler can keep it in vector registers.
#include "renderers/engine/src/video/h263_yuv.h"

#include <algorithm>

namespace swf::video {
namespace {

constexpr int32_t Fixed(double V) { return static_cast<int32_t>(V * 65536.0 + (V < 0 ? -0.5 : 0.5)); }

constexpr int32_t kY = Fixed(255.0 / 219.0);
constexpr int32_t kRv = Fixed(1.402 * 255.0 / 224.0);
constexpr int32_t kGu = Fixed(0.344136 * 255.0 / 224.0);
constexpr int32_t kGv = Fixed(0.714136 * 255.0 / 224.0);
constexpr int32_t kBu = Fixed(1.772 * 255.0 / 224.0);

inline uint32_t Pixel(int32_t L, int32_t R, int32_t G, int32_t B) {
  const uint32_t r = static_cast<uint32_t>(std::clamp((L + R) >> 16, 0, 255));
  const uint32_t g = static_cast<uint32_t>(std::clamp((L + G) >> 16, 0, 255));
  const uint32_t b = static_cast<uint32_t>(std::clamp((L + B) >> 16, 0, 255));
  return 0xFF000000u | r << 16 | g << 8 | b;
}

}  // namespace

void YuvToRgb(const YuvPlanes& P, uint32_t* Out) {
  const int pairs = P.width / 2;
  for (int row = 0; row < P.height; ++row) {
    const uint8_t* y = P.y + row * P.yStride;
    const uint8_t* u = P.u + (row >> 1) * P.cStride;
    const uint8_t* v = P.v + (row >> 1) * P.cStride;
    uint32_t* out = Out + static_cast<ptrdiff_t>(row) * P.width;
    for (int i = 0; i < pairs; ++i) {
      const int32_t cb = u[i] - 128, cr = v[i] - 128;
      const int32_t r = kRv * cr, g = -kGu * cb - kGv * cr, b = kBu * cb;
      const int32_t l0 = kY * (y[2 * i] - 16) + 32768, l1 = kY * (y[2 * i + 1] - 16) + 32768;
      out[2 * i] = Pixel(l0, r, g, b);
      out[2 * i + 1] = Pixel(l1, r, g, b);
    }
    if (P.width & 1) {
      const int32_t cb = u[pairs] - 128, cr = v[pairs] - 128;
      out[P.width - 1] = Pixel(kY * (y[P.width - 1] - 16) + 32768, kRv * cr, -kGu * cb - kGv * cr, kBu * cb);
    }
  }
}

}  // namespace swf::video
