#pragma once
// Laying out a text field's text: runs of formatted characters broken into
// lines (at newlines, and at spaces when the field wraps), aligned within the
// field's width less its margins, with glyphs placed on each line's baseline.
// Pure and portable: the faces the glyphs come from are given.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "renderers/engine/fonts.h"
#include "renderers/engine/model.h"

namespace swf::detail {

// A font at the layout's service: glyph outlines and advances, metrics and
// kerning, all in units of EmSize per em.
class TextFace {
 public:
  struct Glyph {
    const Shape* shape = nullptr;  // nullptr: nothing drawn
    double advance = 0;
  };
  virtual ~TextFace() = default;
  virtual double EmSize() const = 0;
  virtual Glyph Lookup(char32_t Code) = 0;
  virtual DeviceFontMetrics Metrics() = 0;
  virtual double Kerning(char32_t /*Left*/, char32_t /*Right*/) { return 0; }
};

// How characters look: the font (by id in the movie's dictionary, or by name),
// its size, colour and style, and the link they lead to.
struct CharFormat {
  std::optional<uint16_t> fontId;
  std::string face;  // used when fontId is not set
  double size = 240;  // twips: the em square's height
  RGBA color{0, 0, 0, 255};
  bool bold = false, italic = false, underline = false;
  std::string url;
  double letterSpacing = 0;  // twips added after each character
  bool kerning = false;      // the font's kerning pairs apply (as scripts report it)
  friend bool operator==(const CharFormat&, const CharFormat&) = default;
};

// How a paragraph is set (twips).
struct ParaFormat {
  TextAlign align = TextAlign::Left;
  double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0;
  friend bool operator==(const ParaFormat&, const ParaFormat&) = default;
};

// Characters with one format. A paragraph takes its format from the span its
// first character is in.
struct TextSpan {
  std::u32string text;
  CharFormat format;
  ParaFormat para;
};

// The text inside the field's bounds is inset by this gutter on every side.
inline constexpr double kTextGutter = 40;  // twips
// At most this many characters are laid out; the rest is not shown.
inline constexpr size_t kMaxLaidOutChars = 1 << 16;

struct TextBox {
  Rect bounds;  // the field's, twips
  bool wordWrap = false;
  // A single-line field shows its text up to the first line break.
  bool multiline = false;
  bool password = false;  // every character shows as an asterisk
};

struct PlacedGlyph {
  const Shape* shape = nullptr;
  double x = 0, y = 0;  // origin on the baseline, twips in the field's space
  double scale = 0;     // twips per em unit
  RGBA color;
  size_t span = 0;      // the span the character came from
};

struct TextLine {
  double x = 0, width = 0;                       // ink start and width (trailing spaces left out)
  double top = 0, ascent = 0, descent = 0, baseline = 0;
  size_t firstGlyph = 0, glyphCount = 0;
};

// A line under underlined characters: a rectangle in the field's space.
struct Underline {
  Rect rect;
  RGBA color;
};

struct TextLayout {
  std::vector<PlacedGlyph> glyphs;
  std::vector<TextLine> lines;
  std::vector<Underline> underlines;
};

// The face for a format; nullptr draws nothing for those characters (they
// take no room).
using FaceFinder = std::function<TextFace*(const CharFormat&)>;

TextLayout LayOutText(const TextBox& Box, const std::vector<TextSpan>& Spans, const FaceFinder& Faces);

// UTF-8 to code points; a malformed sequence becomes U+FFFD.
std::u32string DecodeUtf8(const std::string& Text);

}  // namespace swf::detail
