#include "renderers/engine/src/render/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace swf::render {

namespace {

constexpr int32_t kBandRows = 32;  // rows whose cells are gathered in one pass over the lines
constexpr int32_t kDenseColumns = 64;  // sweeps this narrow keep their cells in place
constexpr double kGuard = kGuardPixels;

// The pixel (row or column) holding fixed-point position V: V / 256 rounded
// down (C++20 shifts negative numbers arithmetically).
int32_t PixelOf(int64_t V) { return static_cast<int32_t>(V >> 8); }
static_assert(kSubpixel == 1 << 8);

// V rounded half up; V well inside the int64 range.
int64_t RoundHalfUp(double V) {
  const double t = V + 0.5;
  const int64_t i = static_cast<int64_t>(t);
  return i > t ? i - 1 : i;
}

// V in fixed point (V within the guard).
int32_t ToFixed(double V) { return static_cast<int32_t>(RoundHalfUp(V * kSubpixel)); }

}  // namespace

void CellRasterizer::Clear() {
  lines_.clear();
  active_.clear();
  next_ = 0;
  sorted_ = false;
}

void CellRasterizer::AddLine(Point A, Point B) {
  if (!std::isfinite(A.x) || !std::isfinite(A.y) || !std::isfinite(B.x) || !std::isfinite(B.y)) return;
  int32_t dir = 1;
  if (A.y > B.y) {  // cut with the ends ordered, so both directions of an edge give the same points
    std::swap(A, B);
    dir = -1;
  }
  // Rows beyond the guard are never drawn, so the line is cut to its rows;
  // then what lies left or right of the guard runs down its side, keeping
  // the winding it gives the rows inside.
  if (A.y == B.y || B.y <= -kGuard || A.y >= kGuard) return;
  if (A.y >= -kGuard && B.y <= kGuard && std::fabs(A.x) <= kGuard && std::fabs(B.x) <= kGuard) {
    AddFixed(A, B, dir);  // the usual case: nothing to cut
    return;
  }
  auto atY = [&](double Y) { return Point{A.x + (Y - A.y) * (B.x - A.x) / (B.y - A.y), Y}; };
  if (A.y < -kGuard) A = atY(-kGuard);
  if (B.y > kGuard) B = atY(kGuard);
  Point pts[4] = {A, {}, {}, {}};
  int n = 1;
  for (const double side : {-kGuard, kGuard})
    if ((A.x - side) * (B.x - side) < 0) pts[n++] = {side, A.y + (side - A.x) * (B.y - A.y) / (B.x - A.x)};
  if (n == 3 && pts[1].y > pts[2].y) std::swap(pts[1], pts[2]);
  pts[n++] = B;
  for (int i = 0; i + 1 < n; ++i)
    AddFixed({std::clamp(pts[i].x, -kGuard, kGuard), pts[i].y}, {std::clamp(pts[i + 1].x, -kGuard, kGuard), pts[i + 1].y},
             dir);
}

void CellRasterizer::AddFixed(Point A, Point B, int32_t Dir) {
  const Line l{ToFixed(A.x), ToFixed(A.y), ToFixed(B.x), ToFixed(B.y), Dir};
  if (l.y0 == l.y1) return;  // flatter than the fixed-point grid
  lines_.push_back(l);
  sorted_ = false;
}

void CellRasterizer::Begin(const IntRect& Box) {
  // Lines are taken in order from the top, band by band; a box of one band
  // takes them all at once, in any order.
  if (!sorted_ && Box.bottom - Box.top > kBandRows) {
    std::sort(lines_.begin(), lines_.end(), [](const Line& a, const Line& b) { return a.y0 < b.y0; });
    sorted_ = true;
  }
  if (dense_) ClearDense();  // rows of an earlier sweep that were never asked
  left_ = Box.left;
  width_ = std::max(0, Box.right - Box.left);
  bottom_ = Box.bottom;
  cov_.resize(static_cast<size_t>(width_) + 1);
  dense_ = width_ <= kDenseColumns;
  if (dense_) {
    if (columns_.size() < static_cast<size_t>(kBandRows * kDenseColumns))
      columns_.resize(static_cast<size_t>(kBandRows * kDenseColumns), DenseCell{0, 0, 0});
    if (denseRows_.empty()) denseRows_.assign(kBandRows, DenseRow{0, false, INT32_MAX, -1});
  }
  band_.resize(kBandRows);
  for (auto& cells : band_) cells.clear();
  active_.clear();
  next_ = 0;
  bandTop_ = bandBottom_ = Box.top;
}

void CellRasterizer::ClearDense() {
  for (size_t r = 0; r < denseRows_.size(); ++r) {
    DenseRow& row = denseRows_[r];
    for (int32_t x = row.first; x <= row.last; ++x) columns_[r * static_cast<size_t>(width_) + static_cast<size_t>(x)] = {};
    row = {0, false, INT32_MAX, -1};
  }
}

