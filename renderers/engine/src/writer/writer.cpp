// Writing the movie model as SWF bytes: header, background, every definition
// (in dependency order, before the first frame), then the root timeline.

#include "renderers/engine/writer.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "renderers/engine/src/filter_list.h"
#include "renderers/engine/src/tag_codes.h"
#include "renderers/engine/src/writer/assets.h"
#include "renderers/engine/src/writer/bit_writer.h"
#include "renderers/engine/src/writer/edit_text.h"
#include "renderers/engine/src/writer/text_writer.h"
#include "renderers/engine/src/writer/writer_parts.h"
#include "renderers/engine/src/writer/morph_writer.h"
#include "renderers/engine/src/writer/effects.h"
#include "renderers/engine/src/writer/video_writer.h"

namespace swf {
namespace {

using writer::BitWriter;
using writer::SignedBits;
using writer::Twips;
using writer::UnsignedBits;

void Tag(BitWriter& Out, uint16_t Code, const std::vector<uint8_t>& Body, bool LongHeader = false) {
  if (Body.size() > std::numeric_limits<uint32_t>::max()) throw FormatError("a tag is longer than the format allows");
  if (Body.size() < 0x3f && !LongHeader) {
    Out.U16(static_cast<uint16_t>(Code << 6 | Body.size()));
  } else {
    Out.U16(static_cast<uint16_t>(Code << 6 | 0x3f));
    Out.U32(static_cast<uint32_t>(Body.size()));
  }
  Out.Bytes(Body);
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& Data) {
  if (Data.size() > std::numeric_limits<uint32_t>::max() / 2) throw FormatError("data too large to compress");
  uLongf size = compressBound(static_cast<uLong>(Data.size()));
  std::vector<uint8_t> out(size);
  if (compress2(out.data(), &size, Data.data(), static_cast<uLong>(Data.size()), Z_BEST_COMPRESSION) != Z_OK)
    throw FormatError("zlib compression failed");
  out.resize(size);
  return out;
}

// ---- shapes ----

bool Translucent(RGBA C) { return C.a != 255; }

uint8_t ShapeVersion(const Shape& S) {
  uint8_t v = std::max<uint8_t>(1, S.tagVersion);
  if (S.fills.size() >= 255 || S.lines.size() >= 255) v = std::max<uint8_t>(v, 2);
  for (const FillStyle& f : S.fills) {
    if (f.type == FillType::Solid && Translucent(f.color)) v = std::max<uint8_t>(v, 3);
    for (const GradientRecord& g : f.gradient)
      if (Translucent(g.color)) v = std::max<uint8_t>(v, 3);
    if (f.type == FillType::FocalRadialGradient || f.gradient.size() > 8) v = std::max<uint8_t>(v, 4);
  }
  for (const LineStyle& l : S.lines)
    if (Translucent(l.color)) v = std::max<uint8_t>(v, 3);
  return v;
}

void WriteColor(BitWriter& W, RGBA C, bool Alpha) {
  W.U8(C.r);
  W.U8(C.g);
  W.U8(C.b);
  if (Alpha) W.U8(C.a);
}

void WriteStyleCount(BitWriter& W, size_t Count) {
  if (Count >= 255) {
    W.U8(0xff);
    W.U16(static_cast<uint16_t>(Count));
  } else {
    W.U8(static_cast<uint8_t>(Count));
  }
}

bool IsGradient(FillType T) {
  return T == FillType::LinearGradient || T == FillType::RadialGradient || T == FillType::FocalRadialGradient;
}

bool IsBitmap(FillType T) {
  return T == FillType::RepeatingBitmap || T == FillType::ClippedBitmap ||
         T == FillType::NonSmoothedRepeatingBitmap || T == FillType::NonSmoothedClippedBitmap;
}

void WriteFill(BitWriter& W, const FillStyle& F, uint8_t Version) {
  bool alpha = Version >= 3;
  W.U8(static_cast<uint8_t>(F.type));
  if (F.type == FillType::Solid) {
    WriteColor(W, F.color, alpha);
  } else if (IsGradient(F.type)) {
    writer::WriteMatrix(W, F.matrix);
    size_t maxRecords = Version >= 4 ? 15 : 8;
    if (F.gradient.empty() || F.gradient.size() > maxRecords)
      throw FormatError("a gradient needs 1 to " + std::to_string(maxRecords) + " records, not " +
                        std::to_string(F.gradient.size()));
    if (static_cast<uint8_t>(F.spread) > 2) throw FormatError("unknown gradient spread mode");
    W.UB(static_cast<uint8_t>(F.spread), 2);
    W.UB(0, 2);  // interpolation: normal RGB
    W.UB(static_cast<uint32_t>(F.gradient.size()), 4);
    for (const GradientRecord& g : F.gradient) {
      W.U8(g.ratio);
      WriteColor(W, g.color, alpha);
    }
    if (F.type == FillType::FocalRadialGradient) {
      if (!(F.focalPoint >= -1.0 && F.focalPoint <= 1.0)) throw FormatError("focal point outside -1..1");
      W.U16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(F.focalPoint * 256.0))));
    }
  } else if (IsBitmap(F.type)) {
    W.U16(F.bitmapId);
    writer::WriteMatrix(W, F.matrix);
  } else {
    throw FormatError("unknown fill style type " + std::to_string(static_cast<int>(F.type)));
  }
}

