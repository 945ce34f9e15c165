// swfc's `edittext` statement, and text fields written and read back.
#include <gtest/gtest.h>

#include <string>
#include <variant>

#include "renderers/engine/reader.h"
#include "renderers/engine/writer.h"
#include "tools/swfc/compile.h"

namespace {

swf::EditText FieldOf(const swf::Movie& M) {
  for (const auto& [id, c] : M.dictionary)
    if (const auto* e = std::get_if<swf::EditText>(&c)) return *e;
  throw std::runtime_error("no text field");
}

void ExpectSame(const swf::EditText& A, const swf::EditText& B) {
  EXPECT_EQ(A.bounds, B.bounds);
  EXPECT_EQ(A.wordWrap, B.wordWrap);
  EXPECT_EQ(A.multiline, B.multiline);
  EXPECT_EQ(A.password, B.password);
  EXPECT_EQ(A.readOnly, B.readOnly);
  EXPECT_EQ(A.border, B.border);
  EXPECT_EQ(A.html, B.html);
  EXPECT_EQ(A.useOutlines, B.useOutlines);
  EXPECT_EQ(A.fontId, B.fontId);
  EXPECT_EQ(A.fontHeight, B.fontHeight);
  EXPECT_EQ(A.color, B.color);
  EXPECT_EQ(A.align, B.align);
  EXPECT_EQ(A.leftMargin, B.leftMargin);
  EXPECT_EQ(A.rightMargin, B.rightMargin);
  EXPECT_EQ(A.indent, B.indent);
  EXPECT_EQ(A.leading, B.leading);
  EXPECT_EQ(A.variableName, B.variableName);
  EXPECT_EQ(A.initialText, B.initialText);
}

}  // namespace

TEST(SwfcEditText, OptionsBuildTheFieldAndSurviveWritingAndReading) {
  struct Case {
    const char* text;
    void (*check)(const swf::EditText&);
  };
  const Case cases[] = {
      {"edittext f 100 20", [](const swf::EditText& e) {
         EXPECT_EQ(e.bounds, (swf::Rect{0, 0, 2000, 400}));
         EXPECT_EQ(e.fontHeight, 240);
         EXPECT_FALSE(e.fontId);
       }},
      {"edittext f 10 10 color #336699 wrap multiline html border readonly password outlines",
       [](const swf::EditText& e) {
         EXPECT_EQ(e.color, (swf::RGBA{0x33, 0x66, 0x99, 255}));
         EXPECT_TRUE(e.wordWrap && e.multiline && e.html && e.border && e.readOnly && e.password && e.useOutlines);
       }},
      {"edittext f 10 10 align justify margins 1 2 indent 3 leading -4", [](const swf::EditText& e) {
         EXPECT_EQ(e.align, swf::TextAlign::Justify);
         EXPECT_EQ(e.leftMargin, 20);
         EXPECT_EQ(e.rightMargin, 40);
         EXPECT_EQ(e.indent, 60);
         EXPECT_EQ(e.leading, -80);
       }},
      {"edittext f 10 10 var _root.v text \"a\\nb \\\\ caf\xC3\xA9\"", [](const swf::EditText& e) {
         EXPECT_EQ(e.variableName, "_root.v");
         EXPECT_EQ(e.initialText, "a\nb \\ caf\xC3\xA9");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const swf::Movie m = swfc::Parse(std::string(c.text) + "\nplace f 1\n");
    const swf::EditText e = FieldOf(m);
    c.check(e);
    for (const bool compressed : {false, true}) {
      const auto bytes = swf::WriteMovie(m, compressed);
      ExpectSame(FieldOf(*swf::LoadMovie(bytes.data(), bytes.size(), {})), e);
    }
  }
}

TEST(SwfcEditText, TextOfOldMoviesIsWrittenAsLatin1) {
  swf::Movie m = swfc::Parse("version 5\nedittext f 10 10 text \"caf\xC3\xA9 \xE2\x82\xAC\"\n");
  const auto bytes = swf::WriteMovie(m, false);
  EXPECT_EQ(FieldOf(*swf::LoadMovie(bytes.data(), bytes.size(), {})).initialText, "caf\xC3\xA9 ?");
}

TEST(SwfcEditText, MistakesAreReportedWithTheirLine) {
  for (const char* text : {"edittext f", "edittext f 10", "edittext f 10 10 align middle", "edittext f 10 10 bogus",
                           "edittext f 10 10 font nofont", "shape s\nend\nedittext f 10 10 font s",
                           "edittext f 10 10 size 16", "edittext f 10 10 margins 1",
                           "edittext f 10 10\nedittext f 10 10"}) {
    EXPECT_THROW(swfc::Parse(text), swfc::CompileError) << text;
  }
}