void CellRasterizer::LoadBand(int32_t Top) {
  if (dense_)
    ClearDense();
  else
    for (auto& cells : band_) cells.clear();
  bandTop_ = Top;
  bandBottom_ = std::min(bottom_, Top + kBandRows);
  const int64_t top = int64_t{Top} * kSubpixel, bottom = int64_t{bandBottom_} * kSubpixel;
  size_t keep = 0;
  for (uint32_t i : active_)
    if (lines_[i].y1 > top) active_[keep++] = i;
  active_.resize(keep);
  for (; next_ < lines_.size() && (!sorted_ || lines_[next_].y0 < bottom); ++next_)
    if (lines_[next_].y0 < bottom && lines_[next_].y1 > top) active_.push_back(static_cast<uint32_t>(next_));
  const int64_t left = int64_t{left_} * kSubpixel, right = int64_t{left_ + width_} * kSubpixel;
  for (uint32_t i : active_) {
    const Line& l = lines_[i];
    if (std::min(l.x0, l.x1) >= right) continue;  // never seen
    const int32_t from = std::max(Top, PixelOf(l.y0));
    const int32_t to = std::min(bandBottom_, PixelOf(l.y1 - 1) + 1);
    if (std::max(l.x0, l.x1) < left) {
      // Wholly left of the columns: only its height in each row counts.
      for (int32_t r = from; r < to; ++r) {
        const int32_t ya = std::max(l.y0, r * kSubpixel), yb = std::min(l.y1, (r + 1) * kSubpixel);
        Push(r, -1, l.dir * (yb - ya), 0);
      }
      continue;
    }
    Walk(l, from, to);
  }
}

[[gnu::always_inline]] inline void CellRasterizer::Push(int32_t Row, int32_t Column, int32_t Cover, int32_t Area) {
  const size_t r = static_cast<size_t>(Row - bandTop_);
  if (!dense_) {
    band_[r].push_back({Column, Cover, Area});
    return;
  }
  DenseRow& row = denseRows_[r];
  if (Column < 0) {
    row.left += Cover;
    row.hasLeft = true;
    return;
  }
  DenseCell& c = columns_[r * static_cast<size_t>(width_) + static_cast<size_t>(Column)];
  c.area += Area;
  c.cover += Cover;
  ++c.cells;
  row.first = std::min(row.first, Column);
  row.last = std::max(row.last, Column);
}

void CellRasterizer::Walk(const Line& L, int32_t FromRow, int32_t ToRow) {
  // The slopes, divided out only for a line that crosses a row or column
  // boundary (a short line often crosses neither); always the same division.
  const double dxdy = PixelOf(L.y0) != PixelOf(L.y1 - 1) ? static_cast<double>(L.x1 - L.x0) / (L.y1 - L.y0) : 0;
  const int32_t xmin = std::min(L.x0, L.x1), xmax = std::max(L.x0, L.x1);
  const double dydx =
      xmin != xmax && PixelOf(xmin) != PixelOf(xmax - 1) ? static_cast<double>(L.y1 - L.y0) / (L.x1 - L.x0) : 0;
  // Where the line crosses row boundary Y: a function of the line and Y alone.
  auto xAt = [&](int32_t Y) {
    if (Y == L.y0) return L.x0;
    if (Y == L.y1) return L.x1;
    return static_cast<int32_t>(RoundHalfUp(L.x0 + (Y - L.y0) * dxdy));
  };
  int32_t ya = std::max(L.y0, FromRow * kSubpixel);
  int32_t xa = xAt(ya);
  for (int32_t r = FromRow; r < ToRow; ++r) {
    const int32_t yb = std::min(L.y1, (r + 1) * kSubpixel);
    const int32_t xb = xAt(yb);
    if (yb > ya) WalkRow(L, dydx, r, xa, ya, xb, yb);
    ya = yb;
    xa = xb;
  }
}