void WriteLine(BitWriter& W, const LineStyle& L, uint8_t Version) {
  W.U16(L.width);
  if (Version >= 4) {
    // LINESTYLE2 with round caps and joins, no fill: all flag bits zero.
    W.U16(0);
    WriteColor(W, L.color, true);
  } else {
    WriteColor(W, L.color, Version >= 3);
  }
}

struct IntPoint {
  int32_t x = 0, y = 0;
};

IntPoint ToTwips(Point P) { return {Twips(P.x, "shape coordinate"), Twips(P.y, "shape coordinate")}; }

class EdgeWriter {
 public:
  explicit EdgeWriter(BitWriter& W) : w_(W) {}

  void MoveTo(IntPoint P) { cur_ = P; }
  IntPoint current() const { return cur_; }

  void LineTo(IntPoint P) {
    int64_t dx = int64_t{P.x} - cur_.x, dy = int64_t{P.y} - cur_.y;
    // Deltas are at most 17 bits: split longer lines into equal pieces.
    int64_t longest = std::max(std::llabs(dx), std::llabs(dy));
    int64_t pieces = longest / 60000 + 1;
    IntPoint start = cur_;
    for (int64_t i = 1; i <= pieces; ++i) {
      IntPoint q{static_cast<int32_t>(start.x + dx * i / pieces), static_cast<int32_t>(start.y + dy * i / pieces)};
      Straight(q.x - cur_.x, q.y - cur_.y);
      cur_ = q;
    }
  }

  void CurveTo(Point From, Point Control, Point Anchor, int Depth = 0) {
    IntPoint c = ToTwips(Control), a = ToTwips(Anchor);
    int64_t d[4] = {int64_t{c.x} - cur_.x, int64_t{c.y} - cur_.y, int64_t{a.x} - c.x, int64_t{a.y} - c.y};
    int n = 2;
    for (int64_t v : d) n = std::max(n, SignedBits(v));
    if (n > 17) {
      if (Depth > 40) throw FormatError("curve too long to encode");
      // Split at t = 1/2 and write both halves.
      Point m1{(From.x + Control.x) / 2, (From.y + Control.y) / 2};
      Point m2{(Control.x + Anchor.x) / 2, (Control.y + Anchor.y) / 2};
      Point mid{(m1.x + m2.x) / 2, (m1.y + m2.y) / 2};
      CurveTo(From, m1, mid, Depth + 1);
      CurveTo(mid, m2, Anchor, Depth + 1);
      return;
    }
    w_.UB(1, 1);  // edge
    w_.UB(0, 1);  // curved
    w_.UB(static_cast<uint32_t>(n - 2), 4);
    for (int64_t v : d) w_.SB(static_cast<int32_t>(v), n);
    cur_ = a;
  }

