// DefineShape 1 to 4 and the glyphs of fonts: style arrays and shape
// records, turned into runs of edges (swf::Path) that each carry one set of
// styles.
#include <algorithm>

#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {
namespace {

RGBA ReadColor(Stream& S, int Version) { return Version >= 3 ? S.ReadRGBA() : S.ReadRGB(); }

size_t ReadCount(Stream& S, int Version) {
  size_t n = S.U8();
  if (n == 0xFF && Version >= 2) n = S.U16();
  return n;
}

FillStyle ReadFillStyle(Stream& S, int Version) {
  FillStyle f;
  const size_t at = S.Offset();
  const uint8_t type = S.U8();
  switch (type) {
    case 0x00:
      f.type = FillType::Solid;
      f.color = ReadColor(S, Version);
      break;
    case 0x10:
    case 0x12:
    case 0x13: {
      f.type = static_cast<FillType>(type);
      f.matrix = S.ReadMatrix();
      const uint32_t spread = S.UB(2);
      S.UB(2);  // interpolation mode: colours are always interpolated as stored
      const uint32_t count = S.UB(4);
      if (count == 0) Fail("gradient without colours", at);
      f.spread = spread == 1 ? SpreadMode::Reflect : spread == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
      for (uint32_t i = 0; i < count; ++i) {
        GradientRecord g;
        g.ratio = S.U8();
        g.color = ReadColor(S, Version);
        f.gradient.push_back(g);
      }
      // The rasteriser relies on ascending ratios; keep equal ones in order.
      std::stable_sort(f.gradient.begin(), f.gradient.end(),
                       [](const GradientRecord& a, const GradientRecord& b) { return a.ratio < b.ratio; });
      if (type == 0x13) {
        const int16_t focal = static_cast<int16_t>(S.U16());
        f.focalPoint = std::clamp(focal / 256.0, -1.0, 1.0);
      }
      break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
      f.type = static_cast<FillType>(type);
      f.bitmapId = S.U16();
      f.matrix = S.ReadMatrix();
      break;
    default:
      Fail("unknown fill style type " + std::to_string(type), at);
  }
  return f;
}

LineStyle ReadLineStyle(Stream& S, int Version) {
  LineStyle l;
  l.width = S.U16();
  if (Version < 4) {
    l.color = ReadColor(S, Version);
    return l;
  }
  // LINESTYLE2: caps, joins and scaling flags are not modelled (strokes are round).
  S.UB(2);  // start cap
  const uint32_t join = S.UB(2);
  const bool hasFill = S.UB(1) != 0;
  S.UB(3);  // no horizontal / vertical scale, pixel hinting
  S.UB(5);  // reserved
  S.UB(1);  // no close
  S.UB(2);  // end cap
  if (join == 2) S.U16();  // miter limit
  if (!hasFill) {
    l.color = S.ReadRGBA();
    return l;
  }
  // A line painted with a fill: a solid fill gives its colour, a gradient its
  // first colour; a bitmap fill has none, so the line draws nothing.
  const FillStyle f = ReadFillStyle(S, Version);
  if (f.type == FillType::Solid)
    l.color = f.color;
  else if (!f.gradient.empty())
    l.color = f.gradient.front().color;
  else
    l.color = RGBA{0, 0, 0, 0};
  return l;
}

struct Styles {
  size_t fillBase = 0, fillCount = 0;  // indexes of the current arrays in the shape's vectors
  size_t lineBase = 0, lineCount = 0;
  unsigned fillBits = 0, lineBits = 0;
};

void ReadStyleArrays(Stream& S, int Version, Shape& Out, Styles& St, LoadState& L) {
  S.Align();
  const size_t nFills = ReadCount(S, Version);
  L.Charge(nFills * sizeof(FillStyle), S.Offset());
  St.fillBase = Out.fills.size();
  St.fillCount = nFills;
  for (size_t i = 0; i < nFills; ++i) Out.fills.push_back(ReadFillStyle(S, Version));
  const size_t nLines = ReadCount(S, Version);
  L.Charge(nLines * sizeof(LineStyle), S.Offset());
  St.lineBase = Out.lines.size();
  St.lineCount = nLines;
  for (size_t i = 0; i < nLines; ++i) Out.lines.push_back(ReadLineStyle(S, Version));
  St.fillBits = S.UB(4);
  St.lineBits = S.UB(4);
}

// A style number of the current arrays -> a 1-based number into the shape's vectors.
uint32_t MapStyle(uint32_t Index, size_t Base, size_t Count, const char* What, size_t Offset) {
  if (Index == 0) return 0;
  if (Index > Count) Fail(std::string(What) + " style " + std::to_string(Index) + " out of range", Offset);
  return static_cast<uint32_t>(Base + Index);
}

// Shape records up to the end record. A glyph (Glyph) has no style arrays
// of its own and may not bring new ones.
void ReadRecords(Stream& S, int Version, Shape& shape, Styles& st, LoadState& L, bool Glyph) {
  Point pen;
  Path current;
  uint32_t edges = 0;
  auto flush = [&] {
    if (!current.edges.empty()) shape.paths.push_back(std::move(current));
    current = Path{current.fill0, current.fill1, current.line, pen, {}};
  };
  for (;;) {
    const size_t at = S.Offset();
    if (S.UB(1) == 0) {
      const uint32_t flags = S.UB(5);
      if (flags == 0) break;  // end of shape
      const bool newStyles = flags & 0x10, lineStyle = flags & 0x08, fill1 = flags & 0x04, fill0 = flags & 0x02,
                 moveTo = flags & 0x01;
      if (moveTo) {
        const unsigned bits = S.UB(5);
        pen.x = S.SB(bits);
        pen.y = S.SB(bits);
      }
      // Raw numbers; with new styles they refer to the arrays that follow.
      const uint32_t f0 = fill0 ? S.UB(st.fillBits) : 0;
      const uint32_t f1 = fill1 ? S.UB(st.fillBits) : 0;
      const uint32_t ln = lineStyle ? S.UB(st.lineBits) : 0;
      flush();
      if (newStyles && Glyph) Fail("a glyph brings styles of its own", at);
      if (newStyles) {
        ReadStyleArrays(S, Version, shape, st, L);
        // Styles not chosen again do not carry over into the new arrays.
        current.fill0 = current.fill1 = current.line = 0;
      }
      if (fill0) current.fill0 = MapStyle(f0, st.fillBase, st.fillCount, "fill", at);
      if (fill1) current.fill1 = MapStyle(f1, st.fillBase, st.fillCount, "fill", at);
      if (lineStyle) current.line = MapStyle(ln, st.lineBase, st.lineCount, "line", at);
      continue;
    }
    if (++edges > L.limits.maxEdgesPerShape) Fail("too many edges in one shape", at);
    L.Charge(sizeof(Edge), at);
    current.edges.push_back(ReadEdge(S, pen));
  }
  flush();
}

}  // namespace

// One edge record (after its edge flag), relative to Pen, which it moves.
Edge ReadEdge(Stream& S, Point& Pen) {
  Edge e;
  const bool straight = S.UB(1) != 0;
  const unsigned bits = S.UB(4) + 2;
  if (straight) {
    double dx = 0, dy = 0;
    if (S.UB(1)) {
      dx = S.SB(bits);
      dy = S.SB(bits);
    } else if (S.UB(1)) {
      dy = S.SB(bits);
    } else {
      dx = S.SB(bits);
    }
    Pen = {Pen.x + dx, Pen.y + dy};
  } else {
    const double cx = S.SB(bits), cy = S.SB(bits), ax = S.SB(bits), ay = S.SB(bits);
    e.curve = true;
    e.control = {Pen.x + cx, Pen.y + cy};
    Pen = {e.control.x + ax, e.control.y + ay};
  }
  e.anchor = Pen;
  return e;
}

Shape ReadShape(Stream& S, int Version, LoadState& L) {
  Shape shape;
  shape.tagVersion = static_cast<uint8_t>(Version);
  shape.bounds = S.ReadRect();
  if (Version >= 4) {
    S.ReadRect();  // edge bounds
    S.U8();        // winding rule and stroke scaling flags
  }
  Styles st;
  ReadStyleArrays(S, Version, shape, st, L);
  ReadRecords(S, Version, shape, st, L, false);
  return shape;
}

Shape ReadGlyphShape(Stream& S, LoadState& L) {
  Shape shape;
  shape.fills.push_back(FillStyle{});  // solid white: the ink
  shape.fills.back().color = RGBA{255, 255, 255, 255};
  Styles st;
  st.fillCount = 1;
  S.Align();
  st.fillBits = S.UB(4);
  st.lineBits = S.UB(4);
  ReadRecords(S, 1, shape, st, L, true);
  for (const Path& p : shape.paths) {
    shape.bounds.Include(p.start);
    for (const Edge& e : p.edges) {
      shape.bounds.Include(e.anchor);
      if (e.curve) shape.bounds.Include(e.control);
    }
  }
  return shape;
}

}  // namespace swf::detail
