// Laying out and drawing a placed text field.
#include "renderers/engine/src/player/text_field.h"

#include <algorithm>
#include <map>
#include <memory>
#include <variant>
#include <vector>

#include "renderers/engine/src/text/glyph_nodes.h"
#include "renderers/engine/src/text/html_text.h"
#include "renderers/engine/src/text/text_faces.h"
#include "renderers/engine/src/text/text_layout.h"
#include "renderers/engine/src/utf8.h"

namespace swf::detail {
namespace {

// Glyphs, then underlines, take the depths after the background and the mask.
constexpr uint16_t kFirstGlyphDepth = 3;
constexpr size_t kMaxGlyphNodes = 65535 - kFirstGlyphDepth;
// Text past this many bytes (a script may set a huge variable) is not read.
constexpr size_t kMaxTextBytes = 1 << 20;

Shape Rectangle(const Rect& R, bool Fill, bool Line, RGBA FillColor = {255, 255, 255, 255},
                RGBA LineColor = {0, 0, 0, 255}) {
  Shape s;
  s.bounds = R;
  if (Fill) {
    FillStyle fill;
    fill.color = FillColor;
    s.fills.push_back(fill);
  }
  if (Line) s.lines.push_back(LineStyle{20, LineColor});
  Path p;
  p.fill1 = Fill ? 1 : 0;
  p.line = Line ? 1 : 0;
  p.start = {R.xmin, R.ymin};
  for (const Point q : {Point{R.xmax, R.ymin}, Point{R.xmax, R.ymax}, Point{R.xmin, R.ymax}, Point{R.xmin, R.ymin}})
    p.edges.push_back(Edge{false, {}, q});
  s.paths.push_back(std::move(p));
  if (Line) s.bounds = {R.xmin - 10, R.ymin - 10, R.xmax + 10, R.ymax + 10};
  return s;
}

// Finds the face of each format: an embedded font when the field draws with
// outlines and the font has glyphs, otherwise the device font of that name.
class Faces {
 public:
  Faces(const Movie& M, const EditText& E, FontService* S) : movie_(M), field_(E), service_(S) {}

  TextFace* Find(const CharFormat& F) {
    const Font* font = nullptr;
    std::string name = F.face;
    if (F.fontId) {
      const auto it = movie_.dictionary.find(*F.fontId);
      font = it == movie_.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
      name = font ? font->name : std::string();
    } else if (field_.useOutlines) {
      font = ByName(name, F.bold, F.italic);
    }
    const bool bold = F.bold || (font && font->bold), italic = F.italic || (font && font->italic);
    if (font && field_.useOutlines && !font->glyphs.empty()) {
      auto& slot = embedded_[font];
      if (!slot) slot = std::make_unique<EmbeddedFace>(*font);
      return slot.get();
    }
    if (!service_) return nullptr;
    if (name.empty()) name = "_serif";
    auto& slot = device_[{name, bold * 2 + italic}];
    if (!slot) slot = std::make_unique<DeviceFace>(*service_, name, bold, italic);
    return slot.get();
  }

 private:
  // An embedded font of that name with glyphs, the one of the same style first.
  const Font* ByName(const std::string& Name, bool Bold, bool Italic) const {
    const Font* any = nullptr;
    for (const auto& [id, c] : movie_.dictionary) {
      const Font* f = std::get_if<Font>(&c);
      if (!f || f->glyphs.empty() || f->name != Name) continue;
      if (f->bold == Bold && f->italic == Italic) return f;
      if (!any) any = f;
    }
    return any;
  }