 private:
  void Straight(int32_t Dx, int32_t Dy) {
    w_.UB(1, 1);  // edge
    w_.UB(1, 1);  // straight
    if (Dx != 0 && Dy != 0) {
      int n = std::max({2, SignedBits(Dx), SignedBits(Dy)});
      w_.UB(static_cast<uint32_t>(n - 2), 4);
      w_.UB(1, 1);  // general line
      w_.SB(Dx, n);
      w_.SB(Dy, n);
    } else {
      bool vertical = Dx == 0 && Dy != 0;
      int32_t d = vertical ? Dy : Dx;
      int n = std::max(2, SignedBits(d));
      w_.UB(static_cast<uint32_t>(n - 2), 4);
      w_.UB(0, 1);
      w_.UB(vertical, 1);
      w_.SB(d, n);
    }
  }

  BitWriter& w_;
  IntPoint cur_;
};

Rect PathBounds(const Shape& S) {
  Rect r;
  for (const Path& p : S.paths) {
    r.Include(p.start);
    for (const Edge& e : p.edges) {
      if (e.curve) r.Include(e.control);
      r.Include(e.anchor);
    }
  }
  return r;
}

std::vector<uint8_t> ShapeBody(uint16_t Id, const Shape& S, uint8_t Version) {
  if (S.fills.size() > 32767 || S.lines.size() > 32767)
    throw FormatError("shape " + std::to_string(Id) + " has more than 32767 fill or line styles");
  BitWriter w;
  w.U16(Id);
  Rect edges = PathBounds(S);
  Rect bounds = S.bounds;
  if (bounds.Empty()) {
    // Not declared: the edges' bounds grown by half the widest line.
    bounds = edges;
    double half = 0;
    for (const LineStyle& l : S.lines) half = std::max(half, l.width / 2.0);
    if (!bounds.Empty()) bounds = {bounds.xmin - half, bounds.ymin - half, bounds.xmax + half, bounds.ymax + half};
  }
  writer::WriteRect(w, bounds);
  if (Version >= 4) {
    writer::WriteRect(w, edges);
    w.U8(0);  // no winding rule or stroke scaling flags
  }
  WriteStyleCount(w, S.fills.size());
  for (const FillStyle& f : S.fills) WriteFill(w, f, Version);
  WriteStyleCount(w, S.lines.size());
  for (const LineStyle& l : S.lines) WriteLine(w, l, Version);

  int fillBits = UnsignedBits(S.fills.size()), lineBits = UnsignedBits(S.lines.size());
  w.UB(static_cast<uint32_t>(fillBits), 4);
  w.UB(static_cast<uint32_t>(lineBits), 4);
  writer::WriteShapeRecords(w, S, Id, fillBits, lineBits);
  return std::move(w.bytes());
}

}  // namespace

namespace writer {

void WriteTag(BitWriter& Out, uint16_t Code, const std::vector<uint8_t>& Body) { Tag(Out, Code, Body); }

void WriteShapeRecords(BitWriter& w, const Shape& S, uint16_t Id, int fillBits, int lineBits) {
  EdgeWriter edgesOut(w);
  uint32_t fill0 = 0, fill1 = 0, line = 0;
  for (const Path& p : S.paths) {
    if (p.fill0 > S.fills.size() || p.fill1 > S.fills.size() || p.line > S.lines.size())
      throw FormatError("shape " + std::to_string(Id) + " has a path with a style number beyond its styles");
    bool setLine = p.line != line, setFill1 = p.fill1 != fill1, setFill0 = p.fill0 != fill0;
    IntPoint start = ToTwips(p.start);
    w.UB(0, 1);  // style change record
    w.UB(0, 1);  // no new styles
    w.UB(setLine, 1);
    w.UB(setFill1, 1);
    w.UB(setFill0, 1);
    w.UB(1, 1);  // move to the path's start
    int moveBits = std::max(SignedBits(start.x), SignedBits(start.y));
    w.UB(static_cast<uint32_t>(moveBits), 5);
    w.SB(start.x, moveBits);
    w.SB(start.y, moveBits);
    if (setFill0) w.UB(p.fill0, fillBits);
    if (setFill1) w.UB(p.fill1, fillBits);
    if (setLine) w.UB(p.line, lineBits);
    fill0 = p.fill0;
    fill1 = p.fill1;
    line = p.line;
    edgesOut.MoveTo(start);
    Point from = p.start;
    for (const Edge& e : p.edges) {
      if (e.curve)
        edgesOut.CurveTo(from, e.control, e.anchor);
      else
        edgesOut.LineTo(ToTwips(e.anchor));
      from = e.anchor;
    }
  }
  w.UB(0, 6);  // end of shape
  w.Align();
}

}  // namespace writer

