#pragma once
// Anti-aliased coverage of a set of directed lines in pixel space under the
// non-zero winding rule, as spans of pixel rows. Private to the renderer.
//
// Lines are held in fixed point (1/256 pixel) and each is walked once per
// pixel row it crosses. In every pixel it passes through it leaves a cell:
// the height it crosses there, signed by its direction, and the area it
// leaves to its right within the pixel. Summed from the left, the heights
// give the winding between cells, so a row is a handful of cells with runs
// of constant coverage between them; a run is handed on as one span and
// costs nothing per pixel here. A pixel's coverage is the exact area of the
// fixed-point polygon inside it, clamped to one: where windings of two or
// more overlap inside one pixel the sum of the areas counts, not their union.
//
// Every crossing of a row or column boundary is computed from the line's own
// end points, never by stepping along it, so a pixel's coverage does not
// depend on which part of the frame is swept: cells left of the swept
// columns only pass on their heights, those right of them are never made.
//
// Seams: every line is stored top to bottom with a separate direction, so
// the same edge seen by two fills (once reversed) leaves cells of the same
// size and opposite sign; the two fills' coverages of a pixel on that edge
// add up to exactly kFullCover.

#include <cstdint>
#include <vector>

#include "renderers/engine/model.h"

namespace swf::render {

inline constexpr int32_t kSubpixel = 256;                        // fixed-point steps per pixel
inline constexpr int32_t kFullCover = 2 * kSubpixel * kSubpixel;  // a fully covered pixel
// Pixels this far from the origin in any direction are never drawn; lines
// beyond it are cut to it, which keeps their winding.
inline constexpr int32_t kGuardPixels = 1 << 21;

// Coverage 0..kFullCover as a factor 0..256, rounded.
inline uint32_t CoverK8(int32_t C) { return (static_cast<uint32_t>(C) + 256) >> 9; }

// Columns [x0, x1) of a row (relative to the swept left column) with the same
// coverage, or with their own (cover == kVaries: see Coverage()).
struct Span {
  int32_t x0, x1;
  int32_t cover;
};
inline constexpr int32_t kVaries = -1;

class CellRasterizer {
 public:
  void Clear();
  // A directed line from A to B; horizontal lines are dropped.
  void AddLine(Point A, Point B);
  bool Empty() const { return lines_.empty(); }

  // Starts a sweep over the pixels of Box (inside the guard), rows from the
  // top down: rows must then be asked in increasing order.
  void Begin(const IntRect& Box);
  // The spans of row Y, left to right and apart; false when the row has none.
  // They stay valid until the next call.
  bool Row(int32_t Y);
  const std::vector<Span>& spans() const { return spans_; }
  // Per-column coverage (0..kFullCover) inside the spans that vary.
  const int32_t* coverage() const { return cov_.data(); }

 private:
  struct Line {
    int32_t x0, y0, x1, y1;  // fixed point, y0 < y1
    int32_t dir;
  };
  struct Cell {
    int32_t x;            // column relative to left_; -1 gathers all columns left of it
    int32_t cover, area;  // height crossed (signed); twice the area right of the line
  };
  // A narrow sweep keeps its cells in place, a row of columns each, summed
  // as they come, instead of in lists sorted by column.
  struct DenseCell {
    int64_t area;
    int32_t cover;
    int32_t cells;  // how many cells were summed here
  };
  struct DenseRow {
    int64_t left;            // heights left of the columns
    bool hasLeft;
    int32_t first, last;     // the columns with cells lie within, when first <= last
  };
  void AddFixed(Point A, Point B, int32_t Dir);  // A above B, inside the guard
  void LoadBand(int32_t Top);
  void Walk(const Line& L, int32_t FromRow, int32_t ToRow);
  void WalkRow(const Line& L, double Dydx, int32_t Row, int32_t Xa, int32_t Ya, int32_t Xb, int32_t Yb);
  void Push(int32_t Row, int32_t Column, int32_t Cover, int32_t Area);
  void Sweep(std::vector<Cell>& Cells);
  void SweepDense(size_t Row);
  void ClearDense();
  // Adds a run of constant coverage from column X0 to X1, unless empty.
  void AddRun(int32_t X0, int32_t X1, int64_t Winding);
  // The cell at column X: its coverage, and a span of its own or the one before it.
  void AddCell(int32_t X, int64_t Winding, int64_t Area);

  std::vector<Line> lines_;
  std::vector<uint32_t> active_;
  std::vector<std::vector<Cell>> band_;  // cells of each row of the band
  bool dense_ = false;
  std::vector<DenseCell> columns_;  // dense: each row of the band, width_ columns
  std::vector<DenseRow> denseRows_;
  std::vector<Span> spans_;
  std::vector<int32_t> cov_;
  size_t next_ = 0;
  bool sorted_ = false;
  int32_t left_ = 0, width_ = 0, bottom_ = 0;
  int32_t bandTop_ = 0, bandBottom_ = 0;
};

}  // namespace swf::render