  const Movie& movie_;
  const EditText& field_;
  FontService* service_;
  std::map<const Font*, std::unique_ptr<EmbeddedFace>> embedded_;
  std::map<std::pair<std::string, int>, std::unique_ptr<DeviceFace>> device_;
};

std::vector<TextSpan> Spans(const EditText& E, double LetterSpacing, const std::string& Text, bool KeepLastBreak = false) {
  CharFormat f;
  f.fontId = E.fontId;
  if (!E.fontId) f.face = E.fontClass;
  f.size = E.fontHeight;
  f.color = E.color;
  f.letterSpacing = LetterSpacing;
  ParaFormat p;
  p.align = E.align;
  p.leftMargin = E.leftMargin;
  p.rightMargin = E.rightMargin;
  p.indent = E.indent;
  p.leading = E.leading;
  if (E.html) return ParseHtmlText(Text, f, p, KeepLastBreak);
  return {TextSpan{DecodeUtf8(Text), f, p}};
}

bool Inside(const Rect& Outer, const Rect& R) {
  return R.Empty() || (R.xmin >= Outer.xmin && R.xmax <= Outer.xmax && R.ymin >= Outer.ymin && R.ymax <= Outer.ymax);
}

}  // namespace

struct TextField::Drawing {
  Shape background, mask;
  std::vector<Shape> underlines;
  std::vector<SceneNode> nodes;
};

void TextField::SetHtmlText(std::string Html) {
  const std::vector<TextSpan> spans = ParseHtmlText(Html.substr(0, kMaxTextBytes), CharFormat{}, ParaFormat{});
  kerning = !spans.empty() && spans.front().format.kerning;
  SetText(std::move(Html));
}

void TextField::SetText(std::string Text) {
  if (Text == text_) return;
  text_ = std::move(Text);
  drawing_.reset();
}

namespace {
const Font* FontById(const Movie& M, const std::optional<uint16_t>& Id) {
  if (!Id) return nullptr;
  const auto it = M.dictionary.find(*Id);
  return it == M.dictionary.end() ? nullptr : std::get_if<Font>(&it->second);
}
}  // namespace

std::string TextField::FontName() const {
  const Font* f = FontById(movie_, field.fontId);
  return f ? f->name : field.fontClass;
}

bool TextField::Bold() const {
  const Font* f = FontById(movie_, field.fontId);
  return f && f->bold;
}

bool TextField::Italic() const {
  const Font* f = FontById(movie_, field.fontId);
  return f && f->italic;
}

void TextField::SetFontName(const std::string& Name) {
  if (Name == FontName()) return;
  field.fontId.reset();
  field.fontClass = Name;
  drawing_.reset();
}

std::string TextField::PlainText() const {
  if (!field.html) return text_;
  std::string out;
  // A multi-line field's text keeps the break that ends its last paragraph.
  for (const TextSpan& s : Spans(field, letterSpacing, text_.substr(0, kMaxTextBytes), field.multiline))
    for (char32_t c : s.text) AppendUtf8(out, c == U'\n' ? U'\r' : c);
  return out;
}

std::optional<RGBA> TextField::RangeColor(size_t Begin, size_t End) const {
  if (!field.html || Begin >= End) return std::nullopt;
  std::optional<RGBA> shared;
  size_t at = 0;
  for (const TextSpan& s : Spans(field, letterSpacing, text_.substr(0, kMaxTextBytes), field.multiline)) {
    const size_t from = at;
    at += s.text.size();
    if (at <= Begin || from >= End) continue;
    if (shared && !(*shared == s.format.color)) return std::nullopt;
    shared = s.format.color;
  }
  return shared;
}

TextField::Extent TextField::Measure(FontService* Fonts) const {
  Faces faces(movie_, field, Fonts);
  TextBox box{field.bounds, field.wordWrap, true, field.password};
  const std::vector<TextSpan> spans = Spans(field, letterSpacing, text_.substr(0, kMaxTextBytes));
  const TextLayout layout = LayOutText(box, spans, [&](const CharFormat& F) { return faces.Find(F); });
  Extent e;
  if (layout.lines.empty()) return e;
  const double top = layout.lines.front().top;
  for (const TextLine& l : layout.lines) {
    e.width = std::max(e.width, l.width);
    e.lineBottoms.push_back(l.baseline + l.descent - top);
  }
  // Leading counts between lines, and after a line that stands alone.
  e.height = e.lineBottoms.back();
  if (layout.lines.size() == 1 && !spans.empty()) e.height += std::max(spans.front().para.leading, 0.0);
  return e;
}

void TextField::Fit(FontService* Fonts) {
  if (autoSize == AutoSize::None) return;
  const Extent e = Measure(Fonts);
  Rect& b = field.bounds;
  b.ymax = b.ymin + static_cast<int32_t>(e.height + 2 * kTextGutter);
  if (field.wordWrap) return;
  const int32_t width = static_cast<int32_t>(e.width + 2 * kTextGutter + field.leftMargin + field.rightMargin);
  switch (autoSize) {
    case AutoSize::Left: b.xmax = b.xmin + width; break;
    case AutoSize::Right: b.xmin = b.xmax - width; break;
    default: {
      const int32_t middle = b.xmin + (b.xmax - b.xmin) / 2;
      b.xmin = middle - width / 2;
      b.xmax = b.xmin + width;
    }
  }
  drawing_.reset();
}

void TextField::Build(SceneNode& Node, FontService* Fonts) {
  if (!drawing_ || drawnWith_ != Fonts) {
    drawing_ = Draw(Fonts);
    drawnWith_ = Fonts;
  }
  Node.children = drawing_->nodes;
  Node.owner = drawing_;
}

std::shared_ptr<const TextField::Drawing> TextField::Draw(FontService* Fonts) const {
  auto d = std::make_shared<Drawing>();
  const Rect& bounds = field.bounds;
  Faces faces(movie_, field, Fonts);
  TextBox box{bounds, field.wordWrap, field.multiline, field.password};
  const std::string text = text_.substr(0, kMaxTextBytes);
  const TextLayout layout = LayOutText(box, Spans(field, letterSpacing, text), [&](const CharFormat& F) { return faces.Find(F); });

  if (field.border || background) {
    d->background = Rectangle(bounds, background, field.border, backgroundColor, borderColor);
    SceneNode n;
    n.shape = &d->background;
    n.depth = 1;
    d->nodes.push_back(n);
  }
  bool clip = false;
  for (const TextLine& l : layout.lines)
    clip = clip || !Inside(bounds, Rect{l.x, l.top, l.x + l.width, l.baseline + l.descent});
  const size_t count = std::min(layout.glyphs.size(), kMaxGlyphNodes);
  const size_t lines = std::min(layout.underlines.size(), kMaxGlyphNodes - count);
  std::vector<SceneNode> glyphs;
  glyphs.reserve(count + lines);
  for (size_t i = 0; i < count; ++i) {
    const PlacedGlyph& g = layout.glyphs[i];
    SceneNode n = GlyphNode(*g.shape, Matrix{g.scale, 0, 0, g.scale, g.x, g.y}, g.color);
    clip = clip || !Inside(bounds, n.matrix.Apply(g.shape->bounds));
    glyphs.push_back(n);
  }
  d->underlines.reserve(lines);  // the nodes point into it
  for (size_t i = 0; i < lines; ++i) {
    const Underline& u = layout.underlines[i];
    d->underlines.push_back(Rectangle(u.rect, true, false));
    SceneNode n = GlyphNode(d->underlines.back(), Matrix{}, u.color);
    clip = clip || !Inside(bounds, u.rect);
    glyphs.push_back(n);
  }
  for (size_t i = 0; i < glyphs.size(); ++i) glyphs[i].depth = static_cast<uint16_t>(kFirstGlyphDepth + i);
  if (clip && !glyphs.empty()) {
    d->mask = Rectangle(bounds, true, false);
    SceneNode m;
    m.shape = &d->mask;
    m.depth = kFirstGlyphDepth - 1;
    m.clipDepth = 65535;
    d->nodes.push_back(m);
  }
  d->nodes.insert(d->nodes.end(), glyphs.begin(), glyphs.end());
  return d;
}

}  // namespace swf::detail