namespace {

void WriteShape(BitWriter& Out, uint16_t Id, const Shape& S) {
  uint8_t v = ShapeVersion(S);
  if (v > 4) throw FormatError("shape " + std::to_string(Id) + " asks for DefineShape" + std::to_string(v));
  static const uint16_t codes[] = {kDefineShape, kDefineShape, kDefineShape2, kDefineShape3, kDefineShape4};
  Tag(Out, codes[v], ShapeBody(Id, S, v));
}

void WriteMorphShape(BitWriter& Out, uint16_t Id, const MorphShape& M) {
  uint8_t version = 1;
  const std::vector<uint8_t> bodyBytes = writer::MorphShapeBody(Id, M, version);
  Tag(Out, version >= 2 ? kDefineMorphShape2 : kDefineMorphShape, bodyBytes);
}

// ---- bitmaps ----

// A bitmap's image file as it is.
void WriteImageFile(BitWriter& Out, uint16_t Id, const std::vector<uint8_t>& File) {
  BitWriter w;
  w.U16(Id);
  for (uint8_t b : File) w.U8(b);
  Tag(Out, kDefineBitsJPEG2, w.bytes());
}

void WriteBitmap(BitWriter& Out, uint16_t Id, const Bitmap& B) {
  if (B.width < 0 || B.height < 0 || B.width > 65535 || B.height > 65535)
    throw FormatError("bitmap " + std::to_string(Id) + " is larger than 65535 pixels a side");
  if (B.pixels.size() != static_cast<size_t>(B.width) * static_cast<size_t>(B.height))
    throw FormatError("bitmap " + std::to_string(Id) + " has " + std::to_string(B.pixels.size()) +
                      " pixels, not width x height");
  bool opaque = std::all_of(B.pixels.begin(), B.pixels.end(), [](uint32_t p) { return (p >> 24) == 0xff; });
  std::vector<uint8_t> raw;
  raw.reserve(B.pixels.size() * 4);
  for (uint32_t p : B.pixels) {
    // ARGB bytes; the opaque form has a reserved zero byte in place of alpha.
    raw.push_back(opaque ? 0 : static_cast<uint8_t>(p >> 24));
    raw.push_back(static_cast<uint8_t>(p >> 16));
    raw.push_back(static_cast<uint8_t>(p >> 8));
    raw.push_back(static_cast<uint8_t>(p));
  }
  BitWriter w;
  w.U16(Id);
  w.U8(5);  // 32-bit pixels
  w.U16(static_cast<uint16_t>(B.width));
  w.U16(static_cast<uint16_t>(B.height));
  w.Bytes(Deflate(raw));
  Tag(Out, opaque ? kDefineBitsLossless : kDefineBitsLossless2, w.bytes(), true);
}

// ---- timelines ----

bool CxformHasAlpha(const ColorTransform& C) { return C.multA != 256 || C.addA != 0; }

void WritePlace(BitWriter& Out, const PlaceObject& P) {
  if (P.tagVersion == 1 && !P.move && P.characterId && !P.ratio && !P.name && !P.clipDepth &&
      !(P.cxform && CxformHasAlpha(*P.cxform)) && writer::EffectFlags(P) == 0) {
    BitWriter w;
    w.U16(*P.characterId);
    w.U16(P.depth);
    writer::WriteMatrix(w, P.matrix.value_or(Matrix{}));
    if (P.cxform) writer::WriteCxform(w, *P.cxform, false);
    Tag(Out, kPlaceObject, w.bytes());
    return;
  }
  const bool v3 = P.tagVersion >= 3 || writer::EffectFlags(P) != 0;
  BitWriter w;
  w.UB(0, 1);  // no clip actions
  w.UB(P.clipDepth.has_value(), 1);
  w.UB(P.name.has_value(), 1);
  w.UB(P.ratio.has_value(), 1);
  w.UB(P.cxform.has_value(), 1);
  w.UB(P.matrix.has_value(), 1);
  w.UB(P.characterId.has_value(), 1);
  w.UB(P.move, 1);
  if (v3) w.U8(writer::EffectFlags(P));  // no class name or image
  w.U16(P.depth);
  if (P.characterId) w.U16(*P.characterId);
  if (P.matrix) writer::WriteMatrix(w, *P.matrix);
  if (P.cxform) writer::WriteCxform(w, *P.cxform, true);
  if (P.ratio) w.U16(*P.ratio);
  if (P.name) w.String(*P.name, "an instance name");
  if (P.clipDepth) w.U16(*P.clipDepth);
  if (v3) writer::WriteEffects(w, P);
  Tag(Out, v3 ? kPlaceObject3 : kPlaceObject2, w.bytes());
}

void WriteRemove(BitWriter& Out, const RemoveObject& R) {
  BitWriter w;
  if (R.characterId) w.U16(*R.characterId);
  w.U16(R.depth);
  Tag(Out, R.characterId ? kRemoveObject : kRemoveObject2, w.bytes());
}

size_t FrameCount(const Timeline& T) {
  if (T.frames.size() > 65535) throw FormatError("a timeline has more than 65535 frames");
  return std::max<size_t>(1, T.frames.size());
}

void WriteTimeline(BitWriter& Out, const Timeline& T) {
  for (const Frame& f : T.frames) {
    if (!f.label.empty()) {
      BitWriter w;
      w.String(f.label, "a frame label");
      Tag(Out, kFrameLabel, w.bytes());
    }
    for (const ControlTag& t : f.tags) {
      if (const PlaceObject* p = std::get_if<PlaceObject>(&t))
        WritePlace(Out, *p);
      else
        WriteRemove(Out, std::get<RemoveObject>(t));
    }
    for (const InitAction& a : f.initActions) {
      BitWriter w;
      w.U16(a.spriteId);
      w.Bytes(a.actions);
      Tag(Out, kDoInitAction, w.bytes());
    }
    for (const std::vector<uint8_t>& a : f.actions) Tag(Out, kDoAction, a);
    Tag(Out, kShowFrame, {});
  }
  if (T.frames.empty()) Tag(Out, kShowFrame, {});
  Tag(Out, kEnd, {});
}

void WriteSprite(BitWriter& Out, uint16_t Id, const Sprite& S) {
  BitWriter w;
  w.U16(Id);
  w.U16(static_cast<uint16_t>(FrameCount(S.timeline)));
  WriteTimeline(w, S.timeline);
  Tag(Out, kDefineSprite, w.bytes());
}

// ---- buttons ----

// DefineButton holds records without colour transforms, filters or blend
// modes and one block of actions run on release.
bool FitsButton1(const Button& B) {
  if (B.trackAsMenu || B.actions.size() > 1) return false;
  for (const ButtonRecord& r : B.records)
    if (!r.cxform.IsIdentity() || r.blendMode || !r.filters.empty()) return false;
  if (B.actions.empty()) return true;
  const ButtonAction& a = B.actions[0];
  return a.conditions == kOverDownToOverUp && a.keyCode == 0 && !a.actions.empty();
}

void WriteButton(BitWriter& Out, uint16_t Id, const Button& B) {
  const std::string what = "button " + std::to_string(Id);
  const bool v1 = B.tagVersion == 1 && FitsButton1(B);
  BitWriter records;
  for (const ButtonRecord& r : B.records) {
    if (!r.up && !r.over && !r.down && !r.hit) throw FormatError(what + " has a record shown in no state");
    const bool filters = !v1 && !r.filters.empty(), blend = !v1 && r.blendMode.has_value();
    if (filters && detail::FilterListSize(r.filters.data(), r.filters.size()) != r.filters.size())
      throw FormatError(what + " has a record with a malformed filter list");
    records.U8(static_cast<uint8_t>((blend ? 0x20 : 0) | (filters ? 0x10 : 0) | (r.hit ? 0x08 : 0) |
                                    (r.down ? 0x04 : 0) | (r.over ? 0x02 : 0) | (r.up ? 0x01 : 0)));
    records.U16(r.characterId);
    records.U16(r.depth);
    writer::WriteMatrix(records, r.matrix);
    if (!v1) {
      writer::WriteCxform(records, r.cxform, true);
      if (filters) records.Bytes(r.filters);
      if (blend) records.U8(*r.blendMode);
    }
  }
  records.U8(0);  // end of the records

  BitWriter w;
  w.U16(Id);
  if (v1) {
    w.Bytes(records.bytes());
    if (!B.actions.empty()) w.Bytes(B.actions[0].actions);
    Tag(Out, kDefineButton, w.bytes());
    return;
  }
  w.U8(B.trackAsMenu ? 0x01 : 0x00);
  // The offset to the first condition action counts from its own field.
  const size_t offset = B.actions.empty() ? 0 : 2 + records.bytes().size();
  if (offset > 0xFFFF) throw FormatError(what + " has too many records for its action offset");
  w.U16(static_cast<uint16_t>(offset));
  w.Bytes(records.bytes());
  for (size_t i = 0; i < B.actions.size(); ++i) {
    const ButtonAction& a = B.actions[i];
    if (a.conditions & ~kAllButtonConditions) throw FormatError(what + " has an unknown action condition");
    if (a.keyCode > 127) throw FormatError(what + " has a key code above 127");
    const bool last = i + 1 == B.actions.size();
    const size_t size = 4 + a.actions.size();
    if (!last && size > 0xFFFF) throw FormatError(what + " has a condition action longer than 65531 bytes");
    w.U16(last ? 0 : static_cast<uint16_t>(size));
    w.U8(static_cast<uint8_t>(a.conditions & 0xFF));
    w.U8(static_cast<uint8_t>(a.keyCode << 1 | (a.conditions >> 8 & 0x01)));
    w.Bytes(a.actions);
  }
  Tag(Out, kDefineButton2, w.bytes());
}

// ---- dictionary order ----

std::vector<uint16_t> Dependencies(const Character& C) {
  std::vector<uint16_t> deps;
  if (const Shape* s = std::get_if<Shape>(&C)) {
    for (const FillStyle& f : s->fills)
      if (IsBitmap(f.type)) deps.push_back(f.bitmapId);
  } else if (const Sprite* sp = std::get_if<Sprite>(&C)) {
    for (const Frame& f : sp->timeline.frames)
      for (const ControlTag& t : f.tags)
        if (const PlaceObject* p = std::get_if<PlaceObject>(&t); p && p->characterId) deps.push_back(*p->characterId);
  } else if (const Button* b = std::get_if<Button>(&C)) {
    for (const ButtonRecord& r : b->records) deps.push_back(r.characterId);
  } else if (const EditText* e = std::get_if<EditText>(&C); e && e->fontId) {
    deps.push_back(*e->fontId);
  } else if (const StaticText* t = std::get_if<StaticText>(&C)) {
    for (const TextRun& r : t->runs) deps.push_back(r.fontId);
  } else if (const MorphShape* m = std::get_if<MorphShape>(&C)) {
    for (const MorphFillStyle& f : m->fills)
      if (IsBitmap(f.start.type)) deps.push_back(f.start.bitmapId);
  }
  return deps;
}

// Ids in an order where every character comes after the ones it uses (and
// otherwise in id order). A sprite that places itself, directly or through
// others, cannot be written.
std::vector<uint16_t> DefinitionOrder(const std::map<uint16_t, Character>& Dict) {
  enum class Mark : uint8_t { None, Open, Done };
  std::map<uint16_t, Mark> marks;
  std::vector<uint16_t> order;
  for (const auto& [root, rootChar] : Dict) {
    if (marks[root] == Mark::Done) continue;
    // Iterative depth-first walk: each entry is an id and its pending dependencies.
    struct Entry {
      uint16_t id;
      std::vector<uint16_t> deps;
      size_t next = 0;
    };
    std::vector<Entry> stack;
    stack.push_back({root, Dependencies(rootChar)});
    marks[root] = Mark::Open;
    while (!stack.empty()) {
      Entry& e = stack.back();
      if (e.next == e.deps.size()) {
        marks[e.id] = Mark::Done;
        order.push_back(e.id);
        stack.pop_back();
        continue;
      }
      uint16_t dep = e.deps[e.next++];
      auto it = Dict.find(dep);
      if (it == Dict.end()) continue;  // an unknown id: nothing to define first
      Mark& m = marks[dep];
      if (m == Mark::Done) continue;
      if (m == Mark::Open)
        throw FormatError("character " + std::to_string(dep) + " uses itself through its sprites or buttons");
      m = Mark::Open;
      stack.push_back({dep, Dependencies(it->second)});
    }
  }
  return order;
}

}  // namespace

