#include "renderers/engine/src/script/bitmap_pixels.h"

#include <algorithm>
#include <cmath>

#include "renderers/engine/src/script/internal.h"

namespace swf {
namespace {

uint32_t Channel(uint32_t Argb, int Shift) { return (Argb >> Shift) & 0xFF; }

uint32_t Pack(uint32_t A, uint32_t R, uint32_t G, uint32_t B) { return A << 24 | R << 16 | G << 8 | B; }

// The ARGB shift of a channel bit (1 red, 2 green, 4 blue, 8 alpha).
int ChannelShift(int Bit) {
  switch (Bit) {
    case 1: return 16;
    case 2: return 8;
    case 4: return 0;
    case 8: return 24;
    default: return -1;
  }
}

}  // namespace

uint32_t Premultiply(uint32_t Argb) {
  const uint32_t a = Channel(Argb, 24);
  if (a == 255) return Argb;
  auto scale = [a](uint32_t c) { return (c * a + 127) / 255; };
  return Pack(a, scale(Channel(Argb, 16)), scale(Channel(Argb, 8)), scale(Channel(Argb, 0)));
}

uint32_t Unpremultiply(uint32_t P) {
  const uint32_t a = Channel(P, 24);
  if (a == 255) return P;
  if (a == 0) return 0;
  // To the nearest, halves down.
  auto scale = [a](uint32_t c) { return std::min<uint32_t>(255, (c * 255 + (a - 1) / 2) / a); };
  return Pack(a, scale(Channel(P, 16)), scale(Channel(P, 8)), scale(Channel(P, 0)));
}

BitmapPixels::BitmapPixels(int Width, int Height, bool Transparent, uint32_t Fill)
    : width_(std::max(0, Width)), height_(std::max(0, Height)), transparent_(Transparent) {
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_),
                 transparent_ ? Premultiply(Fill) : Fill | 0xFF000000u);
}

uint32_t BitmapPixels::Get(int X, int Y) const {
  if (!Contains(X, Y)) return 0;
  return transparent_ ? Unpremultiply(Raw(X, Y)) : Raw(X, Y);
}

void BitmapPixels::Set(int X, int Y, uint32_t Argb) {
  if (Contains(X, Y)) SetRaw(X, Y, transparent_ ? Premultiply(Argb) : Argb | 0xFF000000u);
}

std::vector<uint32_t> BitmapPixels::Premultiplied() const {
  std::vector<uint32_t> out = pixels_;
  if (!transparent_)
    for (uint32_t& p : out) p |= 0xFF000000u;
  return out;
}

namespace {
PixelRect Intersect(PixelRect A, PixelRect B) {
  const int x0 = std::max(A.x, B.x), y0 = std::max(A.y, B.y);
  const int x1 = std::min(A.x + A.width, B.x + B.width), y1 = std::min(A.y + A.height, B.y + B.height);
  if (x1 <= x0 || y1 <= y0) return {};
  return {x0, y0, x1 - x0, y1 - y0};
}
}  // namespace

void BitmapPixels::Fill(PixelRect R, uint32_t Argb) {
  R = Intersect(R, Bounds());
  ChargeWork(static_cast<uint64_t>(R.width) * static_cast<uint64_t>(R.height) / 16);
  for (int y = R.y; y < R.y + R.height; ++y)
    for (int x = R.x; x < R.x + R.width; ++x) Set(x, y, Argb);
}

bool BitmapPixels::FloodFill(int X, int Y, uint32_t Argb) {
  if (!Contains(X, Y)) return false;
  const uint32_t from = Raw(X, Y);
  const uint32_t to = transparent_ ? Premultiply(Argb) : (Argb | 0xFF000000u);
  if (to == from) return false;
  SetRaw(X, Y, to);
  std::vector<std::pair<int, int>> pending{{X, Y}};
  while (!pending.empty()) {
    auto [x, y] = pending.back();
    pending.pop_back();
    ChargeWork(1);
    const std::pair<int, int> next[4] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
    for (auto [nx, ny] : next) {
      if (!Contains(nx, ny) || Raw(nx, ny) != from) continue;
      SetRaw(nx, ny, to);
      pending.push_back({nx, ny});
    }
  }
  return true;
}

