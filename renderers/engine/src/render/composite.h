#pragma once
// Compositing a shape: one coverage layer per fill style and per stroke,
// swept row by row and laid over the target, or summed into the coverage of
// a mask. Private to the renderer.
//
// How a shape's styles are combined without seams: where fill layers of one
// shape meet, they are summed per pixel (coverage times premultiplied paint)
// before anything touches the target. The fills of a well-formed shape do not
// overlap, so on an edge two fills share their coverages add up to one and
// the pixel ends fully covered; compositing each fill over the target on its
// own would leave the background showing through the edge. Strokes are laid
// over that sum with source-over, in path order, and the result is composited
// once over the target (premultiplied source-over, times the mask). Where a
// single layer covers a pixel there is nothing to combine, and its spans go
// straight onto the target: that is most of any shape.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "renderers/engine/render.h"
#include "renderers/engine/src/render/paint.h"
#include "renderers/engine/src/render/raster.h"

namespace swf::render {

inline constexpr int32_t kPrefetchRows = 8;  // how far ahead the target's rows are fetched

// Pixels are written through uint32_t rows StrideBytes apart.
inline uint32_t* RowOf(const RenderTarget& T, int32_t Y) {
  return reinterpret_cast<uint32_t*>(reinterpret_cast<uint8_t*>(T.pixels) + static_cast<ptrdiff_t>(Y) * T.strideBytes);
}

// The cache lines of pixels Row[Lo, Hi) (Lo < Hi), as addresses to prefetch.
// (The loops that prefetch them are written out where they are used: GCC
// finds a function that only prefetches free of side effects and drops its
// calls.)
struct CacheLines {
  uintptr_t first, last;
  CacheLines(const uint32_t* Row, int32_t Lo, int32_t Hi)
      : first(reinterpret_cast<uintptr_t>(Row + Lo) & ~uintptr_t{63}), last(reinterpret_cast<uintptr_t>(Row + Hi - 1)) {}
};

// One style of a shape: the coverage of its edges and what it paints.
struct Layer {
  CellRasterizer rast;
  Paint paint;
  bool stroke = false;
  uint32_t line = 0;  // stroke layers: the line style
  int32_t lo = 0, hi = 0;  // the current row's spans lie within
  bool live = false;  // has coverage in the current row
};

// The layers of the shape being drawn, bottom first, and the scratch rows
// they are composited through, reused from shape to shape.
class LayerCompositor {
 public:
  // Draws onto the pixels of Target inside Clip.
  LayerCompositor(const RenderTarget& Target, const IntRect& Clip);

  // Starts a shape with no layers.
  void Clear() { count_ = 0; }
  // A new, empty layer on top.
  Layer& Push();
  // Drops the top layer.
  void Pop() { --count_; }
  size_t size() const { return count_; }
  Layer& operator[](size_t I) { return layers_[I]; }

  // Composites the layers over the pixels of Box (inside the clip), times
  // Mask (the clip's coverage, nullptr for none). With MaskOut (clip-sized)
  // their coverage is added to it instead, and the target is left alone.
  void Draw(const IntRect& Box, const uint8_t* Mask, uint8_t* MaskOut);

 private:
  void CompositeRow(int32_t Y, int32_t Left, int32_t Lo, int32_t Hi, const uint8_t* MaskRow, uint8_t* OutRow);
  void CompositeSpans(const Layer& L, const Span* First, const Span* Last, int32_t Y, int32_t Left,
                      const uint8_t* MaskRow);
  void CompositeSpan(const Layer& L, const Span& S, int32_t Y, int32_t Left, const uint8_t* MaskRow) {
    CompositeSpans(L, &S, &S + 1, Y, Left, MaskRow);
  }
  void CompositeLayers(int32_t Y, int32_t Left, const uint8_t* MaskRow);
  void SpanCoverage(const Layer& L, const Span& S, int32_t X0, int32_t X1);
  void Accumulate(const Layer& L, int32_t X0, int32_t X1, int32_t Y, int32_t Left);

  RenderTarget target_;
  IntRect clip_;
  int32_t clipW_ = 0;

  std::vector<Layer> layers_;
  size_t count_ = 0;  // layers of the current shape
  std::vector<float> rowColor_;     // premultiplied 0..255, four a pixel (B, G, R, A)
  std::vector<float> rowCover_;     // masks: the shape's coverage so far
  std::vector<float> rowCoverage_;  // one layer's coverage as 0..1
  std::vector<uint32_t> shade_;
  std::vector<uint16_t> ks_;     // a span's coverage factors, one a pixel
  std::vector<size_t> cursor_;   // each layer's span at the current column
};

}  // namespace swf::render
