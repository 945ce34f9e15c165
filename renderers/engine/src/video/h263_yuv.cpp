// Fixed point with 16 fractional bits through per-sample tables: each
// output channel is one or two table reads, a shift and a clamp.
#include "renderers/engine/src/video/h263_yuv.h"

#include <algorithm>
#include <array>

namespace swf::video {
namespace {

struct Tables {
  std::array<int32_t, 256> y{}, rv{}, gu{}, gv{}, bu{};
};

constexpr int32_t Fixed(double V) { return static_cast<int32_t>(V * 65536.0 + (V < 0 ? -0.5 : 0.5)); }

constexpr Tables MakeTables() {
  Tables t;
  for (int i = 0; i < 256; ++i) {
    t.y[static_cast<size_t>(i)] = Fixed(255.0 / 219.0) * (i - 16) + 32768;  // with the rounding half
    t.rv[static_cast<size_t>(i)] = Fixed(1.402 * 255.0 / 224.0) * (i - 128);
    t.gu[static_cast<size_t>(i)] = -Fixed(0.344136 * 255.0 / 224.0) * (i - 128);
    t.gv[static_cast<size_t>(i)] = -Fixed(0.714136 * 255.0 / 224.0) * (i - 128);
    t.bu[static_cast<size_t>(i)] = Fixed(1.772 * 255.0 / 224.0) * (i - 128);
  }
  return t;
}

constexpr Tables kTables = MakeTables();

uint32_t Channel(int32_t V) { return static_cast<uint32_t>(std::clamp(V >> 16, 0, 255)); }

}  // namespace

void YuvToRgb(const YuvPlanes& P, uint32_t* Out) {
  const Tables& t = kTables;
  for (int row = 0; row < P.height; ++row) {
    const uint8_t* y = P.y + row * P.yStride;
    const uint8_t* u = P.u + (row >> 1) * P.cStride;
    const uint8_t* v = P.v + (row >> 1) * P.cStride;
    uint32_t* out = Out + static_cast<ptrdiff_t>(row) * P.width;
    for (int x = 0; x < P.width; ++x) {
      const int32_t l = t.y[y[x]];
      const uint8_t cb = u[x >> 1], cr = v[x >> 1];
      out[x] = 0xFF000000u | Channel(l + t.rv[cr]) << 16 | Channel(l + t.gu[cb] + t.gv[cr]) << 8 | Channel(l + t.bu[cb]);
    }
  }
}

}  // namespace swf::video
