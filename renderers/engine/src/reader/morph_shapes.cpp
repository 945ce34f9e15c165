// DefineMorphShape and DefineMorphShape2: paired start and end styles, the
// start records with their style changes, and the end records, whose edges
// pair up with the start's one by one.
#include <algorithm>
#include <string>

#include "renderers/engine/src/reader/loader.h"

namespace swf::detail {
namespace {

size_t ReadCount(Stream& S) {
  size_t n = S.U8();
  if (n == 0xFF) n = S.U16();
  return n;
}

SpreadMode Spread(uint32_t Bits) {
  return Bits == 1 ? SpreadMode::Reflect : Bits == 2 ? SpreadMode::Repeat : SpreadMode::Pad;
}

MorphFillStyle ReadMorphFill(Stream& S) {
  MorphFillStyle m;
  const size_t at = S.Offset();
  const uint8_t type = S.U8();
  FillStyle& a = m.start;
  FillStyle& b = m.end;
  switch (type) {
    case 0x00:
      a.color = S.ReadRGBA();
      b.color = S.ReadRGBA();
      break;
    case 0x10:
    case 0x12:
    case 0x13: {
      a.matrix = S.ReadMatrix();
      b.matrix = S.ReadMatrix();
      // The count byte carries the spread mode in its top bits as a plain
      // gradient does; movies that leave them zero pad.
      S.Align();
      a.spread = b.spread = Spread(S.UB(2));
      S.UB(2);  // interpolation mode: colours are interpolated as stored
      const uint32_t count = S.UB(4);
      if (count == 0) Fail("morph gradient without colours", at);
      for (uint32_t i = 0; i < count; ++i) {
        GradientRecord g;
        g.ratio = S.U8();
        g.color = S.ReadRGBA();
        a.gradient.push_back(g);
        g.ratio = S.U8();
        g.color = S.ReadRGBA();
        b.gradient.push_back(g);
      }
      // Records stay in file order: the start's and end's pair by position
      // (the shape drawn at a ratio sorts its own).
      if (type == 0x13) {
        a.focalPoint = std::clamp(static_cast<int16_t>(S.U16()) / 256.0, -1.0, 1.0);
        b.focalPoint = std::clamp(static_cast<int16_t>(S.U16()) / 256.0, -1.0, 1.0);
      }
      break;
    }
    case 0x40:
    case 0x41:
    case 0x42:
    case 0x43:
      a.bitmapId = b.bitmapId = S.U16();
      a.matrix = S.ReadMatrix();
      b.matrix = S.ReadMatrix();
      break;
    default:
      Fail("unknown morph fill style type " + std::to_string(type), at);
  }
  a.type = b.type = static_cast<FillType>(type);
  return m;
}

// The colour of a line painted with a fill: a solid fill's colour, a
// gradient's first colour; a bitmap fill has none, so the line draws nothing.
RGBA FillColor(const FillStyle& F) {
  if (F.type == FillType::Solid) return F.color;
  if (!F.gradient.empty()) return F.gradient.front().color;
  return RGBA{0, 0, 0, 0};
}

MorphLineStyle ReadMorphLine(Stream& S, int Version) {
  MorphLineStyle m;
  m.start.width = S.U16();
  m.end.width = S.U16();
  if (Version >= 2) {
    // Caps, joins and scaling are not modelled (strokes are round).
    S.UB(2);  // start cap
    const uint32_t join = S.UB(2);
    const bool hasFill = S.UB(1) != 0;
    S.UB(9);   // scaling, hinting, reserved bits, no close
    S.UB(2);   // end cap
    if (join == 2) S.U16();  // miter limit
    if (hasFill) {
      const MorphFillStyle f = ReadMorphFill(S);
      m.start.color = FillColor(f.start);
      m.end.color = FillColor(f.end);
      return m;
    }
  }
  m.start.color = S.ReadRGBA();
  m.end.color = S.ReadRGBA();
  return m;
}

uint32_t MapStyle(uint32_t Index, size_t Count, const char* What, size_t Offset) {
  if (Index > Count) Fail(std::string("morph ") + What + " style " + std::to_string(Index) + " out of range", Offset);
  return Index;
}

// Counts edges against the shape limit and the model budget.
void ChargeEdge(uint32_t& Edges, size_t At, LoadState& L) {
  if (++Edges > L.limits.maxEdgesPerShape) Fail("too many edges in one morph shape", At);
  L.Charge(sizeof(Edge), At);
}

// The start records: runs of edges with their styles, as for a shape (a
// morph shape has one set of styles, so a record that brings new ones is
// malformed).
void ReadStartRecords(Stream& S, MorphShape& M, uint32_t& Edges, LoadState& L) {
  S.Align();
  const unsigned fillBits = S.UB(4), lineBits = S.UB(4);
  Point pen;
  Path current;
  auto flush = [&] {
    if (!current.edges.empty()) M.startPaths.push_back(std::move(current));
    current = Path{current.fill0, current.fill1, current.line, pen, {}};
  };
  for (;;) {
    const size_t at = S.Offset();
    if (S.UB(1) == 1) {
      ChargeEdge(Edges, at, L);
      current.edges.push_back(ReadEdge(S, pen));
      continue;
    }
    const uint32_t flags = S.UB(5);
    if (flags == 0) break;
    if (flags & 0x10) Fail("a morph shape's start records bring new styles", at);
    if (flags & 0x01) {
      const unsigned bits = S.UB(5);
      pen.x = S.SB(bits);
      pen.y = S.SB(bits);
    }
    flush();
    if (flags & 0x02) current.fill0 = MapStyle(S.UB(fillBits), M.fills.size(), "fill", at);
    if (flags & 0x04) current.fill1 = MapStyle(S.UB(fillBits), M.fills.size(), "fill", at);
    if (flags & 0x08) current.line = MapStyle(S.UB(lineBits), M.lines.size(), "line", at);
  }
  flush();
}

// The end records as edges in order, each with the point it starts from;
// only moves matter among their style changes.
struct EndEdge {
  Point from;
  Edge edge;
};

std::vector<EndEdge> ReadEndRecords(Stream& S, uint32_t& Edges, LoadState& L) {
  std::vector<EndEdge> out;
  S.Align();
  const unsigned fillBits = S.UB(4), lineBits = S.UB(4);
  Point pen;
  for (;;) {
    const size_t at = S.Offset();
    if (S.UB(1) == 1) {
      ChargeEdge(Edges, at, L);
      const Point from = pen;
      out.push_back({from, ReadEdge(S, pen)});
      continue;
    }
    const uint32_t flags = S.UB(5);
    if (flags == 0) break;
    if (flags & 0x10) Fail("a morph shape's end records bring new styles", at);
    if (flags & 0x01) {
      const unsigned bits = S.UB(5);
      pen.x = S.SB(bits);
      pen.y = S.SB(bits);
    }
    if (flags & 0x02) S.UB(fillBits);
    if (flags & 0x04) S.UB(fillBits);
    if (flags & 0x08) S.UB(lineBits);
  }
  return out;
}

Point Midpoint(Point A, Point B) { return {(A.x + B.x) / 2, (A.y + B.y) / 2}; }

// A straight edge from From as the curve that draws the same line.
Edge AsCurve(Point From, const Edge& E) { return E.curve ? E : Edge{true, Midpoint(From, E.anchor), E.anchor}; }

// Pairs the end edges with the start paths' edges in order, so that the end
// paths mirror the start paths; a straight edge paired with a curve becomes
// a curve on both sides.
void PairEdges(MorphShape& M, const std::vector<EndEdge>& End) {
  size_t k = 0;
  for (Path& start : M.startPaths) {
    Path end{start.fill0, start.fill1, start.line, End[k].from, {}};
    Point from = start.start;
    for (Edge& e : start.edges) {
      const EndEdge& o = End[k++];
      if (e.curve != o.edge.curve) {
        end.edges.push_back(AsCurve(o.from, o.edge));
        e = AsCurve(from, e);
      } else {
        end.edges.push_back(o.edge);
      }
      from = e.anchor;
    }
    M.endPaths.push_back(std::move(end));
  }
}

}  // namespace

MorphShape ReadMorphShape(Stream& S, uint16_t Id, int Version, LoadState& L) {
  MorphShape m;
  m.tagVersion = static_cast<uint8_t>(Version);
  m.startBounds = S.ReadRect();
  m.endBounds = S.ReadRect();
  if (Version >= 2) {
    S.ReadRect();  // start edge bounds
    S.ReadRect();  // end edge bounds
    S.U8();        // stroke scaling flags
  }
  const size_t offsetAt = S.Offset();
  const uint32_t endOffset = S.U32();
  // The end records start where the offset (counted from after its field)
  // says; it must leave them inside the tag.
  if (endOffset > S.Remaining()) Fail("morph shape " + std::to_string(Id) + ": its end edges lie past the tag", offsetAt);
  Stream endRecords(S.Here() + endOffset, S.Remaining() - endOffset, S.Offset() + endOffset);

  const size_t nFills = ReadCount(S);
  L.Charge(nFills * sizeof(MorphFillStyle), S.Offset());
  for (size_t i = 0; i < nFills; ++i) m.fills.push_back(ReadMorphFill(S));
  const size_t nLines = ReadCount(S);
  L.Charge(nLines * sizeof(MorphLineStyle), S.Offset());
  for (size_t i = 0; i < nLines; ++i) m.lines.push_back(ReadMorphLine(S, Version));

  uint32_t edges = 0;
  ReadStartRecords(S, m, edges, L);
  size_t startEdges = 0;
  for (const Path& p : m.startPaths) startEdges += p.edges.size();
  // An offset of 0 names no end records.
  const std::vector<EndEdge> end = endOffset == 0 ? std::vector<EndEdge>{} : ReadEndRecords(endRecords, edges, L);
  if (end.size() != startEdges) {
    // Edges that do not pair up cannot move: the shape keeps its start edges
    // at every ratio, while its styles still change.
    L.Note("morph shape " + std::to_string(Id) + " has " + std::to_string(startEdges) + " start edges but " +
           std::to_string(end.size()) + " end edges: its outline does not change");
    m.endPaths = m.startPaths;
    return m;
  }
  PairEdges(m, end);
  return m;
}

}  // namespace swf::detail
