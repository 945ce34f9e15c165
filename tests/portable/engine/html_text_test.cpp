// The HTML text fields show, read into formatted spans.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "renderers/engine/src/text/html_text.h"

using namespace swf::detail;

namespace {

// The spans as "text|flags" with b, i, u, the size in pixels, the colour,
// face and url when they differ from the base, and the paragraph's format.
std::string Describe(const std::string& Html) {
  CharFormat base;
  base.fontId = 7;
  base.size = 240;
  std::string out;
  for (const TextSpan& s : ParseHtmlText(Html, base, ParaFormat{})) {
    std::string text;
    for (const char32_t c : s.text) text += c < 0x80 ? static_cast<char>(c) : '?';
    out += "[" + text + "|";
    if (s.format.bold) out += "b";
    if (s.format.italic) out += "i";
    if (s.format.underline) out += "u";
    if (s.format.size != 240) out += " " + std::to_string(static_cast<int>(s.format.size / 20)) + "px";
    if (s.format.color != base.color)
      out += " #" + std::to_string(s.format.color.r) + "," + std::to_string(s.format.color.g) + "," +
             std::to_string(s.format.color.b);
    if (!s.format.fontId) out += " face=" + s.format.face;
    if (!s.format.url.empty()) out += " url=" + s.format.url;
    if (s.para.align != swf::TextAlign::Left) out += " align" + std::to_string(static_cast<int>(s.para.align));
    if (s.para.leftMargin || s.para.rightMargin || s.para.indent || s.para.leading)
      out += " tf" + std::to_string(static_cast<int>(s.para.leftMargin)) + "," +
             std::to_string(static_cast<int>(s.para.rightMargin)) + "," +
             std::to_string(static_cast<int>(s.para.indent)) + "," + std::to_string(static_cast<int>(s.para.leading));
    out += "]";
  }
  return out;
}

}  // namespace

TEST(HtmlText, TagsEntitiesAndMalformedMarkup) {
  struct Case {
    const char* html;
    const char* spans;
  };
  for (const Case& c : {
           Case{"plain", "[plain|]"},
           Case{"a<b>b<i>c</i></b>d", "[a|][b|b][c|bi][d|]"},
           Case{"<u>x</u>", "[x|u]"},
           Case{"<font face='Arial' size=\"20\" color=#FF8000>x</font>y", "[x| 20px #255,128,0 face=Arial][y|]"},
           Case{"<font size=+2>x<font size='-4'>y</font></font>", "[x| 14px][y| 10px]"},
           Case{"<a href=\"http://x/?a=1&amp;b=2\">link</a>", "[link| url=http://x/?a=1&b=2]"},
           Case{"<p align=\"center\">one</p><p align='right'>two</p>", "[one\n| align2][two| align1]"},
           Case{"a<br>b<BR/>c", "[a\nb\nc|]"},
           Case{"<textformat leftmargin='2' rightmargin=\"3\" indent=4 leading=5>x</textformat>y",
                "[x| tf40,60,80,100][y|]"},
           Case{"&lt;&gt;&amp;&quot;&apos;&#65;&#x42;", "[<>&\"'AB|]"},
           Case{"&nbsp;&bogus; &#xZZ; & &#0;", "[?&bogus; &#xZZ; & &#0;|]"},
           Case{"a < b", "[a < b|]"},
           Case{"<unknown attr=1>x</unknown>", "[x|]"},
           Case{"</b>x</font>", "[x|]"},
           Case{"<b>x<i>y</b>z", "[x|b][y|bi][z|]"},
           // Short colours take the digits there are; no digit after '#' leaves the colour.
           Case{"<font color='#12'>x", "[x| #0,0,18]"},
           Case{"<font color='#zz'>x", "[x|]"},
           Case{"<p>a", "[a|]"},
           Case{"", ""},
       }) {
    EXPECT_EQ(Describe(c.html), c.spans) << c.html;
  }
}

TEST(HtmlText, DeepNestingAndManySpansStayBounded) {
  std::string deep;
  for (int i = 0; i < 1000; ++i) deep += "<b><font size='+1'>";
  deep += "x";
  const auto spans = ParseHtmlText(deep, CharFormat{}, ParaFormat{});
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_LE(spans[0].format.size, 240 + 20 * kMaxHtmlDepth);
  std::string many;
  for (int i = 0; i < 10000; ++i) many += "<b>x</b>y";
  const auto flat = ParseHtmlText(many, CharFormat{}, ParaFormat{});
  size_t chars = 0;
  for (const TextSpan& s : flat) chars += s.text.size();
  EXPECT_LE(flat.size(), 4096u);
  EXPECT_EQ(chars, 20000u);
}
