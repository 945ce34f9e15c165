#include "renderers/engine/src/writer/morph_writer.h"

#include <algorithm>
#include <string>

#include "renderers/engine/src/writer/bit_writer.h"

namespace swf::writer {
namespace {

void Color(BitWriter& W, RGBA C) {
  W.U8(C.r);
  W.U8(C.g);
  W.U8(C.b);
  W.U8(C.a);
}

void StyleCount(BitWriter& W, size_t Count) {
  if (Count >= 255) {
    W.U8(0xff);
    W.U16(static_cast<uint16_t>(Count));
  } else {
    W.U8(static_cast<uint8_t>(Count));
  }
}

void Fill(BitWriter& W, const MorphFillStyle& F, const std::string& What) {
  const FillStyle& a = F.start;
  const FillStyle& b = F.end;
  W.U8(static_cast<uint8_t>(a.type));
  switch (a.type) {
    case FillType::Solid:
      Color(W, a.color);
      Color(W, b.color);
      return;
    case FillType::LinearGradient:
    case FillType::RadialGradient:
    case FillType::FocalRadialGradient: {
      if (a.gradient.empty() || a.gradient.size() > 15 || a.gradient.size() != b.gradient.size())
        throw FormatError(What + " has a gradient whose start and end do not hold the same 1 to 15 records");
      WriteMatrix(W, a.matrix);
      WriteMatrix(W, b.matrix);
      W.UB(static_cast<uint32_t>(a.spread) & 3, 2);
      W.UB(0, 2);
      W.UB(static_cast<uint32_t>(a.gradient.size()), 4);
      for (size_t i = 0; i < a.gradient.size(); ++i) {
        W.U8(a.gradient[i].ratio);
        Color(W, a.gradient[i].color);
        W.U8(b.gradient[i].ratio);
        Color(W, b.gradient[i].color);
      }
      if (a.type == FillType::FocalRadialGradient) {
        W.U16(static_cast<uint16_t>(ToInt(a.focalPoint * 256, 32768, "focal point")));
        W.U16(static_cast<uint16_t>(ToInt(b.focalPoint * 256, 32768, "focal point")));
      }
      return;
    }
    case FillType::RepeatingBitmap:
    case FillType::ClippedBitmap:
    case FillType::NonSmoothedRepeatingBitmap:
    case FillType::NonSmoothedClippedBitmap:
      W.U16(a.bitmapId);
      WriteMatrix(W, a.matrix);
      WriteMatrix(W, b.matrix);
      return;
  }
  throw FormatError(What + " has an unknown fill style type");
}

void Line(BitWriter& W, const MorphLineStyle& L, uint8_t Version) {
  W.U16(L.start.width);
  W.U16(L.end.width);
  if (Version >= 2) W.U16(0);  // round caps and joins, no fill
  Color(W, L.start.color);
  Color(W, L.end.color);
}

struct IntPoint {
  int32_t x = 0, y = 0;
};

IntPoint ToTwips(Point P) { return {Twips(P.x, "morph shape coordinate"), Twips(P.y, "morph shape coordinate")}; }

// Edge records, one per edge; fields hold at most 17 bits.
class Edges {
 public:
  Edges(BitWriter& W, const std::string& What) : w_(W), what_(What) {}

  void Move(Point P, bool Fill0, uint32_t F0, bool Fill1, uint32_t F1, bool Line, uint32_t L, int FillBits, int LineBits) {
    const IntPoint p = ToTwips(P);
    w_.UB(0, 2);  // style change, no new styles
    w_.UB(Line, 1);
    w_.UB(Fill1, 1);
    w_.UB(Fill0, 1);
    w_.UB(1, 1);
    const int bits = std::max(SignedBits(p.x), SignedBits(p.y));
    w_.UB(static_cast<uint32_t>(bits), 5);
    w_.SB(p.x, bits);
    w_.SB(p.y, bits);
    if (Fill0) w_.UB(F0, FillBits);
    if (Fill1) w_.UB(F1, FillBits);
    if (Line) w_.UB(L, LineBits);
    pen_ = p;
  }

