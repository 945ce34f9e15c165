// Line breaking and placement of a text field's glyphs.
#include "renderers/engine/src/text/text_layout.h"

#include <algorithm>
#include <cmath>

namespace swf::detail {

std::u32string DecodeUtf8(const std::string& Text) {
  std::u32string out;
  out.reserve(Text.size());
  const auto* s = reinterpret_cast<const uint8_t*>(Text.data());
  const size_t n = Text.size();
  for (size_t i = 0; i < n;) {
    const uint8_t b = s[i];
    const int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || static_cast<size_t>(extra) >= n - i) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : b & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if ((s[i + static_cast<size_t>(k)] & 0xC0) != 0x80) ok = false;
      c = (c << 6) | (s[i + static_cast<size_t>(k)] & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (!ok || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out += U'\uFFFD';
      ++i;
      continue;
    }
    out += c;
    i += static_cast<size_t>(extra) + 1;
  }
  return out;
}

namespace {

// One character to lay out, measured.
struct Char {
  char32_t code = 0;
  size_t span = 0;
  const Shape* shape = nullptr;
  double advance = 0;  // twips
  double kern = 0;     // twips, against the character before it (same face)
};

struct SpanMetrics {
  TextFace* face = nullptr;
  double scale = 0;  // twips per em unit
  double ascent = 0, descent = 0;  // twips
};

class Layout {
 public:
  Layout(const TextBox& B, const std::vector<TextSpan>& S, const FaceFinder& F) : box_(B), spans_(S) {
    for (const TextSpan& span : spans_) {
      SpanMetrics m;
      m.face = F ? F(span.format) : nullptr;
      const double size = std::isfinite(span.format.size) ? std::max(0.0, span.format.size) : 0;
      if (m.face && m.face->EmSize() > 0) {
        m.scale = size / m.face->EmSize();
        const DeviceFontMetrics fm = m.face->Metrics();
        m.ascent = fm.ascent * m.scale;
        m.descent = fm.descent * m.scale;
      } else {
        m.face = nullptr;
        m.ascent = size * 0.8;  // a plausible line for text that cannot be drawn
        m.descent = size * 0.2;
      }
      metrics_.push_back(m);
    }
    Collect();
  }

  TextLayout Run() {
    double y = box_.bounds.ymin + kTextGutter;
    size_t i = 0;
    for (;;) {
      size_t end = i;
      while (end < chars_.size() && chars_[end].code != U'\n') ++end;
      const ParaFormat para = FormatAt(i).para;
      bool first = true;
      size_t pos = i;
      do {
        const double left = box_.bounds.xmin + kTextGutter + para.leftMargin + (first ? para.indent : 0);
        const double avail = box_.bounds.xmax - kTextGutter - para.rightMargin - left;
        const size_t lineEnd = LineEnd(pos, end, avail);
        Emit(pos, lineEnd, lineEnd == end, para, left, avail, y);
        pos = lineEnd;
        first = false;
      } while (pos < end);
      if (end >= chars_.size()) break;
      i = end + 1;
    }
    return std::move(out_);
  }

 private:
  const TextSpan& FormatAt(size_t I) const {
    static const TextSpan kNone{};
    if (spans_.empty()) return kNone;
    if (I < chars_.size()) return spans_[chars_[I].span];
    return chars_.empty() ? spans_.back() : spans_[chars_.back().span];
  }

  // The characters in order, line breaks as '\n', cut for a single-line field.
  void Collect() {
    for (size_t s = 0; s < spans_.size(); ++s) {
      const std::u32string& t = spans_[s].text;
      for (size_t k = 0; k < t.size(); ++k) {
        if (chars_.size() >= kMaxLaidOutChars) return;
        char32_t c = t[k];
        if (c == U'\r') {
          if (k + 1 < t.size() && t[k + 1] == U'\n') ++k;
          c = U'\n';
        }
        if (c == U'\n' && !box_.multiline) return;
        if (box_.password && c != U'\n') c = U'*';
        Char ch;
        ch.code = c;
        ch.span = s;
        if (c != U'\n') Measure(ch);
        chars_.push_back(ch);
      }
    }
  }

  void Measure(Char& C) {
    const SpanMetrics& m = metrics_[C.span];
    if (!m.face) return;
    const TextFace::Glyph g = m.face->Lookup(C.code);
    C.shape = g.shape;
    C.advance = std::isfinite(g.advance) ? g.advance * m.scale : 0;
    C.advance += spans_[C.span].format.letterSpacing;
    if (!chars_.empty()) {
      const Char& prev = chars_.back();
      if (prev.code != U'\n' && metrics_[prev.span].face == m.face) {
        const double k = m.face->Kerning(prev.code, C.code) * m.scale;
        C.kern = std::isfinite(k) ? k : 0;
      }
    }
  }

