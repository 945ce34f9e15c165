// TrueTypeFace: stb_truetype's reading of a font file, its quadratic
// outlines turned into glyph shapes with y pointing down.
#include <cmath>
#include <fstream>
#include <iterator>

#include "renderers/engine/truetype_fonts.h"

#define STB_TRUETYPE_IMPLEMENTATION
#define STBTT_STATIC
#include <stb_truetype.h>

namespace swf {

struct TrueTypeFace::Impl {
  std::vector<uint8_t> bytes;
  stbtt_fontinfo info{};
  double unitsPerEm = 1;  // the file's design units in one em
};

namespace {

Point Mid(Point A, Point B) { return {(A.x + B.x) / 2, (A.y + B.y) / 2}; }

// A quadratic close to the cubic P0..P3 (one half of a split cubic).
Edge QuadraticFor(Point P0, Point P1, Point P2, Point P3) {
  return {true, {(3 * (P1.x + P2.x) - P0.x - P3.x) / 4, (3 * (P1.y + P2.y) - P0.y - P3.y) / 4}, P3};
}

// A cubic (from CFF outlines) split at its middle into two quadratics.
void AddCubic(Path& P, Point From, Point C1, Point C2, Point To) {
  const Point a = Mid(From, C1), b = Mid(C1, C2), c = Mid(C2, To);
  const Point ab = Mid(a, b), bc = Mid(b, c), mid = Mid(ab, bc);
  P.edges.push_back(QuadraticFor(From, a, ab, mid));
  P.edges.push_back(QuadraticFor(mid, bc, c, To));
}

uint32_t Be32(const std::vector<uint8_t>& B, size_t At) {
  return uint32_t{B[At]} << 24 | uint32_t{B[At + 1]} << 16 | uint32_t{B[At + 2]} << 8 | B[At + 3];
}

// stb_truetype trusts the file: at least every table the directory lists
// must lie inside it. Font collections are not read.
bool TablesInside(const std::vector<uint8_t>& B) {
  if (B.size() < 12) return false;
  const size_t tables = size_t{B[4]} << 8 | B[5];
  if (12 + tables * 16 > B.size()) return false;
  for (size_t i = 0; i < tables; ++i) {
    const uint64_t offset = Be32(B, 12 + i * 16 + 8), length = Be32(B, 12 + i * 16 + 12);
    if (offset + length > B.size()) return false;
  }
  return true;
}

}  // namespace

TrueTypeFace::TrueTypeFace(std::unique_ptr<Impl> I) : impl_(std::move(I)) {}
TrueTypeFace::~TrueTypeFace() = default;

std::unique_ptr<TrueTypeFace> TrueTypeFace::FromBytes(std::vector<uint8_t> Bytes) {
  auto impl = std::make_unique<Impl>();
  impl->bytes = std::move(Bytes);
  if (!TablesInside(impl->bytes)) return nullptr;
  const int offset = stbtt_GetFontOffsetForIndex(impl->bytes.data(), 0);
  if (offset < 0 || !stbtt_InitFont(&impl->info, impl->bytes.data(), offset)) return nullptr;
  const float perEm = stbtt_ScaleForMappingEmToPixels(&impl->info, 1);
  if (!(perEm > 0) || !std::isfinite(perEm)) return nullptr;
  impl->unitsPerEm = 1.0 / perEm;
  return std::unique_ptr<TrueTypeFace>(new TrueTypeFace(std::move(impl)));
}

std::unique_ptr<TrueTypeFace> TrueTypeFace::Open(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  if (!in) return nullptr;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return FromBytes(std::move(bytes));
}

bool TrueTypeFace::HasGlyph(char32_t Code) const {
  return stbtt_FindGlyphIndex(&impl_->info, static_cast<int>(Code)) != 0;
}

std::optional<DeviceGlyph> TrueTypeFace::Glyph(char32_t Code, double Em) const {
  const int index = stbtt_FindGlyphIndex(&impl_->info, static_cast<int>(Code));
  if (index == 0) return std::nullopt;
  const double s = Em / impl_->unitsPerEm;
  DeviceGlyph g;
  g.shape.fills.push_back(FillStyle{});
  g.shape.fills[0].color = RGBA{255, 255, 255, 255};
  int advance = 0, bearing = 0;
  stbtt_GetGlyphHMetrics(&impl_->info, index, &advance, &bearing);
  g.advance = advance * s;
  stbtt_vertex* v = nullptr;
  const int n = stbtt_GetGlyphShape(&impl_->info, index, &v);
  auto at = [s](double X, double Y) { return Point{X * s, -Y * s}; };
  Point pen;
  for (int i = 0; i < n; ++i) {
    const Point to = at(v[i].x, v[i].y);
    if (v[i].type == STBTT_vmove) {
      // The contours' fill is on their left once y points down.
      g.shape.paths.push_back(Path{1, 0, 0, to, {}});
    } else if (!g.shape.paths.empty()) {
      Path& p = g.shape.paths.back();
      if (v[i].type == STBTT_vline)
        p.edges.push_back({false, {}, to});
      else if (v[i].type == STBTT_vcurve)
        p.edges.push_back({true, at(v[i].cx, v[i].cy), to});
      else
        AddCubic(p, pen, at(v[i].cx, v[i].cy), at(v[i].cx1, v[i].cy1), to);
    }
    pen = to;
  }
  stbtt_FreeShape(&impl_->info, v);
  std::erase_if(g.shape.paths, [](const Path& p) { return p.edges.empty(); });
  for (const Path& p : g.shape.paths) {
    g.shape.bounds.Include(p.start);
    for (const Edge& e : p.edges) {
      g.shape.bounds.Include(e.anchor);
      if (e.curve) g.shape.bounds.Include(e.control);
    }
  }
  return g;
}

Rect TrueTypeFace::GlyphBounds(char32_t Code, double Em) const {
  const int index = stbtt_FindGlyphIndex(&impl_->info, static_cast<int>(Code));
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (index == 0 || !stbtt_GetGlyphBox(&impl_->info, index, &x0, &y0, &x1, &y1)) return {};
  const double s = Em / impl_->unitsPerEm;
  return Rect{x0 * s, -y1 * s, x1 * s, -y0 * s};
}

DeviceFontMetrics TrueTypeFace::Metrics(double Em) const {
  int ascent = 0, descent = 0, gap = 0;
  stbtt_GetFontVMetrics(&impl_->info, &ascent, &descent, &gap);
  const double s = Em / impl_->unitsPerEm;
  return {ascent * s, -descent * s, gap * s};
}

double TrueTypeFace::Kerning(char32_t Left, char32_t Right, double Em) const {
  return stbtt_GetCodepointKernAdvance(&impl_->info, static_cast<int>(Left), static_cast<int>(Right)) * Em /
         impl_->unitsPerEm;
}

}  // namespace swf