void CellRasterizer::WalkRow(const Line& L, double Dydx, int32_t Row, int32_t Xa, int32_t Ya, int32_t Xb, int32_t Yb) {
  // Where the line crosses column boundary X, from its end points alone,
  // kept within this row's piece. (Rounding is monotone, so the crossings
  // come in order along the line.)
  auto yAt = [&](int64_t X) {
    const double y = std::clamp(L.y0 + static_cast<double>(X - L.x0) * Dydx, static_cast<double>(Ya), static_cast<double>(Yb));
    return static_cast<int32_t>(RoundHalfUp(y));
  };
  const int32_t first = left_, last = left_ + width_ - 1;  // swept columns
  auto emit = [&](int32_t Column, int32_t X0, int32_t Y0, int32_t X1, int32_t Y1) __attribute__((always_inline)) {
    const int32_t h = Y1 - Y0;
    if (h == 0) return;
    const int32_t base = Column * kSubpixel;
    Push(Row, Column - left_, L.dir * h, L.dir * h * (X0 - base + X1 - base));
  };
  if (Xa == Xb) {
    const int32_t c = PixelOf(Xa);
    if (c < first)
      Push(Row, -1, L.dir * (Yb - Ya), 0);
    else if (c <= last)
      emit(c, Xa, Ya, Xb, Yb);
    return;
  }
  if (Xb > Xa) {
    const int32_t ca = PixelOf(Xa);
    const int32_t cb = PixelOf(Xb - 1);
    int32_t c = ca, x = Xa, y = Ya;
    if (c < first) {  // the part left of the columns passes its height on
      const int32_t yl = cb < first ? Yb : yAt(int64_t{first} * kSubpixel);
      Push(Row, -1, L.dir * (yl - Ya), 0);
      if (cb < first) return;
      c = first;
      x = first * kSubpixel;
      y = yl;
    }
    for (; c <= cb && c <= last; ++c) {
      const int32_t xe = c == cb ? Xb : (c + 1) * kSubpixel;
      const int32_t ye = c == cb ? Yb : yAt(int64_t{c + 1} * kSubpixel);
      emit(c, x, y, xe, ye);
      x = xe;
      y = ye;
    }
    return;
  }
  const int32_t ca = PixelOf(Xa - 1);
  const int32_t cb = PixelOf(Xb);
  int32_t c = ca, x = Xa, y = Ya;
  if (c > last) {  // the part right of the columns is never seen
    if (cb > last) return;
    c = last;
    x = (last + 1) * kSubpixel;
    y = yAt(x);
  }
  for (; c >= cb && c >= first; --c) {
    const int32_t xe = c == cb ? Xb : c * kSubpixel;
    const int32_t ye = c == cb ? Yb : yAt(int64_t{c} * kSubpixel);
    emit(c, x, y, xe, ye);
    x = xe;
    y = ye;
  }
  if (c >= cb) Push(Row, -1, L.dir * (Yb - y), 0);  // what is left of the columns
}

bool CellRasterizer::Row(int32_t Y) {
  spans_.clear();
  if (width_ == 0 || Y < bandTop_ || Y >= bottom_) return false;
  if (Y >= bandBottom_) {
    if (active_.empty() && next_ == lines_.size()) return false;
    LoadBand(Y);
  }
  if (dense_) {
    SweepDense(static_cast<size_t>(Y - bandTop_));
    return !spans_.empty();
  }
  std::vector<Cell>& cells = band_[static_cast<size_t>(Y - bandTop_)];
  if (cells.empty()) return false;
  Sweep(cells);
  cells.clear();
  return !spans_.empty();
}

namespace {
int32_t ClampCover(int64_t C) { return static_cast<int32_t>(std::min<int64_t>(C < 0 ? -C : C, kFullCover)); }
}  // namespace

[[gnu::always_inline]] inline void CellRasterizer::AddRun(int32_t X0, int32_t X1, int64_t Winding) {
  const int32_t run = ClampCover(Winding * 2 * kSubpixel);
  if (run != 0 && X0 < X1) spans_.push_back({X0, X1, run});
}

[[gnu::always_inline]] inline void CellRasterizer::AddCell(int32_t X, int64_t Winding, int64_t Area) {
  cov_[static_cast<size_t>(X)] = ClampCover(Winding * 2 * kSubpixel - Area);
  if (!spans_.empty() && spans_.back().cover == kVaries && spans_.back().x1 == X)
    spans_.back().x1 = X + 1;
  else
    spans_.push_back({X, X + 1, kVaries});
}

void CellRasterizer::SweepDense(size_t Row) {
  // The same spans and coverage as the sorted cells give: a column with any
  // cell is a pixel of its own, the runs between them are constant.
  DenseRow& row = denseRows_[Row];
  DenseCell* columns = &columns_[Row * static_cast<size_t>(width_)];
  int64_t winding = row.left;
  int32_t from = row.hasLeft ? 0 : -1;  // where the current run starts; -1: none
  for (int32_t x = row.first; x <= row.last; ++x) {
    DenseCell& c = columns[x];
    if (c.cells == 0) continue;
    if (from >= 0) AddRun(from, x, winding);
    winding += c.cover;
    AddCell(x, winding, c.area);
    from = x + 1;
    c = {};
  }
  if (from >= 0) AddRun(from, width_, winding);
  row = {0, false, INT32_MAX, -1};
}

void CellRasterizer::Sweep(std::vector<Cell>& Cells) {
  auto byColumn = [](const Cell& a, const Cell& b) { return a.x < b.x; };
  if (Cells.size() <= 24) {
    for (size_t i = 1; i < Cells.size(); ++i) {
      const Cell c = Cells[i];
      size_t j = i;
      for (; j > 0 && Cells[j - 1].x > c.x; --j) Cells[j] = Cells[j - 1];
      Cells[j] = c;
    }
  } else {
    std::sort(Cells.begin(), Cells.end(), byColumn);
  }
  int64_t winding = 0;  // heights summed so far, in fixed-point rows
  size_t i = 0;
  const size_t n = Cells.size();
  while (i < n) {
    const int32_t x = Cells[i].x;
    int64_t cover = 0, area = 0;
    for (; i < n && Cells[i].x == x; ++i) {
      cover += Cells[i].cover;
      area += Cells[i].area;
    }
    winding += cover;
    if (x >= 0) AddCell(x, winding, area);
    AddRun(x + 1, i < n ? Cells[i].x : width_, winding);
  }
}

}  // namespace swf::render