  // Where the line that starts at Pos ends: at End, or when the field wraps,
  // after the last space that keeps the line within Avail (a word longer
  // than the line breaks where it overflows). Spaces may hang past the edge.
  size_t LineEnd(size_t Pos, size_t End, double Avail) const {
    if (!box_.wordWrap) return End;
    double x = 0;
    size_t afterSpace = 0;
    for (size_t j = Pos; j < End; ++j) {
      const Char& c = chars_[j];
      const double step = (j > Pos ? c.kern : 0) + c.advance;
      if (c.code == U' ') {
        afterSpace = j + 1;
      } else if (j > Pos && x + step > Avail) {
        return afterSpace > Pos ? afterSpace : j;
      }
      x += step;
    }
    return End;
  }

  void Emit(size_t From, size_t To, bool LastOfParagraph, const ParaFormat& Para, double Left, double Avail,
            double& Y) {
    TextLine line;
    line.top = Y;
    size_t inkEnd = To;
    while (inkEnd > From && chars_[inkEnd - 1].code == U' ') --inkEnd;
    size_t spaces = 0;
    double x = 0;
    for (size_t j = From; j < To; ++j) {
      const Char& c = chars_[j];
      line.ascent = std::max(line.ascent, metrics_[c.span].ascent);
      line.descent = std::max(line.descent, metrics_[c.span].descent);
      if (j < inkEnd) {
        x += (j > From ? c.kern : 0) + c.advance;
        if (c.code == U' ') ++spaces;
      }
    }
    if (From == To) {  // an empty line is as high as the text it would hold
      const size_t s = From < chars_.size() ? chars_[From].span : FormatIndexBefore(From);
      if (s < metrics_.size()) {
        line.ascent = metrics_[s].ascent;
        line.descent = metrics_[s].descent;
      }
    }
    line.width = x;
    double offset = 0, perSpace = 0;
    const double room = Avail - x;
    switch (Para.align) {
      case TextAlign::Left:
        break;
      case TextAlign::Right:
        offset = room;
        break;
      case TextAlign::Center:
        offset = room / 2;
        break;
      case TextAlign::Justify:
        if (!LastOfParagraph && spaces && room > 0) perSpace = room / static_cast<double>(spaces);
        break;
    }
    line.x = Left + offset;
    line.baseline = Y + line.ascent;
    line.firstGlyph = out_.glyphs.size();
    double pen = line.x;
    bool open = false;  // the last character extended the last underline
    for (size_t j = From; j < To; ++j) {
      const Char& c = chars_[j];
      const CharFormat& f = spans_[c.span].format;
      if (j > From) pen += c.kern;
      if (c.shape) out_.glyphs.push_back({c.shape, pen, line.baseline, metrics_[c.span].scale, f.color, c.span});
      const double start = pen;
      pen += c.advance;
      if (c.code == U' ' && j < inkEnd) pen += perSpace;
      if (!f.underline || j >= inkEnd) {
        open = false;
      } else if (open && out_.underlines.back().color == f.color) {
        out_.underlines.back().rect.xmax = pen;
      } else {
        // Just below the baseline, a twentieth of the text's height thick (at least a pixel).
        const double top = line.baseline + f.size / 16;
        out_.underlines.push_back({{start, top, pen, top + std::max(20.0, f.size / 20)}, f.color});
        open = true;
      }
    }
    if (perSpace > 0) line.width = Avail;
    line.glyphCount = out_.glyphs.size() - line.firstGlyph;
    out_.lines.push_back(line);
    Y = line.baseline + line.descent + Para.leading;
  }

  size_t FormatIndexBefore(size_t I) const {
    if (I > 0 && I - 1 < chars_.size()) return chars_[I - 1].span;
    return spans_.empty() ? 0 : spans_.size() - 1;
  }

  const TextBox& box_;
  const std::vector<TextSpan>& spans_;
  std::vector<SpanMetrics> metrics_;
  std::vector<Char> chars_;
  TextLayout out_;
};

}  // namespace

TextLayout LayOutText(const TextBox& Box, const std::vector<TextSpan>& Spans, const FaceFinder& Faces) {
  return Layout(Box, Spans, Faces).Run();
}

}  // namespace swf::detail