PixelRect BitmapPixels::ColorBounds(uint32_t Mask, uint32_t Color, bool Find) const {
  // A transparent bitmap compares its premultiplied pixels with the masked
  // colour, an opaque one only red, green and blue.
  const uint32_t mask = transparent_ ? Mask : Mask & 0xFFFFFF;
  const uint32_t color = transparent_ ? Color & Mask : Color & 0xFFFFFF;
  int x0 = width_, y0 = height_, x1 = -1, y1 = -1;
  ChargeWork(pixels_.size() / 16);
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) {
      if (((Raw(x, y) & mask) == color) != Find) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  // The player finds nothing when the only match is the top left pixel.
  if (x1 <= 0 && y1 <= 0) return {};
  return {x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

PixelCopy ClipCopy(const BitmapPixels& Source, PixelRect Rect, int DestX, int DestY, const BitmapPixels& Dest) {
  // Clip to the source, moving the destination along with the rectangle's
  // corner, then to the destination.
  PixelRect src = Intersect(Rect, Source.Bounds());
  if (src.Empty()) return {};
  DestX += src.x - Rect.x;
  DestY += src.y - Rect.y;
  PixelRect landed = Intersect({DestX, DestY, src.width, src.height}, Dest.Bounds());
  if (landed.Empty()) return {};
  src.x += landed.x - DestX;
  src.y += landed.y - DestY;
  src.width = landed.width;
  src.height = landed.height;
  return {src, landed.x, landed.y};
}

namespace {
// Calls Fn(sourceX, sourceY, destX, destY) over a copy, reading the source
// first so that copying a bitmap onto itself reads the pixels as they were.
template <typename F>
void EachPixel(const BitmapPixels& Source, const PixelCopy& Copy, F Fn) {
  const PixelRect& s = Copy.source;
  if (s.Empty()) return;
  ChargeWork(static_cast<uint64_t>(s.width) * static_cast<uint64_t>(s.height) / 16);
  std::vector<uint32_t> before;
  before.reserve(static_cast<size_t>(s.width) * static_cast<size_t>(s.height));
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) before.push_back(Source.Raw(s.x + x, s.y + y));
  size_t i = 0;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) Fn(before[i++], Copy.destX + x, Copy.destY + y);
}
}  // namespace

void CopyPixels(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, bool MergeAlpha,
                AlphaMask Mask) {
  // An opaque destination always takes the source over what it has.
  const bool blend = (MergeAlpha || !Dest.Transparent()) && (Source.Transparent() || Mask.mask);
  EachPixel(Source, Copy, [&](uint32_t s, int x, int y) {
    if (Mask.mask) {
      // Every premultiplied channel scaled by the mask's alpha in 256ths.
      const int sx = x - Copy.destX + Copy.source.x, sy = y - Copy.destY + Copy.source.y;
      const uint32_t m = Mask.mask->Get(sx + Mask.dx, sy + Mask.dy) >> 24;
      if (m != 255)
        s = Pack(Channel(s, 24) * m / 256, Channel(s, 16) * m / 256, Channel(s, 8) * m / 256, Channel(s, 0) * m / 256);
    }
    if (!blend) {
      Dest.SetRaw(x, y, s);
      return;
    }
    const uint32_t d = Dest.Raw(x, y), keep = 255 - Channel(s, 24);
    auto mix = [&](int shift) { return std::min<uint32_t>(255, Channel(s, shift) + Channel(d, shift) * keep / 255); };
    Dest.SetRaw(x, y, Pack(mix(24), mix(16), mix(8), mix(0)));
  });
}

void CopyChannel(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, int SourceChannel, int DestChannel) {
  // An unknown source channel reads as 0.
  const int from = ChannelShift(SourceChannel), to = ChannelShift(DestChannel);
  if (to < 0) return;
  EachPixel(Source, Copy, [&](uint32_t s, int x, int y) {
    const uint32_t value = from < 0 ? 0 : Channel(Unpremultiply(s), from);
    const uint32_t d = Dest.Get(x, y);
    Dest.Set(x, y, (d & ~(0xFFu << to)) | value << to);
  });
}

void Merge(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, const int Multipliers[4]) {
  const int shifts[4] = {16, 8, 0, 24};
  EachPixel(Source, Copy, [&](uint32_t raw, int x, int y) {
    const uint32_t s = Unpremultiply(raw), d = Dest.Get(x, y);
    uint32_t out = 0;
    for (int k = 0; k < 4; ++k) {
      const int64_t m = std::clamp(Multipliers[k], 0, 256);
      const int64_t v = (static_cast<int64_t>(Channel(s, shifts[k])) * m +
                         static_cast<int64_t>(Channel(d, shifts[k])) * (256 - m)) / 256;
      out |= static_cast<uint32_t>(v & 0xFF) << shifts[k];
    }
    Dest.Set(x, y, out);
  });
}

