#include "renderers/engine/src/render/composite.h"

#include <algorithm>

#include "renderers/engine/src/render/blend.h"

namespace swf::render {

namespace {

// Mask value 0..255 as a factor 0..256.
inline uint32_t MaskK8(uint8_t M) { return (M * 257u + 128) >> 8; }

// A single-layer shape's rows at most this wide are composited in one run.
constexpr int32_t kOneRunWidth = 64;

}  // namespace

LayerCompositor::LayerCompositor(const RenderTarget& Target, const IntRect& Clip)
    : target_(Target), clip_(Clip), clipW_(Clip.right - Clip.left) {}

Layer& LayerCompositor::Push() {
  if (count_ == layers_.size()) layers_.emplace_back();
  Layer& l = layers_[count_++];
  l.rast.Clear();
  l.stroke = false;
  l.line = 0;
  l.live = false;
  return l;
}

void LayerCompositor::Draw(const IntRect& Box, const uint8_t* Mask, uint8_t* MaskOut) {
  if (count_ == 0) return;
  const bool colour = MaskOut == nullptr;
  const int32_t left = Box.left, width = Box.right - Box.left;
  for (size_t i = 0; i < count_; ++i) layers_[i].rast.Begin(Box);
  if (rowColor_.size() < static_cast<size_t>(width) * 4) rowColor_.resize(static_cast<size_t>(width) * 4, 0.0f);
  if (rowCover_.size() < static_cast<size_t>(width)) rowCover_.resize(static_cast<size_t>(width), 0.0f);
  if (rowCoverage_.size() < static_cast<size_t>(width)) rowCoverage_.resize(static_cast<size_t>(width));
  // Three more than a row: a span's last pixels may be composited four at a time.
  if (shade_.size() < static_cast<size_t>(width) + 3) shade_.resize(static_cast<size_t>(width) + 3);
  if (ks_.size() < static_cast<size_t>(width) + 3) ks_.resize(static_cast<size_t>(width) + 3);

  for (int32_t y = Box.top; y < Box.bottom; ++y) {
    const size_t maskOffset = static_cast<size_t>(y - clip_.top) * static_cast<size_t>(clipW_) +
                              static_cast<size_t>(left - clip_.left);
    const uint8_t* maskRow = Mask ? Mask + maskOffset : nullptr;
    uint8_t* outRow = MaskOut ? MaskOut + maskOffset : nullptr;
    int32_t lo = width, hi = 0;
    size_t live = 0;
    Layer* only = nullptr;
    for (size_t i = 0; i < count_; ++i) {
      Layer& l = layers_[i];
      l.live = l.rast.Row(y);
      if (!l.live) continue;
      l.lo = l.rast.spans().front().x0;
      l.hi = l.rast.spans().back().x1;
      ++live;
      only = &l;
      lo = std::min(lo, l.lo);
      hi = std::max(hi, l.hi);
    }
    if (live == 0) continue;

    if (colour) {
      // The target's rows lie a page or more apart, beyond what the
      // hardware fetches ahead on its own: ask for a later row's part now,
      // so it is in cache when that row is drawn.
      if (y + kPrefetchRows < Box.bottom && lo < hi) {
        const CacheLines lines(RowOf(target_, y + kPrefetchRows) + left, lo, hi);
        for (uintptr_t a = lines.first; a <= lines.last; a += 64) __builtin_prefetch(reinterpret_cast<const void*>(a));
      }
      if (count_ == 1) {
        // A short row goes in one run: fewer calls and short ends for small
        // shapes; a long one span by span, so long runs of one coverage stay
        // cheap.
        const std::vector<Span>& spans = only->rast.spans();
        if (spans.back().x1 - spans.front().x0 <= kOneRunWidth)
          CompositeSpans(*only, spans.data(), spans.data() + spans.size(), y, left, maskRow);
        else
          for (const Span& s : spans) CompositeSpan(*only, s, y, left, maskRow);
      } else {
        CompositeLayers(y, left, maskRow);
      }
      continue;
    }
    // Masks: the coverage of all layers together.
    for (size_t i = 0; i < count_; ++i) {
      Layer& l = layers_[i];
      if (!l.live) continue;
      std::fill(rowCoverage_.begin() + l.lo, rowCoverage_.begin() + l.hi, 0.0f);
      for (const Span& s : l.rast.spans()) SpanCoverage(l, s, s.x0, s.x1);
      for (int32_t x = l.lo; x < l.hi; ++x) {
        float& c = rowCover_[static_cast<size_t>(x)];
        const float k = rowCoverage_[static_cast<size_t>(x)];
        c = l.stroke ? k + c * (1 - k) : c + k;
      }
    }
    CompositeRow(y, left, lo, hi, maskRow, outRow);
  }
}

void LayerCompositor::SpanCoverage(const Layer& L, const Span& S, int32_t X0, int32_t X1) {
  const int32_t* cov = L.rast.coverage();
  for (int32_t x = X0; x < X1; ++x)
    rowCoverage_[static_cast<size_t>(x)] = static_cast<float>(S.cover == kVaries ? cov[x] : S.cover) * (1.0f / kFullCover);
}

void LayerCompositor::CompositeLayers(int32_t Y, int32_t Left, const uint8_t* MaskRow) {
  // The layers' spans are walked together. Where one layer alone covers a
  // pixel its span goes straight onto the target; only where two or more
  // meet (fills along a shared edge, a stroke over a fill) are they summed
  // and laid over each other first. Which way a pixel goes depends only on
  // which layers cover it, never on the clip, so the pixels do not either.
  cursor_.assign(count_, 0);
  int32_t x = INT32_MAX;
  for (size_t i = 0; i < count_; ++i)
    if (layers_[i].live) x = std::min(x, layers_[i].lo);
  for (;;) {
    int32_t next = INT32_MAX;
    size_t covering = 0, which = 0;
    for (size_t i = 0; i < count_; ++i) {
      if (!layers_[i].live) continue;
      const std::vector<Span>& spans = layers_[i].rast.spans();
      size_t& c = cursor_[i];
      while (c < spans.size() && spans[c].x1 <= x) ++c;
      if (c == spans.size()) continue;
      if (spans[c].x0 <= x) {
        ++covering;
        which = i;
        next = std::min(next, spans[c].x1);
      } else {
        next = std::min(next, spans[c].x0);
      }
    }
    if (next == INT32_MAX) return;
    if (covering == 1) {
      Span piece = layers_[which].rast.spans()[cursor_[which]];
      piece.x0 = x;
      piece.x1 = next;
      CompositeSpan(layers_[which], piece, Y, Left, MaskRow);
    } else if (covering > 1) {
      for (size_t i = 0; i < count_; ++i) {
        const Layer& l = layers_[i];
        if (!l.live || cursor_[i] == l.rast.spans().size() || l.rast.spans()[cursor_[i]].x0 > x) continue;
        SpanCoverage(l, l.rast.spans()[cursor_[i]], x, next);
        Accumulate(l, x, next, Y, Left);
      }
      CompositeRow(Y, Left, x, next, MaskRow, nullptr);
    }
    x = next;
  }
}

void LayerCompositor::Accumulate(const Layer& L, int32_t X0, int32_t X1, int32_t Y, int32_t Left) {
  // Fills add up (premultiplied colour times coverage); strokes go over
  // what is there.
  const float* cov = rowCoverage_.data();
  if (L.stroke) {
    const uint32_t s = L.paint.solidColor();
    const float sb = static_cast<float>(s & 0xFF), sg = static_cast<float>(s >> 8 & 0xFF),
                sr = static_cast<float>(s >> 16 & 0xFF), sa = static_cast<float>(s >> 24);
    for (int32_t x = X0; x < X1; ++x) {
      const float c = cov[x];
      if (c <= 0) continue;
      float* p = &rowColor_[static_cast<size_t>(x) * 4];
      const float keep = 1 - sa * c * (1.0f / 255);
      p[0] = sb * c + p[0] * keep;
      p[1] = sg * c + p[1] * keep;
      p[2] = sr * c + p[2] * keep;
      p[3] = sa * c + p[3] * keep;
    }
    return;
  }
  L.paint.Shade(Left + X0, Y, X1 - X0, shade_.data());
  for (int32_t x = X0; x < X1; ++x) {
    const float c = cov[x];
    if (c <= 0) continue;
    const uint32_t s = shade_[static_cast<size_t>(x - X0)];
    float* p = &rowColor_[static_cast<size_t>(x) * 4];
    p[0] += static_cast<float>(s & 0xFF) * c;
    p[1] += static_cast<float>(s >> 8 & 0xFF) * c;
    p[2] += static_cast<float>(s >> 16 & 0xFF) * c;
    p[3] += static_cast<float>(s >> 24) * c;
  }
}

void LayerCompositor::CompositeRow(int32_t Y, int32_t Left, int32_t Lo, int32_t Hi, const uint8_t* MaskRow,
                                   uint8_t* OutRow) {
  if (OutRow) {
    for (int32_t x = Lo; x < Hi; ++x) {
      float& c = rowCover_[static_cast<size_t>(x)];
      float k = std::min(c, 1.0f) * (MaskRow ? MaskRow[x] * (1.0f / 255) : 1.0f);
      c = 0;
      if (k <= 0) continue;
      const float o = OutRow[x];
      OutRow[x] = static_cast<uint8_t>(std::min(255.0f, o + k * (255 - o) + 0.5f));
    }
    return;
  }
  // The sum, packed and validly premultiplied, goes over the target as one
  // span; pixels the layers leave (nearly) transparent get no coverage.
  const int32_t n = Hi - Lo;
  for (int32_t i = 0; i < n; ++i) {
    float* p = &rowColor_[static_cast<size_t>(Lo + i) * 4];
    const float a = std::min(p[3] + 0.5f, 255.0f);
    uint16_t k = 0;
    if (a >= 1.0f) {
      const uint32_t sa = static_cast<uint32_t>(a);
      auto ch = [sa](float v) { return std::min(sa, static_cast<uint32_t>(std::max(v, 0.0f) + 0.5f)); };
      shade_[static_cast<size_t>(i)] = sa << 24 | ch(p[2]) << 16 | ch(p[1]) << 8 | ch(p[0]);
      k = static_cast<uint16_t>(MaskRow ? MaskK8(MaskRow[Lo + i]) : 256);
    }
    ks_[static_cast<size_t>(i)] = k;
    p[0] = p[1] = p[2] = p[3] = 0;
  }
  SpanSource src;
  src.colors = shade_.data();
  src.ks = ks_.data();
  render::CompositeSpan(RowOf(target_, Y) + Left + Lo, n, src);
}

void LayerCompositor::CompositeSpans(const Layer& L, const Span* First, const Span* Last, int32_t Y, int32_t Left,
                                     const uint8_t* MaskRow) {
  // One layer's spans straight onto the target in one run, from the first's
  // start to the last's end: its paint times its coverage (times the mask);
  // pixels between the spans get none, which leaves them as they are.
  const int32_t x0 = First->x0, n = (Last - 1)->x1 - x0;
  SpanSource src;
  if (L.paint.solid()) {
    src.color = L.paint.solidColor();
  } else {
    L.paint.Shade(Left + x0, Y, n, shade_.data());
    src.colors = shade_.data();
  }
  if (Last - First == 1 && First->cover != kVaries && !MaskRow) {
    src.k = CoverK8(First->cover);
  } else {
    const int32_t* cov = L.rast.coverage();
    uint16_t* ks = ks_.data();
    int32_t x = x0;
    for (const Span* s = First; s != Last; ++s) {
      std::fill(ks + (x - x0), ks + (s->x0 - x0), uint16_t{0});
      x = s->x0;
      if (MaskRow) {
        for (; x < s->x1; ++x) {
          const uint32_t c = static_cast<uint32_t>(s->cover == kVaries ? cov[x] : s->cover);
          ks[x - x0] = static_cast<uint16_t>((c * MaskK8(MaskRow[x]) + kFullCover / 2) / kFullCover);
        }
      } else if (s->cover == kVaries) {
        for (; x < s->x1; ++x) ks[x - x0] = static_cast<uint16_t>(CoverK8(cov[x]));
      } else {
        std::fill(ks + (x - x0), ks + (s->x1 - x0), static_cast<uint16_t>(CoverK8(s->cover)));
        x = s->x1;
      }
    }
    src.ks = ks;
  }
  // The target's pixels up to the clip's right edge are this call's to touch.
  src.room = std::min(3, clip_.right - (Left + x0 + n));
  render::CompositeSpan(RowOf(target_, Y) + Left + x0, n, src);
}

}  // namespace swf::render