std::vector<uint8_t> WriteMovie(const Movie& M, bool Compressed) {
  BitWriter body;
  writer::WriteRect(body, M.frameSize);
  body.U16(M.frameRate);
  body.U16(static_cast<uint16_t>(FrameCount(M.timeline)));
  {
    BitWriter w;
    WriteColor(w, M.background, false);
    Tag(body, kSetBackgroundColor, w.bytes());
  }
  // Imports before the characters that place them, exports after the
  // characters they name.
  for (const Import& i : M.imports)
    Tag(body, M.version >= 8 ? kImportAssets2 : kImportAssets, writer::ImportAssetsBody(i, M.version >= 8));
  for (uint16_t id : DefinitionOrder(M.dictionary)) {
    const Character& c = M.dictionary.at(id);
    if (const Shape* s = std::get_if<Shape>(&c))
      WriteShape(body, id, *s);
    else if (auto file = M.imageFiles.find(id); file != M.imageFiles.end() && std::holds_alternative<Bitmap>(c))
      WriteImageFile(body, id, file->second);
    else if (const Bitmap* b = std::get_if<Bitmap>(&c))
      WriteBitmap(body, id, *b);
    else if (const Sprite* sp = std::get_if<Sprite>(&c))
      WriteSprite(body, id, *sp);
    else if (const EditText* e = std::get_if<EditText>(&c))
      Tag(body, kDefineEditText, writer::EditTextBody(id, *e, M.version));
    else if (const Font* f = std::get_if<Font>(&c))
      writer::WriteFont(body, id, *f);
    else if (const StaticText* t = std::get_if<StaticText>(&c))
      writer::WriteStaticText(body, id, *t);
    else if (const MorphShape* m = std::get_if<MorphShape>(&c))
      WriteMorphShape(body, id, *m);
    else if (std::holds_alternative<Sound>(c))
      continue;  // the model keeps no sound data to write
    else if (const VideoStream* v = std::get_if<VideoStream>(&c))
      writer::WriteVideoStream(body, id, *v);
    else
      WriteButton(body, id, std::get<Button>(c));
  }
  if (!M.exports.empty()) Tag(body, kExportAssets, writer::ExportAssetsBody(M.exports));
  for (const auto& [id, grid] : M.scalingGrids)
    if (M.dictionary.count(id)) Tag(body, kDefineScalingGrid, writer::ScalingGridBody(id, grid));
  WriteTimeline(body, M.timeline);

  std::vector<uint8_t>& payload = body.bytes();
  uint64_t total = uint64_t{payload.size()} + 8;
  if (total > std::numeric_limits<uint32_t>::max()) throw FormatError("the movie is larger than 4 GB");
  BitWriter out;
  out.U8(Compressed ? 'C' : 'F');
  out.U8('W');
  out.U8('S');
  out.U8(M.version);
  out.U32(static_cast<uint32_t>(total));
  out.Bytes(Compressed ? Deflate(payload) : payload);
  return std::move(out.bytes());
}

}  // namespace swf