int Threshold(const BitmapPixels& Source, const PixelCopy& Copy, BitmapPixels& Dest, ThresholdOp Op, uint32_t Limit,
              uint32_t Color, uint32_t Mask, bool CopySource) {
  int passed = 0;
  const uint32_t limit = Limit & Mask;
  EachPixel(Source, Copy, [&](uint32_t raw, int x, int y) {
    const uint32_t v = raw & Mask;  // premultiplied, as the player compares
    bool pass = false;
    switch (Op) {
      case ThresholdOp::Less: pass = v < limit; break;
      case ThresholdOp::LessEqual: pass = v <= limit; break;
      case ThresholdOp::Greater: pass = v > limit; break;
      case ThresholdOp::GreaterEqual: pass = v >= limit; break;
      case ThresholdOp::Equal: pass = v == limit; break;
      case ThresholdOp::NotEqual: pass = v != limit; break;
    }
    if (pass) {
      // Premultiplied as it is, even into an opaque bitmap.
      Dest.SetRaw(x, y, Premultiply(Color));
      ++passed;
    } else if (CopySource) {
      Dest.SetRaw(x, y, raw);
    }
  });
  return passed;
}

std::optional<BitmapPixels> Compare(const BitmapPixels& A, const BitmapPixels& B) {
  BitmapPixels out(A.Width(), A.Height(), true, 0);
  bool differ = false;
  ChargeWork(static_cast<uint64_t>(A.Width()) * static_cast<uint64_t>(A.Height()) / 16);
  for (int y = 0; y < A.Height(); ++y)
    for (int x = 0; x < A.Width(); ++x) {
      const uint32_t a = A.Get(x, y), b = B.Get(x, y);
      if (a == b) continue;
      differ = true;
      if ((a & 0xFFFFFF) != (b & 0xFFFFFF)) {
        auto diff = [&](int shift) { return (Channel(a, shift) - Channel(b, shift)) & 0xFF; };
        out.Set(x, y, Pack(0xFF, diff(16), diff(8), diff(0)));
      } else {
        out.Set(x, y, Pack((Channel(a, 24) - Channel(b, 24)) & 0xFF, 0xFF, 0xFF, 0xFF));
      }
    }
  if (!differ) return std::nullopt;
  return out;
}

void Noise(BitmapPixels& B, int64_t Seed, int Low, int High, int Channels, bool Gray) {
  // The "minimal standard" generator: x' = 16807 x mod (2^31 - 1), from a
  // seed that is never 0: a negative seed -n starts it at n + 1.
  constexpr int64_t kModulus = 2147483647;
  int64_t state = (Seed < 0 ? 1 - Seed : Seed) % kModulus;
  if (state == 0) state = 1;
  const int64_t low = std::clamp(Low, 0, 255), high = std::clamp(High, 0, 255);
  const int64_t span = high >= low ? high - low + 1 : 1;
  auto next = [&]() -> uint32_t {
    state = state * 16807 % kModulus;
    return static_cast<uint32_t>(low + state % span);
  };
  ChargeWork(static_cast<uint64_t>(B.Width()) * static_cast<uint64_t>(B.Height()) / 4);
  for (int y = 0; y < B.Height(); ++y)
    for (int x = 0; x < B.Width(); ++x) {
      uint32_t r = 0, g = 0, b = 0, a = 255;
      if (Gray) {
        r = g = b = next();
      } else {
        if (Channels & 1) r = next();
        if (Channels & 2) g = next();
        if (Channels & 4) b = next();
      }
      // An opaque bitmap draws no alpha, nor a number for it.
      if ((Channels & 8) && B.Transparent()) a = next();
      B.Set(x, y, Pack(a, r, g, b));
    }
}

void TransformColors(BitmapPixels& B, PixelRect R, const double Multiply[4], const double Add[4]) {
  R = Intersect(R, B.Bounds());
  ChargeWork(static_cast<uint64_t>(R.width) * static_cast<uint64_t>(R.height) / 16);
  const int shifts[4] = {16, 8, 0, 24};
  for (int y = R.y; y < R.y + R.height; ++y)
    for (int x = R.x; x < R.x + R.width; ++x) {
      const uint32_t p = B.Get(x, y);
      uint32_t out = 0;
      for (int k = 0; k < 4; ++k) {
        const double v = std::floor(Channel(p, shifts[k]) * Multiply[k] + Add[k]);
        const double c = std::isnan(v) ? 0 : std::clamp(v, 0.0, 255.0);
        out |= static_cast<uint32_t>(c) << shifts[k];
      }
      B.Set(x, y, out);
    }
}

}  // namespace swf