  void Add(const Edge& E) {
    const IntPoint a = ToTwips(E.anchor);
    if (E.curve) {
      const IntPoint c = ToTwips(E.control);
      const int64_t d[4] = {int64_t{c.x} - pen_.x, int64_t{c.y} - pen_.y, int64_t{a.x} - c.x, int64_t{a.y} - c.y};
      const int n = Bits(d, 4);
      w_.UB(2, 2);  // edge, curved
      w_.UB(static_cast<uint32_t>(n - 2), 4);
      for (int64_t v : d) w_.SB(static_cast<int32_t>(v), n);
    } else {
      const int64_t d[2] = {int64_t{a.x} - pen_.x, int64_t{a.y} - pen_.y};
      const int n = Bits(d, 2);
      w_.UB(3, 2);  // edge, straight
      w_.UB(static_cast<uint32_t>(n - 2), 4);
      w_.UB(1, 1);  // general line
      w_.SB(static_cast<int32_t>(d[0]), n);
      w_.SB(static_cast<int32_t>(d[1]), n);
    }
    pen_ = a;
  }

 private:
  int Bits(const int64_t* D, int N) const {
    int n = 2;
    for (int i = 0; i < N; ++i) n = std::max(n, SignedBits(D[i]));
    if (n > 17) throw FormatError(what_ + " has an edge too long for one record");
    return n;
  }

  BitWriter& w_;
  const std::string& what_;
  IntPoint pen_;
};

}  // namespace

std::vector<uint8_t> MorphShapeBody(uint16_t Id, const MorphShape& M, uint8_t& Version) {
  const std::string what = "morph shape " + std::to_string(Id);
  if (M.fills.size() > 32767 || M.lines.size() > 32767) throw FormatError(what + " has more than 32767 styles");
  if (M.startPaths.size() != M.endPaths.size()) throw FormatError(what + " has unpaired paths");
  Version = M.tagVersion >= 2 ? 2 : 1;
  for (const MorphFillStyle& f : M.fills)
    if (f.start.type == FillType::FocalRadialGradient) Version = 2;
  BitWriter w;
  w.U16(Id);
  WriteRect(w, M.startBounds);
  WriteRect(w, M.endBounds);
  if (Version >= 2) {
    WriteRect(w, M.startBounds);  // edge bounds: the bounds serve
    WriteRect(w, M.endBounds);
    w.U8(0);
  }
  BitWriter styles;
  StyleCount(styles, M.fills.size());
  for (const MorphFillStyle& f : M.fills) Fill(styles, f, what);
  StyleCount(styles, M.lines.size());
  for (const MorphLineStyle& l : M.lines) Line(styles, l, Version);

  const int fillBits = UnsignedBits(M.fills.size()), lineBits = UnsignedBits(M.lines.size());
  BitWriter start;
  start.UB(static_cast<uint32_t>(fillBits), 4);
  start.UB(static_cast<uint32_t>(lineBits), 4);
  Edges startEdges(start, what);
  BitWriter end;
  end.UB(0, 8);  // no style bits
  Edges endEdges(end, what);
  for (size_t i = 0; i < M.startPaths.size(); ++i) {
    const Path& a = M.startPaths[i];
    const Path& b = M.endPaths[i];
    if (a.edges.size() != b.edges.size()) throw FormatError(what + " has a path whose start and end edges differ in number");
    if (a.fill0 > M.fills.size() || a.fill1 > M.fills.size() || a.line > M.lines.size())
      throw FormatError(what + " has a path with a style number beyond its styles");
    startEdges.Move(a.start, true, a.fill0, true, a.fill1, true, a.line, fillBits, lineBits);
    endEdges.Move(b.start, false, 0, false, 0, false, 0, 0, 0);
    for (size_t e = 0; e < a.edges.size(); ++e) {
      startEdges.Add(a.edges[e]);
      endEdges.Add(b.edges[e]);
    }
  }
  start.UB(0, 6);
  end.UB(0, 6);
  const std::vector<uint8_t>& s = styles.bytes();
  const std::vector<uint8_t>& r = start.bytes();
  w.U32(static_cast<uint32_t>(s.size() + r.size()));
  w.Bytes(s);
  w.Bytes(r);
  w.Bytes(end.bytes());
  return std::move(w.bytes());
}

}  // namespace swf::writer
